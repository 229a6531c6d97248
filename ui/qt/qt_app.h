// A program on Qt: QApplication's event loop with the dialog host, the
// tray, timers as QTimer, descriptors through QSocketNotifier and the
// termination signals through a self-pipe.
#pragma once

#include <functional>
#include <map>
#include <memory>

#include "ui/host.h"
#include "ui/images.h"
#include "ui/qt/qt_dialog_host.h"
#include "ui/qt/qt_tray.h"

class QApplication;
class QSocketNotifier;
class QTimer;

namespace ui::qt {

class QtTimers : public TimerService {
 public:
  ~QtTimers() override;
  unsigned SetTimer(unsigned intervalMs, TimerProc proc) override;
  bool KillTimer(unsigned timerId) override;
  std::size_t Count() const { return timers_.size(); }

 private:
  std::map<unsigned, QTimer*> timers_;
  unsigned nextId_ = 1;
};

class QtApplication : public Application {
 public:
  // Uses the QApplication that exists, or makes one (argc and argv must
  // outlive it).
  QtApplication(int& argc, char** argv, const ImageTable* images);
  ~QtApplication() override;

  DialogHost& Dialogs() override { return dialogs_; }
  TimerService& Timers() override { return timers_; }
  TrayHost& Tray() override { return tray_; }
  int WatchDescriptor(int fd, std::function<void()> onReadable) override;
  void UnwatchDescriptor(int watchId) override;
  void Post(std::function<void()> fn) override;
  void OnTerminationSignal(std::function<void()> handler) override;
  // Runs until PostQuit (also one made before Run); can run again after.
  int Run() override;
  void PostQuit(int code) override;
  bool ShowsDialogs() const override { return true; }

  QtDialogHost& QtDialogs() { return dialogs_; }
  QtTray& QtTrayHost() { return tray_; }
  // Tests: dialogs, message boxes and menus played by a script.
  void SetUser(headless::ScriptedUser* user);

 private:
  std::unique_ptr<QApplication> ownApp_;
  QtDialogHost dialogs_;
  QtTray tray_;
  QtTimers timers_;
  std::map<int, QSocketNotifier*> notifiers_;
  int nextWatch_ = 1;
  std::function<void()> onSignal_;
  int signalWatch_ = 0;
  bool quit_ = false;
  int quitCode_ = 0;
};

}  // namespace ui::qt
