// The header every program's dialog templates share: id, caption, size,
// font and placement, checked the same way for each program's table.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "ui/template.h"

namespace testsupport {

struct DialogHeader {
  const ui::DialogTemplate& (*get)();
  int id;
  std::string title;
  int cx, cy;
  bool centred;
};

inline void ExpectDialogHeaders(std::initializer_list<DialogHeader> headers) {
  for (const auto& h : headers) {
    SCOPED_TRACE(h.id);
    const ui::DialogTemplate& t = h.get();
    EXPECT_EQ(t.id, h.id);
    EXPECT_EQ(t.title, h.title);
    EXPECT_EQ(t.rect.cx, h.cx);
    EXPECT_EQ(t.rect.cy, h.cy);
    EXPECT_EQ(t.Has(ui::dlg::Center), h.centred);
    EXPECT_TRUE(t.Has(ui::dlg::ModalFrame) && t.Has(ui::dlg::SysMenu));
    EXPECT_EQ(t.font.name, "MS Sans Serif");
    EXPECT_EQ(t.font.pointSize, 8);
  }
}

}  // namespace testsupport
