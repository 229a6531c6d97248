// tandrix: the command-line tool for users and scripts.
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "platform/file.h"
#include "tools/command.h"

namespace tools {
namespace {

struct Entry {
  const char* usage;
  Handler handler;
  const char* help;
};

std::map<std::string, Entry>& Table() {
  static std::map<std::string, Entry> table;
  return table;
}

void PrintUsage(std::FILE* out) {
  std::fprintf(out, "usage: tandrix COMMAND ...\n");
  for (const auto& [word, entry] : Table()) std::fprintf(out, "  tandrix %s\n", entry.usage);
  std::fprintf(out, "\"tandrix COMMAND --help\" tells more about one command.\n");
}

void PrintCommandHelp(const Entry& entry) {
  std::printf("usage: tandrix %s\n", entry.usage);
  if (entry.help != nullptr) std::printf("\n%s", entry.help);
}

}  // namespace

Command::Command(const char* word, const char* usage, Handler handler, const char* help) {
  Table()[word] = Entry{usage, handler, help};
}

bool IsHelpWord(const std::string& word) { return word == "--help" || word == "-h"; }

int UsageError(const std::string& message) {
  std::fprintf(stderr, "tandrix: %s\n", message.c_str());
  PrintUsage(stderr);
  return 2;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "tandrix: %s\n", message.c_str());
  return 1;
}

std::string ErrorText(const std::error_code& ec) {
  if (ec.category() == std::generic_category() || ec.category() == std::system_category()) {
    const platform::FileError why = platform::FileErrorFromErrno(ec.value());
    if (why == platform::FileError::DiskFull || why == platform::FileError::SizeLimit) {
      return platform::FileErrorText(why);
    }
  }
  return ec.message();
}

}  // namespace tools

int main(int argc, char** argv) {
  if (argc < 2) {
    tools::PrintUsage(stderr);
    return 2;
  }
  const std::string first = argv[1];
  if (first == "help" || tools::IsHelpWord(first)) {
    if (argc > 2) {
      auto it = tools::Table().find(argv[2]);
      if (it == tools::Table().end()) return tools::UsageError(std::string("unknown command ") + argv[2]);
      tools::PrintCommandHelp(it->second);
      return 0;
    }
    tools::PrintUsage(stdout);
    return 0;
  }
  auto it = tools::Table().find(first);
  if (it == tools::Table().end()) return tools::UsageError("unknown command " + first);
  tools::Args args(argv + 2, argv + argc);
  // Asking how a command is used never runs it, wherever the word stands.
  for (const std::string& arg : args) {
    if (tools::IsHelpWord(arg)) {
      tools::PrintCommandHelp(it->second);
      return 0;
    }
  }
  return it->second.handler(args);
}
