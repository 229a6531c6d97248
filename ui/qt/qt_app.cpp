#include "ui/qt/qt_app.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>

#include "ui/signals.h"

namespace ui::qt {

QtTimers::~QtTimers() {
  for (auto& [id, timer] : timers_) delete timer;
}

unsigned QtTimers::SetTimer(unsigned intervalMs, TimerProc proc) {
  if (!proc) return 0;
  unsigned id = nextId_;
  while (id == 0 || timers_.count(id) != 0) ++id;
  nextId_ = id + 1;
  auto* timer = new QTimer();
  timer->setInterval(static_cast<int>(std::max(1u, intervalMs)));
  QObject::connect(timer, &QTimer::timeout, [proc, id] { proc(id); });
  timers_[id] = timer;
  timer->start();
  return id;
}

bool QtTimers::KillTimer(unsigned timerId) {
  auto it = timers_.find(timerId);
  if (it == timers_.end()) return false;
  QTimer* timer = it->second;
  timers_.erase(it);
  timer->stop();
  // The timer may be the one whose callback is running.
  timer->deleteLater();
  return true;
}

QtApplication::QtApplication(int& argc, char** argv, const ImageTable* images)
    : dialogs_(images), tray_(images) {
  if (QApplication::instance() == nullptr) ownApp_ = std::make_unique<QApplication>(argc, argv);
  // A tray program lives on after its last dialog closes.
  QApplication::setQuitOnLastWindowClosed(false);
  OnTerminationSignal(nullptr);
  dialogs_.SetLoop(this);
}

QtApplication::~QtApplication() {
  for (auto& [id, notifier] : notifiers_) delete notifier;
  notifiers_.clear();
}

void QtApplication::SetUser(headless::ScriptedUser* user) {
  dialogs_.SetUser(user);
  tray_.SetUser(user);
}

int QtApplication::WatchDescriptor(int fd, std::function<void()> onReadable) {
  const int id = nextWatch_++;
  auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read);
  QObject::connect(notifier, &QSocketNotifier::activated, [onReadable] { onReadable(); });
  notifiers_[id] = notifier;
  return id;
}

void QtApplication::UnwatchDescriptor(int watchId) {
  auto it = notifiers_.find(watchId);
  if (it == notifiers_.end()) return;
  QSocketNotifier* notifier = it->second;
  notifiers_.erase(it);
  notifier->setEnabled(false);
  // Often called from the notifier's own callback.
  notifier->deleteLater();
}

void QtApplication::Post(std::function<void()> fn) {
  QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(fn), Qt::QueuedConnection);
}

void QtApplication::OnTerminationSignal(std::function<void()> handler) {
  onSignal_ = std::move(handler);
  if (signalWatch_ != 0) return;
  const int fd = TerminationSignalFd();
  if (fd < 0) return;
  signalWatch_ = WatchDescriptor(fd, [this] {
    if (!DrainTerminationSignals()) return;
    if (onSignal_) {
      auto h = onSignal_;
      h();
    } else {
      PostQuit(0);
    }
  });
}

int QtApplication::Run() {
  if (!quit_) {
    const int code = QApplication::exec();
    if (!quit_) quitCode_ = code;
  }
  // The loop can run again after it returned.
  quit_ = false;
  return quitCode_;
}

void QtApplication::PostQuit(int code) {
  if (quit_) return;
  quit_ = true;
  quitCode_ = code;
  QCoreApplication::exit(code);
}

}  // namespace ui::qt
