#include "monitor/prepare.h"

#include "monitor/host.h"
#include "monitor/logerror.h"
#include "monitor/strings.h"
#include "platform/dospath.h"
#include "platform/file.h"
#include "platform/fileops.h"

namespace {

// The working directory as the batch files name it.
constexpr std::size_t kWorkingDirChars = 254;

// Why an entry is refused, after the entry in the log line.
constexpr std::string_view kOutsideDetail = " (outside the game directory)";
// A value without a key would blank out every line of its file.
constexpr std::string_view kNoKeyDetail = " (no key to replace)";

std::string WithBackslash(std::string_view dir) {
  std::string p(dir);
  if (p.empty() || p.back() != '\\') p += '\\';
  return p;
}

bool IsLaunchWordChar(char c) { return c != ' ' && c != '\n'; }

// The name of a game file's backup: its last three characters replaced by
// "mva". A name shorter than that gets ".mva" appended, so the backup stays
// beside the file instead of replacing part of the folder's name.
std::string BackupName(const std::string& folder, std::string_view name) {
  std::size_t cut = name.find_last_of("\\/");
  std::string_view base = cut == std::string_view::npos ? name : name.substr(cut + 1);
  std::string path = folder + std::string(name);
  if (base.size() < 3) return path + ".mva";
  path.replace(path.size() - 3, 3, "mva");
  return path;
}

}  // namespace

WordSplit NextWord(std::string_view text) {
  WordSplit out;
  bool quoted = false;
  std::size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    bool blankNext = i + 1 < text.size() && text[i + 1] == ' ';
    if (c == ' ') {
      out.rest = text.substr(i + 1);
      return out;
    }
    if (c == '"') {
      if (!quoted) {
        quoted = true;
        if (blankNext) {
          out.word += ' ';
          ++i;
        }
      } else {
        quoted = false;
      }
    } else {
      out.word += c;
      if (quoted && blankNext) {
        out.word += ' ';
        ++i;
      }
    }
    ++i;
  }
  out.rest = text.substr(text.size());
  return out;
}

bool StaysInGameDirectory(std::string_view relative) {
  if (relative.empty()) return false;
  if (relative[0] == '\\' || relative[0] == '/') return false;
  if (relative.size() >= 2 && relative[1] == ':') return false;
  std::size_t start = 0;
  while (start <= relative.size()) {
    std::size_t end = relative.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = relative.size();
    if (relative.substr(start, end - start) == "..") return false;
    start = end + 1;
  }
  return true;
}

void PrepareQuakeBatch(std::string_view dir, MonitorHost& host) {
  const std::string work = platform::CurrentDirectory().substr(0, kWorkingDirChars);
  const std::string batch = work + "\\games\\mvabat.bat";
  const std::string batchLower = platform::ToLowerAscii(batch);
  const std::string q95 = std::string(dir) + "q95.bat";

  bool needRewrite = true;
  std::string launch;
  {
    platform::File in;
    if (in.Open(q95, platform::OpenMode::ReadText)) {
      std::string line;
      while (in.ReadLine(line, kGameLineChars)) {
        line = platform::ToLowerAscii(line);
        if (line.find("qlaunch") == std::string::npos) continue;
        if (line.find(batchLower) != std::string::npos) needRewrite = false;
        launch = line;
      }
    }
  }

  if (needRewrite) {
    platform::CopyFile(q95, std::string(dir) + "q95.mva", false);
    platform::File out;
    if (out.Open(q95, platform::OpenMode::WriteText)) {
      // The first two words stay as they stand; the third (the game
      // program) becomes our batch file; the rest of the line follows.
      std::size_t i = 0;
      while (i < launch.size() && IsLaunchWordChar(launch[i])) ++i;
      while (i < launch.size() && launch[i] == ' ') ++i;
      while (i < launch.size() && IsLaunchWordChar(launch[i])) ++i;
      std::size_t j = i;
      while (j < launch.size() && launch[j] == ' ') ++j;
      while (j < launch.size() && IsLaunchWordChar(launch[j])) ++j;
      out.Write(launch.substr(0, i));
      out.Write(" ");
      out.Write(batch);
      out.Write(launch.substr(j));
      out.Write("\n");
      out.Write("REM To remove Tandrix support:\n");
      out.Write("REM Replace the path and filename of the \"mvabat.bat\" with quake.exe");
      out.Write(" in the line below\n");
      out.Close();
    }
  }

  if (!platform::FileExists(batch) || needRewrite) {
    platform::File out;
    if (out.Open(batch, platform::OpenMode::WriteText)) {
      std::string quakeDir(dir);
      if (!quakeDir.empty() && quakeDir.back() == '\\') quakeDir.pop_back();
      out.Printf("%s\\tdx95off.exe\n", work.c_str());
      out.Printf("call %s\\tdxload\n", work.c_str());
      out.Printf("%s\\games\\mvaquake ", work.c_str());
      out.Printf("-dir %s -vxconfig ", quakeDir.c_str());
      out.Printf("%s\\games\\mvaquake.vcg ", work.c_str());
      out.Write("%1 %2 %3 %4 %5 %6 %7 %8 %9\n");
      out.Printf("%s\\tdx95on.exe\n", work.c_str());
      out.Close();
      needRewrite = true;
    }
  }

  if (needRewrite) {
    host.ShowMessage(kIdsQuakeBatch, MonitorString(kIdsQuakeBatch), MonitorString(kIdsTandrix),
                     kMbOk);
  }
}

