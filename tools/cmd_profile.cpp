// tandrix profile get|int|set: keyed access to ini files.
#include <cstdio>
#include <string>

#include "platform/file.h"
#include "platform/fileops.h"
#include "platform/profile.h"
#include "tools/command.h"

namespace tools {
namespace {

// Large enough for any value the system stores; longer values are cut.
constexpr std::size_t kValueBuffer = 4096;

int Profile(const Args& a) {
  if (a.empty()) return UsageError("profile needs get, int or set");
  const std::string& op = a[0];
  // A missing file reads as empty; one that is there but cannot be read (a
  // FIFO, a huge file) is an error, not a silent default.
  auto unreadable = [](const std::string& file, const char* what) {
    return Fail(std::string("cannot ") + what + " " + file + ": " +
                platform::FileErrorText(platform::LastFileError()));
  };
  if (op == "get" && (a.size() == 4 || a.size() == 5)) {
    std::string def = a.size() == 5 ? a[4] : "";
    platform::PrivateProfile ini(a[1]);
    if (!ini.Readable()) return unreadable(a[1], "read");
    std::printf("%s\n", ini.GetString(a[2], a[3], def, kValueBuffer).c_str());
    return 0;
  }
  if (op == "int" && a.size() == 5) {
    char* end = nullptr;
    long def = std::strtol(a[4].c_str(), &end, 10);
    if (a[4].empty() || *end != '\0') return UsageError("DEFAULT must be a decimal number");
    platform::PrivateProfile ini(a[1]);
    if (!ini.Readable()) return unreadable(a[1], "read");
    std::printf("%d\n", ini.GetInt(a[2], a[3], static_cast<int>(def)));
    return 0;
  }
  if (op == "set" && a.size() == 5) {
    if (!platform::WritePrivateProfileString(a[2], a[3], a[4], a[1])) {
      return unreadable(a[1], "write");
    }
    return 0;
  }
  return UsageError("bad profile arguments");
}

const Command kProfile("profile",
                       "profile get FILE SECTION KEY [DEFAULT] | int FILE SECTION KEY DEFAULT | "
                       "set FILE SECTION KEY VALUE",
                       Profile,
                       "Keyed access to ini files (Tandmon.ini, games.ini), as the programs read\n"
                       "and write them; FILE may be a DOS or a host path.\n"
                       "\n"
                       "  get FILE SECTION KEY [DEFAULT]  prints the value, or DEFAULT (empty) when\n"
                       "                                  the file, section or key is missing\n"
                       "  int FILE SECTION KEY DEFAULT    prints the value's leading number, or\n"
                       "                                  DEFAULT\n"
                       "  set FILE SECTION KEY VALUE      writes the value where the key stands, or\n"
                       "                                  adds the key (and the section and file);\n"
                       "                                  every other line stays as it is\n");

}  // namespace
}  // namespace tools
