// Dialog templates as data.
//
// A template describes a dialog the way a resource script does: its id,
// title, size in dialog units and font, and its controls in tab order, each
// with a kind, an id, a text, a rectangle in dialog units and style flags.
// The builders below read like the statements of a resource script
// (DEFPUSHBUTTON, AUTOCHECKBOX, LTEXT ...), so a template can be copied
// from a dialog's description line by line. A native build turns a template
// into the platform's in-memory dialog template; the Qt host builds widgets.
#pragma once

#include <string>
#include <vector>

#include "ui/menu.h"
#include "ui/win_constants.h"

namespace ui {

// A rectangle: origin and size, in dialog units or in pixels.
struct Rect {
  int x = 0;
  int y = 0;
  int cx = 0;
  int cy = 0;
  bool operator==(const Rect&) const = default;
};

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

// The average character width and the character height of a dialog's font,
// in pixels. Four horizontal dialog units make one average character
// width, eight vertical ones one character height.
struct BaseUnits {
  int x = 6;
  int y = 13;
  bool operator==(const BaseUnits&) const = default;
};

// a * b / c rounded to the nearest integer, halves away from zero.
int MulDiv(int a, int b, int c);

// Dialog units to pixels, rounding like the original platform.
Rect DialogToPixels(const Rect& du, BaseUnits units);

enum class ControlKind {
  PushButton,
  CheckBox,
  RadioButton,
  Static,
  Edit,
  ListBox,
  ComboBox,
  TrackBar,
  GroupBox,
  Picture,
};

// Control style flags.
namespace ctl {
inline constexpr unsigned Default = 1u << 0;       // default push button
inline constexpr unsigned Group = 1u << 1;         // starts a group (radio groups, tab groups)
inline constexpr unsigned TabStop = 1u << 2;
inline constexpr unsigned Auto = 1u << 3;          // check box or radio button changes itself
inline constexpr unsigned ThreeState = 1u << 4;    // check box with a third, indeterminate state
inline constexpr unsigned Sorted = 1u << 5;        // list or combo box keeps its items sorted
inline constexpr unsigned ReadOnly = 1u << 6;      // edit
inline constexpr unsigned MultiLine = 1u << 7;     // edit
inline constexpr unsigned VScroll = 1u << 8;
inline constexpr unsigned HScroll = 1u << 9;
inline constexpr unsigned Center = 1u << 10;       // static text centred
inline constexpr unsigned Right = 1u << 11;        // static text right-aligned
inline constexpr unsigned Sunken = 1u << 12;       // static with a sunken edge
inline constexpr unsigned DropDownList = 1u << 13; // combo box without an edit field
inline constexpr unsigned NoPrefix = 1u << 14;     // '&' shown as it is
inline constexpr unsigned Disabled = 1u << 15;
inline constexpr unsigned Hidden = 1u << 16;
inline constexpr unsigned Vertical = 1u << 17;     // track bar
inline constexpr unsigned AutoTicks = 1u << 18;    // track bar
inline constexpr unsigned Password = 1u << 19;     // edit
inline constexpr unsigned Number = 1u << 20;       // edit taking digits only
inline constexpr unsigned Notify = 1u << 21;       // static or list box reports clicks
inline constexpr unsigned Border = 1u << 22;
inline constexpr unsigned WantReturn = 1u << 23;   // multi-line edit keeps Enter
inline constexpr unsigned AutoHScroll = 1u << 24;  // edit scrolls sideways
inline constexpr unsigned IconImage = 1u << 25;    // picture shows an icon (else a bitmap)
}  // namespace ctl

// Dialog style flags.
namespace dlg {
inline constexpr unsigned Center = 1u << 0;       // centred on the desktop when created
inline constexpr unsigned SystemModal = 1u << 1;
inline constexpr unsigned ModalFrame = 1u << 2;
inline constexpr unsigned SysMenu = 1u << 3;      // close box in the title bar
inline constexpr unsigned SetForeground = 1u << 4;
}  // namespace dlg

struct ControlTemplate {
  ControlKind kind = ControlKind::Static;
  int id = IDC_STATIC;
  std::string text;
  Rect rect;           // dialog units
  unsigned style = 0;  // ctl:: flags
  int imageId = 0;     // picture controls: the icon or bitmap resource

  bool Has(unsigned flag) const { return (style & flag) != 0; }
};

struct DialogFont {
  std::string name = "MS Sans Serif";
  int pointSize = 8;
};

struct DialogTemplate {
  int id = 0;
  std::string title;
  Rect rect;           // dialog units; x, y relative to the owner
  DialogFont font;
  unsigned style = dlg::ModalFrame | dlg::SysMenu;
  // The menu bar (a MENU statement naming a menu resource); none while it
  // has no items. Its commands reach the dialog's OnCommand with code 0,
  // like a button's.
  MenuTemplate menu;
  std::vector<ControlTemplate> controls;  // in tab order

  // The first control with this id, or null.
  const ControlTemplate* Find(int controlId) const;
  bool Has(unsigned flag) const { return (style & flag) != 0; }
};

// Builders named after the resource-script statements.

// DIALOG statement: the dialog id, its CAPTION, its size cx by cy dialog
// units (placed at the owner's origin unless the STYLE, dlg:: flags,
// centres it), its controls in tab order, in the 8-point dialog font.
DialogTemplate Dialog(int id, std::string title, int cx, int cy, unsigned style,
                      std::vector<ControlTemplate> controls);

ControlTemplate DefPushButton(std::string text, int id, int x, int y, int cx, int cy,
                              unsigned style = 0);
ControlTemplate PushButton(std::string text, int id, int x, int y, int cx, int cy,
                           unsigned style = 0);
ControlTemplate CheckBox(std::string text, int id, int x, int y, int cx, int cy,
                         unsigned style = 0);
ControlTemplate AutoCheckBox(std::string text, int id, int x, int y, int cx, int cy,
                             unsigned style = 0);
ControlTemplate Auto3State(std::string text, int id, int x, int y, int cx, int cy,
                           unsigned style = 0);
ControlTemplate RadioButton(std::string text, int id, int x, int y, int cx, int cy,
                            unsigned style = 0);
ControlTemplate AutoRadioButton(std::string text, int id, int x, int y, int cx, int cy,
                                unsigned style = 0);
ControlTemplate LText(std::string text, int id, int x, int y, int cx, int cy,
                      unsigned style = 0);
ControlTemplate CText(std::string text, int id, int x, int y, int cx, int cy,
                      unsigned style = 0);
ControlTemplate RText(std::string text, int id, int x, int y, int cx, int cy,
                      unsigned style = 0);
ControlTemplate EditText(int id, int x, int y, int cx, int cy, unsigned style = 0);
ControlTemplate ListBox(int id, int x, int y, int cx, int cy, unsigned style = 0);
ControlTemplate ComboBox(int id, int x, int y, int cx, int cy, unsigned style = 0);
ControlTemplate GroupBox(std::string text, int id, int x, int y, int cx, int cy,
                         unsigned style = 0);
ControlTemplate TrackBar(int id, int x, int y, int cx, int cy, unsigned style = 0);
// ICON statement: an icon resource at its own size (cx, cy may be 0).
ControlTemplate Icon(int iconId, int id, int x, int y, int cx = 0, int cy = 0,
                     unsigned style = 0);
// A static control showing a bitmap resource.
ControlTemplate Bitmap(int bitmapId, int id, int x, int y, int cx = 0, int cy = 0,
                       unsigned style = 0);

}  // namespace ui