int ModifyGameFiles(const std::vector<std::string>& list, std::string_view dir) {
  int result = 0;
  const std::string folder = WithBackslash(dir);
  const std::string temp = folder + "mvatemp.mva";
  for (const std::string& value : list) {
    WordSplit name = NextWord(value);
    if (!StaysInGameDirectory(name.word)) {
      LogError(kIdsEntryRefused, value + std::string(kOutsideDetail), false);
      continue;
    }
    WordSplit key = NextWord(name.rest);
    if (key.word.empty()) {
      LogError(kIdsEntryRefused, value + std::string(kNoKeyDetail), false);
      continue;
    }
    const std::string target = folder + name.word;
    platform::File in(target, platform::OpenMode::ReadText);
    // A file that is there but cannot be read (a FIFO, a huge file, no
    // permission) is left alone: replacing it would lose its lines.
    if (!in.IsOpen() && platform::LastFileError() != platform::FileError::NotFound) continue;
    // The first backup is kept: it holds the file as it was before any edit.
    platform::CopyFile(target, BackupName(folder, name.word), true);

    platform::File out;
    if (!out.Open(temp, platform::OpenMode::WriteText)) continue;
    bool replaced = false;
    bool endsLine = true;
    std::string line;
    while (in.IsOpen() && in.ReadLine(line, kGameLineChars)) {
      if (line.compare(0, key.word.size(), key.word) == 0) {
        out.Write(key.rest);
        out.Write("\n");
        replaced = true;
        endsLine = true;
      } else {
        out.Write(line);
        endsLine = !line.empty() && line.back() == '\n';
      }
    }
    if (!replaced) {
      // A last line without a line end must not run into the new one.
      if (!endsLine) out.Write("\n");
      out.Write(key.rest);
      out.Write("\n");
    }
    in.Close();
    if (!out.Close()) continue;  // a short temporary file must not replace the game's
    // Copied back as contents only: the game's file keeps its mode (an
    // executable script stays executable) and a symbolic link stays one.
    std::string edited;
    if (platform::ReadWholeFile(temp, edited) && platform::WriteWholeFile(target, edited)) {
      result = 1;
    }
  }
  platform::DeleteFile(temp);
  return result;
}

int CopyGameFiles(const std::vector<std::string>& list, std::string_view dir) {
  int copied = 0;
  for (const std::string& value : list) {
    if (!StaysInGameDirectory(value)) {
      LogError(kIdsEntryRefused, value + std::string(kOutsideDetail), false);
      continue;
    }
    // "/" separates folders as "\\" does.
    std::size_t cut = value.find_last_of("\\/");
    std::string source = cut == std::string::npos ? value : value.substr(cut + 1);
    if (platform::CopyFile(source, std::string(dir) + value, false)) ++copied;
  }
  // Only files that really arrived ask for a restart: a folder that cannot
  // be written would otherwise bring the message after every run.
  return copied > 0 ? 1 : 0;
}

void WriteMarkerFile(std::string_view dir) {
  platform::File out;
  if (!out.Open(std::string(dir) + "\\tandrix.mrk", platform::OpenMode::WriteText)) return;
  out.Write("Delete this file to have the Tandrix software");
  out.Write(" auto-prepare this game\nfor use with the Tandrix ");
  out.Write("version 4.71.\n");
  out.Close();
}
