// Subcommands of the tandrix tool. Each cmd_*.cpp registers its own word
// ("profile", "vcg", "reg", "install" ...) with a static Command object.
#pragma once

#include <string>
#include <vector>

namespace tools {

using Args = std::vector<std::string>;  // the words after the subcommand
using Handler = int (*)(const Args& args);

struct Command {
  Command(const char* word, const char* usage, Handler handler);
};

// Prints "tandrix: <message>" on standard error and returns 2 (usage) .
int UsageError(const std::string& message);
// Prints "tandrix: <message>" on standard error and returns 1.
int Fail(const std::string& message);

}  // namespace tools
