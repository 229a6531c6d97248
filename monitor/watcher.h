// The game watcher: every tick looks at the running processes and makes the
// configuration of the listed game that runs live, or the default one when
// none does; around that it starts the game service setup, re-reads the
// settings when the customizer ends, prepares Quake's batch file and game
// directories, and registers a Windows game that brings its own
// configuration.
#pragma once

#include <string>
#include <string_view>

struct MonitorState;

// Programs the watcher recognises by their executable's name.
inline constexpr std::string_view kQuakeLauncherExe = "qlaunch.exe";
inline constexpr std::string_view kServiceExe = "ten.exe";
inline constexpr std::string_view kServiceSetupExe = "svcsetup.exe";
// GameVcg of a game that is recognised but gets no configuration.
inline constexpr std::string_view kNoSupport = "nosupport";

// One scan of the process list. Returns 1 when a listed game was found and
// handled or a game was registered, else 0. The watch timer is stopped
// while it runs and set again on every way out.
int WatchTick(MonitorState& state);

// Makes a configuration live unless it already is. recordName, when not
// empty, is what currentConfig records instead of the path. Returns the
// activation's result: 0 live, -1 cannot be read or applied, -2 the device
// is not a joystick slot (the prompt may be shown).
int ActivateConfig(MonitorState& state, std::string_view path, std::string_view recordName);

// Splits a process path at its last backslash: dir keeps the backslash
// (empty without one), name is the rest.
void SplitExePath(std::string_view path, std::string& dir, std::string& name);

// Reads one token of a configuration file into value (cut to size - 1
// characters; empty when the file has no such token). A name whose second
// character is a colon is used as it is; otherwise it is looked for in the
// player's subdirectory, then in defaults. Returns 1 when a file was opened.
int ReadConfigToken(const MonitorState& state, std::string_view token, std::string& value,
                    std::size_t size, std::string_view configName);

// Marks a configuration file as the maker's own (owner OEM), making it
// writable first. Returns 1 when done, 0 when it cannot be read or written.
int MarkConfigOem(std::string_view path);
