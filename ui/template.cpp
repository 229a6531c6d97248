#include "ui/template.h"

#include <cstdint>
#include <utility>

namespace ui {

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const std::int64_t p = static_cast<std::int64_t>(a) * b;
  const bool negative = (p < 0) != (c < 0);
  const std::int64_t n = p < 0 ? -p : p;
  const std::int64_t d = c < 0 ? -static_cast<std::int64_t>(c) : c;
  const std::int64_t q = (n + d / 2) / d;
  return static_cast<int>(negative ? -q : q);
}

Rect DialogToPixels(const Rect& du, BaseUnits units) {
  return Rect{MulDiv(du.x, units.x, 4), MulDiv(du.y, units.y, 8), MulDiv(du.cx, units.x, 4),
              MulDiv(du.cy, units.y, 8)};
}

const ControlTemplate* DialogTemplate::Find(int controlId) const {
  for (const auto& c : controls) {
    if (c.id == controlId) return &c;
  }
  return nullptr;
}

namespace {

ControlTemplate Make(ControlKind kind, std::string text, int id, int x, int y, int cx, int cy,
                     unsigned style) {
  ControlTemplate c;
  c.kind = kind;
  c.id = id;
  c.text = std::move(text);
  c.rect = Rect{x, y, cx, cy};
  c.style = style;
  return c;
}

}  // namespace

DialogTemplate Dialog(int id, std::string title, int cx, int cy, unsigned style,
                      std::vector<ControlTemplate> controls) {
  DialogTemplate d;
  d.id = id;
  d.title = std::move(title);
  d.rect = {0, 0, cx, cy};
  d.style = style;
  d.controls = std::move(controls);
  return d;
}

ControlTemplate DefPushButton(std::string text, int id, int x, int y, int cx, int cy,
                              unsigned style) {
  return Make(ControlKind::PushButton, std::move(text), id, x, y, cx, cy,
              style | ctl::Default | ctl::TabStop);
}

ControlTemplate PushButton(std::string text, int id, int x, int y, int cx, int cy,
                           unsigned style) {
  return Make(ControlKind::PushButton, std::move(text), id, x, y, cx, cy, style | ctl::TabStop);
}

ControlTemplate CheckBox(std::string text, int id, int x, int y, int cx, int cy,
                         unsigned style) {
  return Make(ControlKind::CheckBox, std::move(text), id, x, y, cx, cy, style | ctl::TabStop);
}

ControlTemplate AutoCheckBox(std::string text, int id, int x, int y, int cx, int cy,
                             unsigned style) {
  return Make(ControlKind::CheckBox, std::move(text), id, x, y, cx, cy,
              style | ctl::Auto | ctl::TabStop);
}

ControlTemplate Auto3State(std::string text, int id, int x, int y, int cx, int cy,
                           unsigned style) {
  return Make(ControlKind::CheckBox, std::move(text), id, x, y, cx, cy,
              style | ctl::Auto | ctl::ThreeState | ctl::TabStop);
}

ControlTemplate RadioButton(std::string text, int id, int x, int y, int cx, int cy,
                            unsigned style) {
  return Make(ControlKind::RadioButton, std::move(text), id, x, y, cx, cy, style);
}

ControlTemplate AutoRadioButton(std::string text, int id, int x, int y, int cx, int cy,
                                unsigned style) {
  return Make(ControlKind::RadioButton, std::move(text), id, x, y, cx, cy, style | ctl::Auto);
}

ControlTemplate LText(std::string text, int id, int x, int y, int cx, int cy, unsigned style) {
  return Make(ControlKind::Static, std::move(text), id, x, y, cx, cy, style);
}

ControlTemplate CText(std::string text, int id, int x, int y, int cx, int cy, unsigned style) {
  return Make(ControlKind::Static, std::move(text), id, x, y, cx, cy, style | ctl::Center);
}

ControlTemplate RText(std::string text, int id, int x, int y, int cx, int cy, unsigned style) {
  return Make(ControlKind::Static, std::move(text), id, x, y, cx, cy, style | ctl::Right);
}

ControlTemplate EditText(int id, int x, int y, int cx, int cy, unsigned style) {
  return Make(ControlKind::Edit, {}, id, x, y, cx, cy, style | ctl::TabStop | ctl::Border);
}

ControlTemplate ListBox(int id, int x, int y, int cx, int cy, unsigned style) {
  return Make(ControlKind::ListBox, {}, id, x, y, cx, cy, style | ctl::TabStop | ctl::Border);
}

ControlTemplate ComboBox(int id, int x, int y, int cx, int cy, unsigned style) {
  return Make(ControlKind::ComboBox, {}, id, x, y, cx, cy, style | ctl::TabStop);
}

ControlTemplate GroupBox(std::string text, int id, int x, int y, int cx, int cy,
                         unsigned style) {
  return Make(ControlKind::GroupBox, std::move(text), id, x, y, cx, cy, style);
}

ControlTemplate TrackBar(int id, int x, int y, int cx, int cy, unsigned style) {
  return Make(ControlKind::TrackBar, {}, id, x, y, cx, cy, style | ctl::TabStop);
}

ControlTemplate Icon(int iconId, int id, int x, int y, int cx, int cy, unsigned style) {
  ControlTemplate c = Make(ControlKind::Picture, {}, id, x, y, cx, cy, style | ctl::IconImage);
  c.imageId = iconId;
  return c;
}

ControlTemplate Bitmap(int bitmapId, int id, int x, int y, int cx, int cy, unsigned style) {
  ControlTemplate c = Make(ControlKind::Picture, {}, id, x, y, cx, cy, style);
  c.imageId = bitmapId;
  return c;
}

}  // namespace ui
