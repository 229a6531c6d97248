#include "ui/headless/fake_tray.h"

namespace ui::headless {

namespace {

NotifyIcon Trimmed(const NotifyIcon& icon) {
  NotifyIcon copy = icon;
  if (copy.tip.size() > kMaxTipLength) copy.tip.resize(kMaxTipLength);
  return copy;
}

std::string InfoOf(const NotifyIcon& icon) {
  return icon.info.empty() ? std::string() : " [" + icon.infoTitle + ": " + icon.info + "]";
}

}  // namespace

bool FakeTray::AddIcon(const NotifyIcon& icon) {
  if (!available_ || icons_.count(icon.id) != 0) return false;
  icons_[icon.id] = Trimmed(icon);
  log_.push_back("add " + std::to_string(icon.iconId) + " " + icons_[icon.id].tip + InfoOf(icon));
  return true;
}

bool FakeTray::ModifyIcon(const NotifyIcon& icon) {
  auto it = icons_.find(icon.id);
  if (!available_ || it == icons_.end()) return false;
  it->second = Trimmed(icon);
  log_.push_back("modify " + std::to_string(icon.iconId) + " " + it->second.tip + InfoOf(icon));
  return true;
}

bool FakeTray::DeleteIcon(unsigned id) {
  if (icons_.erase(id) == 0) return false;
  log_.push_back("delete");
  return true;
}

std::optional<NotifyIcon> FakeTray::Icon(unsigned id) const {
  auto it = icons_.find(id);
  if (it == icons_.end()) return std::nullopt;
  return it->second;
}

bool FakeTray::Mouse(unsigned id, unsigned mouseMessage) {
  auto it = icons_.find(id);
  if (it == icons_.end()) return false;
  const unsigned callback = it->second.callbackMessage;
  if (mouse_) {
    auto handler = mouse_;
    handler(callback, mouseMessage);
  }
  return true;
}

void FakeTray::TrackPopupMenu(const Menu& popup, Point pt, unsigned flags) {
  MenuShown shown;
  for (const auto& item : popup.Items()) {
    shown.texts.push_back(item.separator ? std::string() : item.text);
    shown.ids.push_back(item.popup ? -1 : (item.separator ? 0 : item.id));
  }
  shown.at = pt;
  shown.flags = flags;
  std::optional<int> choice;
  if (user_ != nullptr) choice = user_->TakeMenuChoice();
  // Only an item the menu holds, enabled, can be chosen.
  if (choice && *choice != 0) {
    const Menu::Item* item = popup.FindCommand(*choice);
    if (item != nullptr && !item->grayed) shown.chosen = *choice;
  }
  menus_.push_back(shown);
  if (shown.chosen != 0 && command_) {
    auto handler = command_;
    handler(shown.chosen);
  }
}

}  // namespace ui::headless
