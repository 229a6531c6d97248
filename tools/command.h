// Subcommands of the tandrix tool. Each cmd_*.cpp registers its own word
// ("profile", "vcg", "reg", "install" ...) with a static Command object.
#pragma once

#include <string>
#include <system_error>
#include <vector>

namespace tools {

using Args = std::vector<std::string>;  // the words after the subcommand
using Handler = int (*)(const Args& args);

struct Command {
  // help, when given, is printed under the usage line by "tandrix COMMAND
  // --help": what the command does, its options, where it looks.
  Command(const char* word, const char* usage, Handler handler, const char* help = nullptr);
};

// True for the words that ask for a program's or a command's usage.
bool IsHelpWord(const std::string& word);

// Prints "tandrix: <message>" on standard error and returns 2 (usage) .
int UsageError(const std::string& message);
// Prints "tandrix: <message>" on standard error and returns 1.
int Fail(const std::string& message);

// Why a file operation failed, in the words the platform layer uses for the
// same cause ("disk full" rather than the C library's "No space left on
// device").
std::string ErrorText(const std::error_code& ec);

}  // namespace tools
