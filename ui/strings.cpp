#include "ui/strings.h"

namespace ui {

bool StringTable::Add(std::span<const StringResource> strings) {
  bool all = true;
  for (const StringResource& s : strings) all = strings_.emplace(s.id, s.text).second && all;
  return all;
}

std::string_view StringTable::Find(int id) const {
  auto it = strings_.find(id);
  return it != strings_.end() ? it->second : std::string_view();
}

StringTable& ProgramStrings() {
  // Built on first use, so registrations from any file's static
  // initialisation find it ready.
  static StringTable table;
  return table;
}

std::string LoadString(int id) { return std::string(ProgramStrings().Find(id)); }

}  // namespace ui
