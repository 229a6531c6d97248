#include "ui/qt/qt_tray.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QPixmap>
#include <QStyle>
#include <QSystemTrayIcon>

#include "ui/menu.h"
#include "ui/win_constants.h"

namespace ui::qt {

namespace {

// How long a message beside the icon stays, where the desktop lets the
// program say.
constexpr int kInfoShownMs = 6000;

void AddItems(QMenu& menu, const Menu& popup) {
  for (const auto& item : popup.Items()) {
    if (item.separator) {
      menu.addSeparator();
      continue;
    }
    if (item.popup) {
      QMenu* sub = menu.addMenu(QString::fromStdString(item.text));
      AddItems(*sub, *item.popup);
      continue;
    }
    QAction* action = menu.addAction(QString::fromStdString(item.text));
    action->setData(item.id);
    action->setEnabled(!item.grayed);
    if (item.checked) {
      action->setCheckable(true);
      action->setChecked(true);
    }
  }
}

unsigned MouseMessageFor(QSystemTrayIcon::ActivationReason reason) {
  switch (reason) {
    case QSystemTrayIcon::Context:
      return WM_RBUTTONDOWN;
    case QSystemTrayIcon::DoubleClick:
      return WM_LBUTTONDBLCLK;
    case QSystemTrayIcon::Trigger:
      return WM_LBUTTONUP;
    case QSystemTrayIcon::MiddleClick:
      return WM_MBUTTONDOWN;
    default:
      return 0;
  }
}

}  // namespace

QtTray::QtTray(const ImageTable* images) : images_(images), receiver_(std::make_unique<QObject>()) {}

QtTray::~QtTray() {
  for (auto& [id, entry] : icons_) delete entry.icon;
}

bool QtTray::IsAvailable() const { return QSystemTrayIcon::isSystemTrayAvailable(); }

QIcon QtTray::IconFor(int iconId) const {
  if (images_ != nullptr) {
    const std::vector<unsigned char> bytes = images_->Load(ImageKind::Icon, iconId);
    QPixmap pixmap;
    if (!bytes.empty() && pixmap.loadFromData(bytes.data(), static_cast<uint>(bytes.size()))) {
      return QIcon(pixmap);
    }
  }
  return QApplication::style()->standardIcon(QStyle::SP_ComputerIcon);
}

void QtTray::Update(Entry& entry, const NotifyIcon& icon) {
  entry.record = icon;
  if (entry.record.tip.size() > kMaxTipLength) entry.record.tip.resize(kMaxTipLength);
  entry.icon->setIcon(IconFor(icon.iconId));
  entry.icon->setToolTip(QString::fromStdString(entry.record.tip));
  if (!icon.info.empty()) {
    entry.icon->showMessage(QString::fromStdString(icon.infoTitle), QString::fromStdString(icon.info),
                            QSystemTrayIcon::Information, kInfoShownMs);
  }
  // Shown once: a later change of the tip alone repeats no message.
  entry.record.info.clear();
}

bool QtTray::AddIcon(const NotifyIcon& icon) {
  if (!IsAvailable() || icons_.count(icon.id) != 0) return false;
  Entry& entry = icons_[icon.id];
  entry.icon = new QSystemTrayIcon();
  Update(entry, icon);
  const unsigned id = icon.id;
  // Qt emits activated from inside the icon's own mouse event. The program's
  // answer to a click may remove this very icon (Suspend and Exit do), and
  // hiding a tray icon destroys its window at once, so that event would
  // return into a freed widget. The click is therefore answered from the
  // event loop, once Qt is done with the event: the menu, its command and
  // all they do run with no tray window of ours on the stack.
  QObject::connect(entry.icon, &QSystemTrayIcon::activated, receiver_.get(),
                   [this, id](QSystemTrayIcon::ActivationReason reason) {
                     const unsigned mouse = MouseMessageFor(reason);
                     if (mouse == 0) return;
                     QMetaObject::invokeMethod(
                         receiver_.get(), [this, id, mouse] { Activated(id, mouse); },
                         Qt::QueuedConnection);
                   });
  entry.icon->show();
  return true;
}

void QtTray::Activated(unsigned id, unsigned mouseMessage) {
  // The icon may have gone, or been replaced under the same id, meanwhile.
  auto it = icons_.find(id);
  if (it == icons_.end() || !mouse_) return;
  auto handler = mouse_;
  handler(it->second.record.callbackMessage, mouseMessage);
}

bool QtTray::ModifyIcon(const NotifyIcon& icon) {
  auto it = icons_.find(icon.id);
  if (it == icons_.end()) return false;
  Update(it->second, icon);
  return true;
}

bool QtTray::DeleteIcon(unsigned id) {
  auto it = icons_.find(id);
  if (it == icons_.end()) return false;
  QSystemTrayIcon* icon = it->second.icon;
  icons_.erase(it);
  // hide() destroys the icon's window there and then; no event of that
  // window is being handled here, as clicks are answered from the loop
  // (AddIcon). The object itself may still have a signal on its way out.
  icon->hide();
  icon->deleteLater();
  return true;
}

Point QtTray::CursorPos() const {
  const QPoint p = QCursor::pos();
  return Point{p.x(), p.y()};
}

std::unique_ptr<QMenu> QtTray::BuildMenu(const Menu& popup) {
  auto menu = std::make_unique<QMenu>();
  AddItems(*menu, popup);
  return menu;
}

void QtTray::TrackPopupMenu(const Menu& popup, Point pt, unsigned flags) {
  int chosen = 0;
  if (user_ != nullptr) {
    const auto choice = user_->TakeMenuChoice();
    const Menu::Item* item = choice ? popup.FindCommand(*choice) : nullptr;
    if (item != nullptr && !item->grayed) chosen = item->id;
  } else {
    std::unique_ptr<QMenu> menu = BuildMenu(popup);
    QPoint at(pt.x, pt.y);
    if ((flags & TPM_RIGHTALIGN) != 0) at.rx() -= menu->sizeHint().width();
    // While the menu is open another start may close the program, which
    // frees popup and ends this loop: popup is not read after exec, and
    // the menu lives until its command has run.
    QAction* action = menu->exec(at);
    if (action != nullptr) chosen = action->data().toInt();
  }
  if (chosen != 0 && command_) {
    auto handler = command_;
    handler(chosen);
  }
}

}  // namespace ui::qt
