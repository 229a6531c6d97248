#include "ui/open_dialog.h"

namespace ui {

bool OpenDialog::SelectRowText(int id, std::string_view text) {
  const int row = model_.FindStringExact(id, -1, text);
  return row != LB_ERR && SelectRow(id, row);
}

std::vector<std::string> OpenDialog::Items(int id) const {
  std::vector<std::string> items;
  const int n = model_.Count(id);
  for (int i = 0; i < n; ++i) items.push_back(model_.ItemText(id, i));
  return items;
}

int OpenDialog::ImageId(int id) const {
  const ControlState* c = model_.Find(id);
  return c != nullptr ? c->imageId : 0;
}

Rect OpenDialog::PixelRect(int id) const {
  const ControlState* c = model_.Find(id);
  return c != nullptr ? DialogToPixels(c->tmpl->rect, units_) : Rect{};
}

}  // namespace ui
