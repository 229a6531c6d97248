// Process pieces every host shares: where snapshots come from and how
// programs start (the host's own way unless a test installed another),
// walking a snapshot and the words of a command line.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dospath.h"
#include "platform/fileops.h"
#include "platform/host_detail.h"
#include "platform/process.h"

namespace platform {
namespace {

ProcessLister* g_lister = nullptr;
ProcessStarter* g_starter = nullptr;

class HostLister final : public ProcessLister {
 public:
  bool List(std::vector<ProcessEntry>& out) override { return ListHostProcesses(out); }
};

class HostStarter final : public ProcessStarter {
 public:
  bool Start(std::string_view program, std::string_view commandLine,
             std::string_view currentDirectory, std::uint32_t* processId) override {
    return hostdetail::StartHostProcess(program, commandLine, currentDirectory, processId);
  }
};

}  // namespace

std::string_view hostdetail::BaseName(std::string_view path) {
  std::size_t cut = path.find_last_of("\\/");
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

bool hostdetail::EndsWithNoCase(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && EqualsNoCase(s.substr(s.size() - suffix.size()), suffix);
}

std::optional<std::string> hostdetail::ProgramFile(std::string_view program) {
  if (program.empty()) return std::nullopt;
  auto host = ToHostPath(program);
  if ((!host || !IsRegularFile(*host)) && EndsWithNoCase(program, ".exe")) {
    host = ToHostPath(program.substr(0, program.size() - 4));
  }
  if (!host || !IsRegularFile(*host)) return std::nullopt;
  return host;
}

bool hostdetail::NamesItself(const std::vector<std::string>& words, std::string_view program) {
  return !words.empty() &&
         (EqualsNoCase(words[0], program) || EqualsNoCase(words[0], BaseName(program)));
}

std::unique_ptr<ProcessSnapshot> CreateProcessSnapshot() {
  static HostLister host;
  ProcessLister* lister = g_lister ? g_lister : &host;
  std::vector<ProcessEntry> entries;
  if (!lister->List(entries)) return nullptr;
  return std::make_unique<ProcessSnapshot>(std::move(entries));
}

ProcessLister* SetProcessLister(ProcessLister* lister) {
  ProcessLister* old = g_lister;
  g_lister = lister;
  return old;
}

ProcessStarter* SetProcessStarter(ProcessStarter* starter) {
  ProcessStarter* old = g_starter;
  g_starter = starter;
  return old;
}

bool StartProcess(std::string_view program, std::string_view commandLine,
                  std::string_view currentDirectory, std::uint32_t* processId) {
  static HostStarter host;
  ProcessStarter* starter = g_starter ? g_starter : &host;
  return starter->Start(program, commandLine, currentDirectory, processId);
}

bool ProcessSnapshot::First(ProcessEntry& entry) {
  next_ = 0;
  return Next(entry);
}

bool ProcessSnapshot::Next(ProcessEntry& entry) {
  if (next_ >= entries_.size()) return false;
  entry = entries_[next_++];
  return true;
}

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false, quoted = false;
  for (char c : commandLine) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (inWord) words.push_back(std::move(word));
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(std::move(word));
  return words;
}

std::string CommandLineOf(int argc, char** argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += ' ';
    line += argv[i];
  }
  return line;
}

bool AsksForHelp(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h" || arg == "/?") return true;
  }
  return false;
}

}  // namespace platform
