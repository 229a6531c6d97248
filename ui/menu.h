// Menus: a menu resource as data, and a loaded menu that a program changes
// at run time (item texts by position), as it would through a menu handle.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

struct MenuItemTemplate {
  int id = 0;  // command id; 0 for a separator or a popup
  std::string text;
  bool separator = false;
  std::vector<MenuItemTemplate> items;  // a popup when not empty

  static MenuItemTemplate Item(std::string text, int id) { return {id, std::move(text), false, {}}; }
  static MenuItemTemplate Separator() { return {0, {}, true, {}}; }
  static MenuItemTemplate Popup(std::string text, std::vector<MenuItemTemplate> items) {
    return {0, std::move(text), false, std::move(items)};
  }
};

struct MenuTemplate {
  int id = 0;
  std::vector<MenuItemTemplate> items;  // usually the popups of a menu bar
};

class Menu {
 public:
  struct Item {
    int id = 0;
    std::string text;
    bool separator = false;
    bool grayed = false;
    bool checked = false;
    std::unique_ptr<Menu> popup;
  };

  Menu() = default;
  explicit Menu(const MenuTemplate& t);
  explicit Menu(const std::vector<MenuItemTemplate>& items);
  Menu(const Menu&) = delete;
  Menu& operator=(const Menu&) = delete;

  int ItemCount() const { return static_cast<int>(items_.size()); }
  // The popup at position, or null.
  Menu* SubMenu(int position);
  const Menu* SubMenu(int position) const;
  // The command id at position: 0 for a separator, -1 for a popup or a
  // position outside the menu.
  int ItemId(int position) const;
  std::string ItemText(int position) const;  // "" outside the menu
  // Changes the text of the item at position; false outside the menu.
  bool SetItemText(int position, std::string_view text);
  // Finds an item by command id anywhere below this menu.
  Item* FindCommand(int id);
  const Item* FindCommand(int id) const;
  bool EnableItem(int id, bool enabled);
  bool CheckItem(int id, bool checked);
  // Adds an item at the end: MF_SEPARATOR, or MF_STRING with id and text.
  void AppendMenu(unsigned flags, int id = 0, std::string_view text = {});
  const std::vector<Item>& Items() const { return items_; }

 private:
  std::vector<Item> items_;
};

// A menu item's text as shown: the '&' that marks the access key removed,
// "&&" shown as one '&'.
std::string StripAccessKey(std::string_view text);

}  // namespace ui
