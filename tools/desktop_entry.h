// The XDG autostart entry that starts the monitor at login.
#pragma once

#include <filesystem>
#include <string>

namespace tools {

inline constexpr const char kAutostartFile[] = "tandrix-monitor.desktop";

// $XDG_CONFIG_HOME/autostart, else ~/.config/autostart.
std::filesystem::path AutostartFolder();

// A program path as one argument of a desktop entry's Exec key: quoted
// when it holds anything the Exec rules reserve, and escaped for the
// entry's string syntax.
std::string ExecArgument(const std::string& arg);

// The text of the autostart entry starting monitor in productFolder.
std::string AutostartEntry(const std::filesystem::path& monitor,
                           const std::filesystem::path& productFolder);

// Writes the entry (through a temporary file and a rename) or removes it.
// False, with a reason, when that fails.
bool WriteAutostart(const std::filesystem::path& monitor, const std::filesystem::path& productFolder,
                    std::string& error);
bool RemoveAutostart(std::string& error);

}  // namespace tools
