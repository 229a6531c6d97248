// Two programs: the first shows a dialog, the second finds it by its
// title and brings it to the front, and the first hears of it.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "ui/window_search.h"

extern char** environ;

namespace {

// The peer program with its standard output on a pipe.
class Peer {
 public:
  explicit Peer(const std::string& title) {
    int fds[2];
    if (::pipe(fds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    std::string program = UI_WINDOW_PEER;
    char* argv[] = {program.data(), const_cast<char*>(title.c_str()), nullptr};
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    out_ = fds[0];
  }
  ~Peer() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) ::close(out_);
  }
  Peer(const Peer&) = delete;
  Peer& operator=(const Peer&) = delete;

  // The next line it prints, "" after 15 s or at its end.
  std::string Line() {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (std::chrono::steady_clock::now() < deadline) {
      pollfd p{out_, POLLIN, 0};
      if (::poll(&p, 1, 100) <= 0) continue;
      char c;
      if (::read(out_, &c, 1) != 1) return line;
      if (c == '\n') return line;
      line += c;
    }
    return line;
  }
  int Wait() {
    int status = 0;
    if (::waitpid(pid_, &status, 0) != pid_) return -1;
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  bool Started() const { return pid_ > 0; }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
};

TEST(WindowSearch, AnotherProgramFindsTheWindowByTitleAndBringsItForward) {
  struct Row {
    const char* what;
    bool (*bring)(const ui::WindowRef&);
  };
  const Row rows[] = {{"SetForegroundWindow", ui::SetForegroundWindow}, {"SetFocus", ui::SetFocus}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    // The customizer's title, made unique to this test run.
    const std::string title = "Customizer Utility V4.71 " + std::to_string(::getpid());
    Peer peer(title);
    ASSERT_TRUE(peer.Started());
    ASSERT_EQ(peer.Line(), "shown");
    EXPECT_FALSE(ui::FindWindow(title + " "));  // exactly the title
    EXPECT_FALSE(ui::FindWindow("customizer utility v4.71 " + std::to_string(::getpid())));
    const ui::WindowRef found = ui::FindWindow(title);
    ASSERT_TRUE(found);
    EXPECT_TRUE(row.bring(found));
    EXPECT_EQ(peer.Line(), "activated active=1");
    EXPECT_EQ(peer.Wait(), 0);
    // Gone with its program.
    EXPECT_FALSE(ui::FindWindow(title));
    EXPECT_FALSE(ui::SetForegroundWindow(found));
  }
}

}  // namespace
