// tandrix: the command-line tool for users and scripts.
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "tools/command.h"

namespace tools {
namespace {

struct Entry {
  const char* usage;
  Handler handler;
};

std::map<std::string, Entry>& Table() {
  static std::map<std::string, Entry> table;
  return table;
}

void PrintUsage(std::FILE* out) {
  std::fprintf(out, "usage: tandrix COMMAND ...\n");
  for (const auto& [word, entry] : Table()) std::fprintf(out, "  tandrix %s\n", entry.usage);
}

}  // namespace

Command::Command(const char* word, const char* usage, Handler handler) {
  Table()[word] = Entry{usage, handler};
}

int UsageError(const std::string& message) {
  std::fprintf(stderr, "tandrix: %s\n", message.c_str());
  PrintUsage(stderr);
  return 2;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "tandrix: %s\n", message.c_str());
  return 1;
}

}  // namespace tools

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "help") == 0 || std::strcmp(argv[1], "--help") == 0) {
    tools::PrintUsage(argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  auto it = tools::Table().find(argv[1]);
  if (it == tools::Table().end()) return tools::UsageError(std::string("unknown command ") + argv[1]);
  tools::Args args(argv + 2, argv + argc);
  return it->second.handler(args);
}
