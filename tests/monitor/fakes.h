// Test doubles for the monitor engine: a recording host, a scripted process
// list and a recording process starter.
#pragma once

#include <string>
#include <vector>

#include "monitor/host.h"
#include "monitor/monitor_state.h"
#include "platform/process.h"

namespace montest {

struct Message {
  int textId;
  std::string text;
  std::string caption;
  unsigned style;
};

class RecordingHost : public MonitorHost {
 public:
  void KillWatchTimer(unsigned timerId) override {
    killed.push_back(timerId);
    running = false;
  }
  unsigned SetWatchTimer() override {
    running = true;
    ++sets;
    return ++nextId;
  }
  int ShowInstructions(MonitorState&, int position) override {
    instructions.push_back(position);
    return 2;
  }
  int ShowJoystickPrompt(MonitorState&) override {
    ++prompts;
    return promptAnswer;
  }
  int ShowMessage(int textId, std::string_view text, std::string_view caption,
                  unsigned style) override {
    messages.push_back({textId, std::string(text), std::string(caption), style});
    return kIdOk;
  }
  void LaunchHelp(std::string_view file, unsigned command) override {
    help.push_back(std::string(file) + " " + std::to_string(command));
  }
  void FocusHiddenWindow() override { ++focus; }
  void* HiddenWindow() override { return this; }

  std::vector<unsigned> killed;
  int sets = 0;
  unsigned nextId = 100;
  bool running = true;
  std::vector<int> instructions;
  int prompts = 0;
  int promptAnswer = kIdNo;
  std::vector<Message> messages;
  std::vector<std::string> help;
  int focus = 0;
};

// Lists the system entry and then the given executable paths, oldest first.
class ScriptedLister : public platform::ProcessLister {
 public:
  bool List(std::vector<platform::ProcessEntry>& out) override {
    ++calls;
    if (fail) return false;
    out.clear();
    if (!empty) {
      platform::ProcessEntry system;
      system.exePath = std::string(platform::kSystemProcessName);
      out.push_back(system);
    }
    std::uint32_t pid = 100;
    for (const auto& p : paths) {
      platform::ProcessEntry e;
      e.processId = pid++;
      e.parentProcessId = 1;
      e.exePath = p;
      out.push_back(std::move(e));
    }
    return true;
  }
  std::vector<std::string> paths;
  bool fail = false;   // no snapshot at all
  bool empty = false;  // a snapshot without even the system entry
  int calls = 0;
};

struct StartCall {
  std::string program, commandLine, directory;
};

class RecordingStarter : public platform::ProcessStarter {
 public:
  bool Start(std::string_view program, std::string_view commandLine,
             std::string_view currentDirectory, std::uint32_t* processId) override {
    starts.push_back({std::string(program), std::string(commandLine),
                      std::string(currentDirectory)});
    if (processId) *processId = 4242;
    return true;
  }
  std::vector<StartCall> starts;
};

// Installs a lister and a starter for the lifetime of a test.
class ScopedProcessDoubles {
 public:
  ScopedProcessDoubles() {
    oldLister_ = platform::SetProcessLister(&lister);
    oldStarter_ = platform::SetProcessStarter(&starter);
  }
  ~ScopedProcessDoubles() {
    platform::SetProcessLister(oldLister_);
    platform::SetProcessStarter(oldStarter_);
  }
  ScriptedLister lister;
  RecordingStarter starter;

 private:
  platform::ProcessLister* oldLister_;
  platform::ProcessStarter* oldStarter_;
};

// Text as written in text mode: every "\n" becomes CR LF.
inline std::string Crlf(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// The whole lines of text written in text mode, without their CR LF; an
// unfinished last line is left out.
inline std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else if (c != '\r') {
      line += c;
    }
  }
  return lines;
}

}  // namespace montest
