// Applications without a screen.
//
// HeadlessApplication is what a program runs on when there is no display:
// a plain real-time event loop, dialogs answered without a user, no tray.
// TestApplication is the same shape for tests: a virtual clock, a fake
// tray and a scripted user, all reachable from the test.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>

#include "ui/event_loop.h"
#include "ui/headless/fake_tray.h"
#include "ui/headless/headless_host.h"
#include "ui/headless/scripted_user.h"
#include "ui/headless/virtual_clock.h"
#include "ui/host.h"

namespace ui::headless {

class HeadlessApplication : public Application {
 public:
  HeadlessApplication();

  DialogHost& Dialogs() override { return dialogs_; }
  TimerService& Timers() override { return loop_; }
  TrayHost& Tray() override { return tray_; }
  int WatchDescriptor(int fd, std::function<void()> onReadable) override {
    return loop_.Watch(fd, std::move(onReadable));
  }
  void UnwatchDescriptor(int watchId) override { loop_.Unwatch(watchId); }
  void Post(std::function<void()> fn) override { loop_.Post(std::move(fn)); }
  void OnTerminationSignal(std::function<void()> handler) override {
    loop_.CatchTerminationSignals(std::move(handler));
  }
  int Run() override { return loop_.Run(); }
  void PostQuit(int code) override { loop_.Quit(code); }
  bool ShowsDialogs() const override { return false; }

  EventLoop& Loop() { return loop_; }
  HeadlessDialogHost& Headless() { return dialogs_; }

 private:
  EventLoop loop_;
  HeadlessDialogHost dialogs_;
  FakeTray tray_{false};
};

class TestApplication : public Application {
 public:
  TestApplication();

  DialogHost& Dialogs() override { return dialogs_; }
  TimerService& Timers() override { return clock_; }
  TrayHost& Tray() override { return tray_; }
  int WatchDescriptor(int fd, std::function<void()> onReadable) override;
  void UnwatchDescriptor(int watchId) override { watches_.erase(watchId); }
  void Post(std::function<void()> fn) override { posted_.push_back(std::move(fn)); }
  void OnTerminationSignal(std::function<void()> handler) override {
    onSignal_ = std::move(handler);
  }
  // Runs in virtual time: posted calls, watched descriptors (polled without
  // waiting) and timers, until PostQuit or until the clock reaches the run
  // limit; then returns the quit code, or -1 when the limit ended it.
  // Once quit, it stays quit: a second Run returns at once.
  int Run() override;
  void PostQuit(int code) override;
  bool ShowsDialogs() const override { return false; }

  // The test's side.
  ScriptedUser& User() { return user_; }
  HeadlessDialogHost& Headless() { return dialogs_; }
  VirtualClock& Clock() { return clock_; }
  FakeTray& FakeTrayHost() { return tray_; }
  // Run() stops when the clock reaches this many ms from now.
  void SetRunLimit(std::uint64_t ms) { limit_ = clock_.Now() + ms; }
  // Handles posted calls and ready descriptors without moving the clock.
  void Pump();
  // Moves the clock by ms, pumping before and after.
  void Advance(std::uint64_t ms);
  // As if SIGTERM had arrived.
  void RaiseTerminationSignal();
  bool QuitRequested() const { return quit_; }
  int QuitCode() const { return quitCode_; }

 private:
  ScriptedUser user_;
  HeadlessDialogHost dialogs_{&user_};
  VirtualClock clock_;
  FakeTray tray_{true, &user_};
  std::map<int, std::pair<int, std::function<void()>>> watches_;
  int nextWatch_ = 1;
  std::deque<std::function<void()>> posted_;
  std::function<void()> onSignal_;
  std::uint64_t limit_ = 60ull * 60 * 1000;
  bool quit_ = false;
  int quitCode_ = 0;
};

}  // namespace ui::headless
