// String tables: a program's texts by resource id.
//
// Each program registers its table once, before main runs, from static
// data:
//
//   constexpr ui::StringResource kStrings[] = {
//       {61238, "Customizer Utility V4.71"},
//       {61215, "<none>"},
//   };
//   const ui::StringTableRegistration kRegistered(kStrings);
//
// and reads a text with ui::LoadString(61238). Put the registration in the
// source file that also defines something the program calls, so the linker
// keeps it.
#pragma once

#include <map>
#include <span>
#include <string>
#include <string_view>

namespace ui {

struct StringResource {
  int id;
  std::string_view text;  // static storage: the table keeps the view
};

class StringTable {
 public:
  // Adds the strings; an id already present keeps its first text, and the
  // result is false when any id was refused for that reason.
  bool Add(std::span<const StringResource> strings);
  // The text of id; empty for an unknown id.
  std::string_view Find(int id) const;
  bool Contains(int id) const { return strings_.count(id) != 0; }

 private:
  std::map<int, std::string_view> strings_;
};

// The strings of this program.
StringTable& ProgramStrings();

// The text of string id from the program's table; "" for an unknown id.
std::string LoadString(int id);

// Registers a table in ProgramStrings() when constructed (at static
// initialisation for a namespace-scope object).
struct StringTableRegistration {
  explicit StringTableRegistration(std::span<const StringResource> strings) {
    ProgramStrings().Add(strings);
  }
};

}  // namespace ui
