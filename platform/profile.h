// Private-profile ("ini") files, read and written one key at a time.
//
// Section and key names compare without regard to case and without blanks
// around them, in the file and in the request. Blanks around "=" and at
// both ends of a value are dropped, and a value in double or single quotes
// loses them; a default loses its trailing blanks. Lines end with CR LF, LF
// or a lone CR, and a UTF-8 byte-order mark at the start is skipped. A line
// starting with ';' is a comment and a line without '=' is not a key. A write changes only the line of its key (or adds the key
// and, when missing, its section) and keeps every other byte of the file.
//
// Several programs write the same files. A write holds an exclusive
// advisory lock on the file across reading, changing and replacing it, so
// writers of different keys never lose each other's keys; readers take no
// lock and see the old file or the new one whole, never a mix.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform {

// The value of key in section, or def when the file, the section or the
// key is missing. The result is cut to bufferSize - 1 characters, as a
// caller's buffer of that size would hold it.
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view def, std::size_t bufferSize,
                                    std::string_view file);

// The leading decimal number of the value ("42A" -> 42, "-7" -> -7,
// "B4" -> 0); def when the key is missing or its value is empty. Numbers
// beyond 32 bits wrap modulo 2^32 ("4294967297" -> 1), as the original
// platform's conversion does.
int GetPrivateProfileInt(std::string_view section, std::string_view key, int def,
                         std::string_view file);

// Sets key in section to value, replacing the value where it stands (the
// key keeps the name it is stored under), adding the key (and the section)
// when missing, creating the file when missing. False when the file cannot
// be written; the old file is then unchanged.
bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, std::string_view file);

// An ini file read and parsed once, for an operation that looks up many
// keys (the game list reads several per game). Lookups follow exactly the
// rules of the functions above; a missing or unreadable file has no keys.
class PrivateProfile {
 public:
  explicit PrivateProfile(std::string_view file);

  std::string GetString(std::string_view section, std::string_view key, std::string_view def,
                        std::size_t bufferSize) const;
  int GetInt(std::string_view section, std::string_view key, int def) const;
  // False when the file exists but could not be read (LastFileError says
  // why); a missing file is simply empty.
  bool Readable() const { return readable_; }

 private:
  struct Section {
    // Lower-case key -> raw value of its first line in the section.
    std::unordered_map<std::string, std::string_view> keys;
  };
  const std::string_view* Find(std::string_view section, std::string_view key) const;

  std::string bytes_;
  std::string file_;  // where a host that reads through its own functions asks
  bool readable_ = true;
  // Lower-case section name -> its first occurrence in the file.
  std::unordered_map<std::string, Section> sections_;
};

namespace testing {
// Turns the writers' lock off and on again (benchmarks compare the two).
void LockProfileWrites(bool on);
}  // namespace testing

}  // namespace platform
