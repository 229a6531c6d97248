// What each host's platform files give the code every host shares: the
// host's own ways of starting a program and of reaching the joystick
// service and the driver. The shared files choose between these and what a
// test installs.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/joystick.h"

namespace platform::hostdetail {

// Starts a real process, as StartProcess promises.
bool StartHostProcess(std::string_view program, std::string_view commandLine,
                      std::string_view currentDirectory, std::uint32_t* processId);
// The host path of the file StartProcess runs for program: the file itself,
// else, for a name ending in ".exe", the one without it. nullopt when
// neither is a regular file.
std::optional<std::string> ProgramFile(std::string_view program);
// True when the first word of a command line names the program (its whole
// path or its file name, without regard to case).
bool NamesItself(const std::vector<std::string>& words, std::string_view program);

std::unique_ptr<JoystickService> NewHostJoystickService();
std::unique_ptr<DriverPort> NewHostDriverPort();

// Adds a piece of a whole-file read to bytes. False, with bytes emptied,
// once they pass the size limit: a file still growing while it is read is
// held to the same limit as one that was too large from the start.
bool AppendWithinLimit(std::string& bytes, const char* data, std::size_t size);

// The file name of a DOS or host path: what follows its last separator.
std::string_view BaseName(std::string_view path);
bool EndsWithNoCase(std::string_view s, std::string_view suffix);

}  // namespace platform::hostdetail
