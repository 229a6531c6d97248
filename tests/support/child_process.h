// A program run as a child process by a test: started in a folder with its
// output going to a log file, waited for or killed, and killed when the
// test ends early.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace testsupport {

inline bool WaitFor(const std::function<bool()>& done, int ms = 15000) {
  for (int waited = 0; waited < ms; waited += 20) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return done();
}

class ChildProcess {
 public:
  // Starts program with args in dir; its standard output and error are
  // appended to log.
  ChildProcess(const std::string& program, std::vector<std::string> args, const std::string& dir,
               const std::string& log) {
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> raw;
    for (auto& a : argv) raw.push_back(a.data());
    raw.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, raw.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~ChildProcess() {
    if (Running()) Kill();
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return pid_ > 0; }
  bool Running() {
    if (pid_ <= 0 || ended_) return false;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      ended_ = true;
      status_ = status;
      return false;
    }
    return true;
  }
  // The exit code once it has ended within ms; -1 when still running, -2
  // when a signal ended it.
  int Wait(int ms = 15000) {
    WaitFor([&] { return !Running(); }, ms);
    if (!ended_) return -1;
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : -2;
  }
  // SIGKILL, and reaped.
  void Kill() {
    if (pid_ <= 0 || ended_) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, &status_, 0);
    ended_ = true;
  }
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  bool ended_ = false;
  int status_ = 0;
};

}  // namespace testsupport
