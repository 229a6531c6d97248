// A program on Windows: the thread's message loop with the dialog host, the
// tray, thread timers, calls posted to a hidden window of the program's
// own, and termination (console events, the session's end) delivered to
// that window.
#pragma once

#include "ui/win32/win32_host.h"

#include <deque>
#include <functional>
#include <map>

#include "ui/host.h"
#include "ui/win32/win32_dialog_host.h"
#include "ui/win32/win32_tray.h"

namespace ui::win32 {

class Win32Timers : public TimerService {
 public:
  ~Win32Timers() override;
  unsigned SetTimer(unsigned intervalMs, TimerProc proc) override;
  bool KillTimer(unsigned timerId) override;

 private:
  static void CALLBACK Fire(HWND, UINT, UINT_PTR id, DWORD);
};

class Win32Application : public Application {
 public:
  explicit Win32Application(const ImageTable* images);
  ~Win32Application() override;
  Win32Application(const Win32Application&) = delete;
  Win32Application& operator=(const Win32Application&) = delete;

  DialogHost& Dialogs() override { return dialogs_; }
  TimerService& Timers() override { return timers_; }
  TrayHost& Tray() override { return tray_; }
  // Windows programs hear other programs through windows, not descriptors:
  // nothing is watched.
  int WatchDescriptor(int fd, std::function<void()> onReadable) override { return 0; }
  void UnwatchDescriptor(int watchId) override {}
  void Post(std::function<void()> fn) override;
  void OnTerminationSignal(std::function<void()> handler) override;
  // Runs until PostQuit (also one made before Run); can run again after.
  int Run() override;
  void PostQuit(int code) override;
  bool ShowsDialogs() const override { return true; }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void RunPosted();
  void Terminate();

  Win32DialogHost dialogs_;
  Win32Tray tray_;
  Win32Timers timers_;
  HWND window_ = nullptr;
  std::deque<std::function<void()>> posted_;
  std::function<void()> onSignal_;
  bool quit_ = false;
  int quitCode_ = 0;
};

}  // namespace ui::win32
