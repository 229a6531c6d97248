#include "ui/menu.h"

#include "ui/win_constants.h"

namespace ui {

Menu::Menu(const MenuTemplate& t) : Menu(t.items) {}

Menu::Menu(const std::vector<MenuItemTemplate>& items) {
  items_.reserve(items.size());
  for (const auto& t : items) {
    Item item;
    item.id = t.items.empty() ? t.id : 0;
    item.text = t.text;
    item.separator = t.separator;
    if (!t.items.empty()) item.popup = std::make_unique<Menu>(t.items);
    items_.push_back(std::move(item));
  }
}

Menu* Menu::SubMenu(int position) {
  if (position < 0 || position >= ItemCount()) return nullptr;
  return items_[position].popup.get();
}

const Menu* Menu::SubMenu(int position) const {
  if (position < 0 || position >= ItemCount()) return nullptr;
  return items_[position].popup.get();
}

int Menu::ItemId(int position) const {
  if (position < 0 || position >= ItemCount()) return -1;
  const Item& item = items_[position];
  if (item.popup) return -1;
  return item.separator ? 0 : item.id;
}

std::string Menu::ItemText(int position) const {
  if (position < 0 || position >= ItemCount()) return {};
  return items_[position].text;
}

bool Menu::SetItemText(int position, std::string_view text) {
  if (position < 0 || position >= ItemCount()) return false;
  items_[position].text = std::string(text);
  items_[position].separator = false;
  return true;
}

Menu::Item* Menu::FindCommand(int id) {
  for (auto& item : items_) {
    if (item.popup) {
      if (Item* found = item.popup->FindCommand(id)) return found;
    } else if (!item.separator && item.id == id) {
      return &item;
    }
  }
  return nullptr;
}

const Menu::Item* Menu::FindCommand(int id) const {
  return const_cast<Menu*>(this)->FindCommand(id);
}

bool Menu::EnableItem(int id, bool enabled) {
  Item* item = FindCommand(id);
  if (item == nullptr) return false;
  item->grayed = !enabled;
  return true;
}

bool Menu::CheckItem(int id, bool checked) {
  Item* item = FindCommand(id);
  if (item == nullptr) return false;
  item->checked = checked;
  return true;
}

void Menu::AppendMenu(unsigned flags, int id, std::string_view text) {
  Item item;
  item.separator = (flags & MF_SEPARATOR) != 0;
  if (!item.separator) {
    item.id = id;
    item.text = std::string(text);
  }
  items_.push_back(std::move(item));
}

std::string StripAccessKey(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&') {
      if (i + 1 < text.size() && text[i + 1] == '&') {
        out += '&';
        ++i;
      }
      continue;
    }
    out += text[i];
  }
  return out;
}

}  // namespace ui
