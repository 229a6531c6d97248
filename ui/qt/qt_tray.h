// The tray on Qt: one QSystemTrayIcon per icon record, popup menus as
// QMenu. Where the desktop has no tray, every icon call fails and the
// program goes on without one. The mouse handler runs from the event loop,
// never inside the icon's own event, so it may delete or replace the icon
// that was clicked.
#pragma once

#include <QIcon>
#include <map>
#include <memory>

#include "ui/headless/scripted_user.h"
#include "ui/host.h"
#include "ui/images.h"

class QMenu;
class QObject;
class QSystemTrayIcon;

namespace ui {
class Menu;
}

namespace ui::qt {

class QtTray : public TrayHost {
 public:
  explicit QtTray(const ImageTable* images);
  ~QtTray() override;

  // With a scripted user, popup menus are answered by it and not shown.
  void SetUser(headless::ScriptedUser* user) { user_ = user; }

  bool IsAvailable() const override;
  bool AddIcon(const NotifyIcon& icon) override;
  bool ModifyIcon(const NotifyIcon& icon) override;
  bool DeleteIcon(unsigned id) override;
  void SetMouseHandler(MouseHandler handler) override { mouse_ = std::move(handler); }
  void SetCommandHandler(CommandHandler handler) override { command_ = std::move(handler); }
  Point CursorPos() const override;
  void TrackPopupMenu(const Menu& popup, Point pt, unsigned flags) override;

  // The icon of resource id, with a stand-in when the program has none.
  QIcon IconFor(int iconId) const;
  // A QMenu built from popup; each action carries its command id as data.
  static std::unique_ptr<QMenu> BuildMenu(const Menu& popup);

 private:
  struct Entry {
    QSystemTrayIcon* icon = nullptr;
    NotifyIcon record;
  };
  void Update(Entry& entry, const NotifyIcon& icon);
  void Activated(unsigned id, unsigned mouseMessage);

  const ImageTable* images_;
  // Receives the icons' clicks as queued calls (see AddIcon); calls still
  // waiting go with it when the tray goes.
  std::unique_ptr<QObject> receiver_;
  headless::ScriptedUser* user_ = nullptr;
  std::map<unsigned, Entry> icons_;
  MouseHandler mouse_;
  CommandHandler command_;
};

}  // namespace ui::qt
