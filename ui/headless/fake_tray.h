// A tray without a desktop: it keeps the icons a program adds, lets a test
// click them, and shows popup menus to the scripted user.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ui/headless/scripted_user.h"
#include "ui/host.h"
#include "ui/menu.h"

namespace ui::headless {

class FakeTray : public TrayHost {
 public:
  explicit FakeTray(bool available = true, ScriptedUser* user = nullptr)
      : available_(available), user_(user) {}

  void SetAvailable(bool available) { available_ = available; }
  void SetUser(ScriptedUser* user) { user_ = user; }
  void SetCursorPos(Point p) { cursor_ = p; }

  bool IsAvailable() const override { return available_; }
  bool AddIcon(const NotifyIcon& icon) override;
  bool ModifyIcon(const NotifyIcon& icon) override;
  bool DeleteIcon(unsigned id) override;
  void SetMouseHandler(MouseHandler handler) override { mouse_ = std::move(handler); }
  void SetCommandHandler(CommandHandler handler) override { command_ = std::move(handler); }
  Point CursorPos() const override { return cursor_; }
  void TrackPopupMenu(const Menu& popup, Point pt, unsigned flags) override;

  // The test's side.
  std::optional<NotifyIcon> Icon(unsigned id) const;
  std::size_t IconCount() const { return icons_.size(); }
  // The mouse on icon id: false when there is no such icon.
  bool Mouse(unsigned id, unsigned mouseMessage);
  bool DoubleClick(unsigned id) { return Mouse(id, WM_LBUTTONDBLCLK); }
  bool RightClick(unsigned id) { return Mouse(id, WM_RBUTTONDOWN); }

  struct MenuShown {
    std::vector<std::string> texts;  // separators as ""
    std::vector<int> ids;
    Point at;
    unsigned flags = 0;
    int chosen = 0;  // 0 when dismissed
  };
  const std::vector<MenuShown>& MenusShown() const { return menus_; }
  // Every icon operation in order: "add 104 <tip>", "modify 139 <tip>",
  // "delete".
  const std::vector<std::string>& Log() const { return log_; }

 private:
  bool available_;
  ScriptedUser* user_;
  Point cursor_{1000, 740};
  std::map<unsigned, NotifyIcon> icons_;
  MouseHandler mouse_;
  CommandHandler command_;
  std::vector<MenuShown> menus_;
  std::vector<std::string> log_;
};

}  // namespace ui::headless
