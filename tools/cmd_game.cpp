// tandrix game list|add|remove: the game list of a product folder
// (games.ini) without editing it by hand.
//
// The monitor reads the list up to the first number without a title, so the
// sections stay numbered Game1, Game2 ... without a gap: a game is added as
// the next number, and removing one moves the games after it down by one.
// Every change goes through the locked private-profile writes, as the
// programs' own do, and a running monitor reads the changed file at its
// next tick.
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "monitor/gamelist.h"
#include "monitor/monitor_state.h"
#include "monitor/watcher.h"
#include "platform/dospath.h"
#include "platform/file.h"
#include "platform/fileops.h"
#include "platform/profile.h"
#include "tools/command.h"
#include "tools/product_paths.h"

namespace fs = std::filesystem;

namespace tools {
namespace {

// Values are kept whole when a game is moved to another number.
constexpr std::size_t kValueBuffer = 4096;

std::string Section(std::size_t number) { return "Game" + std::to_string(number); }

// The names of the keys of section, in file order, as the file holds them.
std::vector<std::string> KeysOf(const std::string& file, const std::string& section) {
  std::string bytes;
  std::vector<std::string> keys;
  if (!platform::ReadWholeFile(file, bytes)) return keys;
  bool inside = false;
  std::size_t at = 0;
  while (at < bytes.size()) {
    std::size_t end = bytes.find('\n', at);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(at, end - at);
    at = end + 1;
    const std::size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos || line[first] == ';') continue;
    line.erase(0, first);
    if (line[0] == '[') {
      const std::size_t close = line.find(']');
      inside = close != std::string::npos && platform::EqualsNoCase(line.substr(1, close - 1), section);
      continue;
    }
    const std::size_t eq = line.find('=');
    if (!inside || eq == std::string::npos) continue;
    std::string key = line.substr(0, eq);
    while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.pop_back();
    if (!key.empty()) keys.push_back(key);
  }
  return keys;
}

// Makes section `to` what section `from` is: its keys copied, the keys only
// `to` had emptied (an empty value reads as a missing one). An empty `from`
// empties `to`, which ends the list there.
bool MoveSection(const std::string& file, const std::string& from, const std::string& to) {
  const platform::PrivateProfile ini(file);
  const std::vector<std::string> fromKeys = from.empty() ? std::vector<std::string>{} : KeysOf(file, from);
  for (const std::string& key : KeysOf(file, to)) {
    bool kept = false;
    for (const std::string& k : fromKeys) kept = kept || platform::EqualsNoCase(k, key);
    if (!kept && !platform::WritePrivateProfileString(to, key, "", file)) return false;
  }
  for (const std::string& key : fromKeys) {
    if (!platform::WritePrivateProfileString(to, key, ini.GetString(from, key, "", kValueBuffer), file)) {
      return false;
    }
  }
  return true;
}

// A text that goes into the file as one value: one line, and within the
// length the programs read.
std::optional<std::string> BadValue(const std::string& what, const std::string& value) {
  if (value.empty()) return what + " is empty";
  for (char c : value) {
    if (static_cast<unsigned char>(c) < 0x20) return what + " holds a line break or control character";
  }
  if (value.size() > kGameNameBuffer - 1) {
    return what + " is longer than " + std::to_string(kGameNameBuffer - 1) + " characters";
  }
  return std::nullopt;
}

// The folder asked about: the current one when it is a product folder,
// else the player's own. Entered, so the loaders read its files.
bool EnterProductFolder(std::string& folder) {
  std::error_code ec;
  fs::path dir = fs::current_path(ec);
  if (ec || !IsProductFolder(dir)) dir = PlayerFolder();
  folder = dir.string();
  if (dir.empty() || !IsProductFolder(dir)) return false;
  return platform::SetCurrentDirectory(folder);
}

int List(const GameList& games) {
  for (const auto& e : games.entries) {
    std::printf("%-7s %-28s %-16s %s\n", Section(static_cast<std::size_t>(e->number)).c_str(), e->title.c_str(),
                e->exeName.c_str(), e->configName.c_str());
  }
  return 0;
}

int Add(const GameList& games, const MonitorState& settings, const Args& a) {
  if (a.size() != 4) return UsageError("game add needs TITLE PROGRAM CONFIGURATION");
  // A path names the program by its file's name, which the monitor matches.
  std::string program = a[2];
  if (const std::size_t cut = program.find_last_of("/\\"); cut != std::string::npos) program.erase(0, cut + 1);
  const std::string& title = a[1];
  const std::string& config = a[3];
  const std::pair<const char*, const std::string*> values[] = {
      {"TITLE", &title}, {"PROGRAM", &program}, {"CONFIGURATION", &config}};
  for (const auto& [what, value] : values) {
    if (auto bad = BadValue(what, *value)) return Fail("game add: " + *bad);
  }
  if (config.find_first_of("/\\") != std::string::npos) {
    return Fail("game add: CONFIGURATION is a file name without a folder (it is looked for in the player's "
                "folder, then in defaults)");
  }
  for (const auto& e : games.entries) {
    // The monitor takes the first game listed for a program; a second one
    // would never be used.
    if (platform::EqualsNoCase(e->exeName, program)) {
      return Fail("game add: " + program + " is listed already as " + Section(static_cast<std::size_t>(e->number)) +
                  " (" + e->title + "); remove that one first");
    }
  }
  const std::string file = GamesIniPath();
  const std::string section = Section(games.size() + 1);
  // Sections left after the end of the list are no games: the new one keeps
  // nothing of the one it takes the number of, and the one after it (which
  // the list would now reach) is ended by an empty title.
  const std::string next = Section(games.size() + 2);
  const bool nextHasTitle = !platform::PrivateProfile(file).GetString(next, "GameTitle", "", kValueBuffer).empty();
  if ((nextHasTitle && !platform::WritePrivateProfileString(next, "GameTitle", "", file)) ||
      !MoveSection(file, "", section) || !platform::WritePrivateProfileString(section, "GameExe", program, file) ||
      !platform::WritePrivateProfileString(section, "GameVcg", config, file) ||
      !platform::WritePrivateProfileString(section, "NewGame", "0", file) ||
      !platform::WritePrivateProfileString(section, "GameTitle", title, file)) {
    return Fail("cannot write " + file + ": " + platform::FileErrorText(platform::LastFileError()));
  }
  std::printf("added %s: %s (%s, %s)\n", section.c_str(), title.c_str(), program.c_str(), config.c_str());
  if (!platform::EqualsNoCase(config, kNoSupport) &&
      !platform::FileExists(settings.playerSubdir + "\\" + config) && !platform::FileExists("defaults\\" + config)) {
    std::fprintf(stderr, "tandrix: note: %s is neither in %s nor in defaults yet; the game gets no "
                 "configuration until it is\n", config.c_str(), settings.playerSubdir.c_str());
  }
  return 0;
}

int Remove(const GameList& games, const Args& a) {
  if (a.size() != 2) return UsageError("game remove needs a TITLE, PROGRAM or GameN");
  const std::string& name = a[1];
  std::size_t found = 0;
  for (const auto& e : games.entries) {
    if (e->title == name) found = static_cast<std::size_t>(e->number);
  }
  for (const auto& e : games.entries) {
    if (found == 0 && (platform::EqualsNoCase(e->exeName, name) ||
                       platform::EqualsNoCase(Section(static_cast<std::size_t>(e->number)), name))) {
      found = static_cast<std::size_t>(e->number);
    }
  }
  if (found == 0) return Fail("game remove: no game " + name + " in the list (tandrix game list shows it)");
  const std::string file = GamesIniPath();
  const std::string title = games.entries[found - 1]->title;
  // The games after it move down one number; the last number is emptied.
  for (std::size_t n = found; n <= games.size(); ++n) {
    const std::string from = n < games.size() ? Section(n + 1) : "";
    if (!MoveSection(file, from, Section(n))) {
      return Fail("cannot write " + file + ": " + platform::FileErrorText(platform::LastFileError()));
    }
  }
  std::printf("removed %s (%s)\n", Section(found).c_str(), title.c_str());
  return 0;
}

int Game(const Args& a) {
  if (a.empty()) return UsageError("game needs list, add or remove");
  std::string folder;
  if (!EnterProductFolder(folder)) {
    return Fail("there is no product folder here" + (folder.empty() ? std::string() : " or at " + folder) +
                ": make one with \"tandrix install\"");
  }
  GameList games;
  LoadGameList(games);
  MonitorState settings;
  LoadMonitorSettings(settings);
  if (a[0] == "list" && a.size() == 1) return List(games);
  if (a[0] == "add") return Add(games, settings, a);
  if (a[0] == "remove") return Remove(games, a);
  return UsageError("bad game arguments");
}

const Command kGame(
    "game", "game list | add TITLE PROGRAM CONFIGURATION | remove TITLE|PROGRAM|GameN", Game,
    "The games the monitor knows (games.ini of the product folder: the current\n"
    "folder when it is one, else the player's own).\n"
    "\n"
    "  list           one line per game: its section, title, program and\n"
    "                 configuration file\n"
    "  add            lists a game: while a program of that name (a path counts\n"
    "                 by its file name) runs, the monitor makes CONFIGURATION live,\n"
    "                 from the player's folder or else from defaults; \"nosupport\"\n"
    "                 has the game recognised and left alone\n"
    "  remove         takes a game out, by its exact title, its program or its\n"
    "                 section; the games after it move up one number\n"
    "\n"
    "A running monitor uses the changed list from its next tick on.\n");

}  // namespace
}  // namespace tools
