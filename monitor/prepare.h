// Preparing game directories: the Quake batch files, line edits and copied
// files of a game entry, and the marker that a directory is prepared.
//
// Every file here is written in text mode.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class MonitorHost;

// Longest line read from a game's files; a longer one is handled in pieces.
inline constexpr std::size_t kGameLineChars = 254;

// Rewrites q95.bat in the Quake launcher's directory (with its final
// backslash) so that it runs <working dir>\games\mvabat.bat, and writes that
// batch file; tells the user to restart Quake when anything was written.
void PrepareQuakeBatch(std::string_view dir, MonitorHost& host);

// Applies Modify%d values ("file key replacement") in dir. Returns 1 when
// at least one file was written back, else 0.
int ModifyGameFiles(const std::vector<std::string>& list, std::string_view dir);

// Copies the File%d values from the working directory into dir (ending in a
// backslash); "/" and "\\" both separate folders. Returns 1 when at least
// one file was copied, else 0.
int CopyGameFiles(const std::vector<std::string>& list, std::string_view dir);

// Writes dir\tandrix.mrk, which keeps the directory from being prepared again.
void WriteMarkerFile(std::string_view dir);

// The next word of a text and the rest after the blank that ends it. A word
// ends at a blank; double quotes let single blanks into a word.
struct WordSplit {
  std::string word;
  std::string_view rest;
};
WordSplit NextWord(std::string_view text);

// True when a path relative to a game directory stays inside it: not empty,
// no drive letter, no leading separator and no ".." component.
bool StaysInGameDirectory(std::string_view relative);
