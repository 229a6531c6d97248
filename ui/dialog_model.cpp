#include "ui/dialog_model.h"

#include <algorithm>

#include "platform/dospath.h"

#include "ui/dialog.h"

namespace ui {

int CompareItemText(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    // ASCII letters only: the C library's case rules follow the locale,
    // which the Qt front end changes.
    const unsigned char ca = static_cast<unsigned char>(platform::ToLowerAscii(a[i]));
    const unsigned char cb = static_cast<unsigned char>(platform::ToLowerAscii(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && CompareItemText(text.substr(0, prefix.size()), prefix) == 0;
}

// The first item of list c after start whose text matches, going round to
// the top (start -1, or one out of range: from the top); LB_ERR when none.
template <typename Match>
int FindItem(const ControlState* c, int start, Match matches) {
  if (c == nullptr) return LB_ERR;
  const int n = static_cast<int>(c->items.size());
  if (start < -1 || start >= n) start = -1;
  for (int k = 1; k <= n; ++k) {
    const int i = (start + k) % n;
    if (matches(c->items[i].text)) return i;
  }
  return LB_ERR;
}

}  // namespace

DialogModel::DialogModel(const DialogTemplate& t, CDialog* dialog)
    : template_(&t), dialog_(dialog), title_(t.title) {
  controls_.reserve(t.controls.size());
  for (const auto& ct : t.controls) {
    ControlState c;
    c.tmpl = &ct;
    if (!c.IsList() && ct.kind != ControlKind::TrackBar) c.text = ct.text;
    if (ct.kind == ControlKind::ComboBox && !ct.Has(ctl::DropDownList)) c.text = ct.text;
    c.enabled = !ct.Has(ctl::Disabled);
    c.visible = !ct.Has(ctl::Hidden);
    c.imageId = ct.imageId;
    controls_.push_back(std::move(c));
  }
  if (!t.menu.items.empty()) menuBar_ = std::make_unique<Menu>(t.menu);
  if (t.Has(dlg::SysMenu)) {
    systemMenu_ = std::make_unique<Menu>();
    systemMenu_->AppendMenu(MF_STRING, SC_CLOSE, "&Close");
  }
}

int DialogModel::IndexOf(int id) const {
  if (id == IDC_STATIC) return -1;
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    if (controls_[i].id() == id) return static_cast<int>(i);
  }
  return -1;
}

const ControlState* DialogModel::Find(int id) const {
  const int i = IndexOf(id);
  return i < 0 ? nullptr : &controls_[i];
}

ControlState* DialogModel::Mutable(int id) {
  const int i = IndexOf(id);
  return i < 0 ? nullptr : &controls_[i];
}

ControlState* DialogModel::MutableList(int id) {
  ControlState* c = Mutable(id);
  return c != nullptr && c->IsList() ? c : nullptr;
}

const ControlState* DialogModel::List(int id) const {
  const ControlState* c = Find(id);
  return c != nullptr && c->IsList() ? c : nullptr;
}

void DialogModel::Notify(int index, Change what) {
  if (observer_ != nullptr) observer_->ModelChanged(index, what);
}

void DialogModel::Command(int id, int code) {
  if (!ended_ && dialog_ != nullptr) dialog_->SendCommand(id, code);
}

// --- the dialog window ----------------------------------------------------

void DialogModel::SetTitle(std::string_view title) {
  title_ = std::string(title);
  Notify(-1, Change::Title);
}

void DialogModel::Center() {
  centered_ = true;
  Notify(-1, Change::Centered);
}

void DialogModel::Focus() {
  ++focusCount_;
  Notify(-1, Change::DialogFocus);
}

void DialogModel::FocusControl(int id) {
  const int i = IndexOf(id);
  if (i < 0) return;
  focusedControl_ = id;
  Notify(i, Change::Focus);
}

void DialogModel::SetIcon(int iconId, bool big) {
  (big ? bigIcon_ : smallIcon_) = iconId;
  Notify(-1, Change::Icon);
}

void DialogModel::Paint(PaintContext& dc) {
  if (dialog_ != nullptr) dialog_->SendPaint(dc);
}

void DialogModel::Invalidate() { Notify(-1, Change::Repaint); }
void DialogModel::PaintNow() { Notify(-1, Change::PaintNow); }

void DialogModel::End(int result) {
  if (ended_) return;
  ended_ = true;
  result_ = result;
  Notify(-1, Change::Ended);
}

void DialogModel::RecordPaint(std::vector<DrawnPicture> pictures) {
  pictures_ = std::move(pictures);
  ++paintCount_;
}

// --- program side: text, check, enabling ------------------------------------

bool DialogModel::SetText(int id, std::string_view text) {
  ControlState* c = Mutable(id);
  if (c == nullptr) return false;
  if (c->kind() == ControlKind::ComboBox && c->Has(ctl::DropDownList)) return false;
  if (c->kind() == ControlKind::ListBox) return false;
  c->text = std::string(text);
  Notify(IndexOf(id), Change::Text);
  return true;
}

std::string DialogModel::Text(int id) const {
  const ControlState* c = Find(id);
  if (c == nullptr) return {};
  if (c->kind() == ControlKind::ComboBox && c->Has(ctl::DropDownList)) {
    return c->selection >= 0 ? c->items[c->selection].text : std::string();
  }
  return c->text;
}

bool DialogModel::SetCheck(int id, int state) {
  ControlState* c = Mutable(id);
  if (c == nullptr || (c->kind() != ControlKind::CheckBox && c->kind() != ControlKind::RadioButton)) {
    return false;
  }
  if (state < BST_UNCHECKED || state > BST_INDETERMINATE) state = BST_UNCHECKED;
  if (state == BST_INDETERMINATE && !c->Has(ctl::ThreeState)) state = BST_CHECKED;
  c->check = state;
  Notify(IndexOf(id), Change::Check);
  return true;
}

int DialogModel::Check(int id) const {
  const ControlState* c = Find(id);
  return c == nullptr ? BST_UNCHECKED : c->check;
}

bool DialogModel::Enable(int id, bool enabled) {
  ControlState* c = Mutable(id);
  if (c == nullptr) return false;
  c->enabled = enabled;
  Notify(IndexOf(id), Change::Enabled);
  return true;
}

bool DialogModel::IsEnabled(int id) const {
  const ControlState* c = Find(id);
  return c != nullptr && c->enabled;
}

bool DialogModel::Show(int id, bool visible) {
  ControlState* c = Mutable(id);
  if (c == nullptr) return false;
  c->visible = visible;
  Notify(IndexOf(id), Change::Visible);
  return true;
}

bool DialogModel::IsVisible(int id) const {
  const ControlState* c = Find(id);
  return c != nullptr && c->visible;
}

bool DialogModel::SetImage(int id, int imageId) {
  ControlState* c = Mutable(id);
  if (c == nullptr || c->kind() != ControlKind::Picture) return false;
  c->imageId = imageId;
  Notify(IndexOf(id), Change::Image);
  return true;
}

// --- program side: lists -----------------------------------------------------

void DialogModel::ApplySelection(int index, ControlState& c, int selection) {
  c.selection = selection;
  if (c.IsEditableCombo()) {
    c.text = selection >= 0 ? c.items[selection].text : std::string();
    Notify(index, Change::Text);
  }
  Notify(index, Change::Selection);
}

int DialogModel::AddString(int id, std::string_view text) {
  ControlState* c = MutableList(id);
  if (c == nullptr) return LB_ERR;
  int at = static_cast<int>(c->items.size());
  if (c->Has(ctl::Sorted)) {
    // After every item that sorts equal or before, so equal texts keep the
    // order they were added in.
    auto it = std::upper_bound(c->items.begin(), c->items.end(), text,
                               [](std::string_view t, const ListItem& item) {
                                 return CompareItemText(t, item.text) < 0;
                               });
    at = static_cast<int>(it - c->items.begin());
  }
  return InsertString(id, at, text);
}

int DialogModel::InsertString(int id, int index, std::string_view text) {
  ControlState* c = MutableList(id);
  if (c == nullptr) return LB_ERR;
  const int count = static_cast<int>(c->items.size());
  if (index < 0) index = count;
  if (index > count) return LB_ERR;
  c->items.insert(c->items.begin() + index, ListItem{std::string(text), 0});
  if (c->selection >= index) ++c->selection;
  Notify(IndexOf(id), Change::Items);
  return index;
}

int DialogModel::DeleteString(int id, int index) {
  ControlState* c = MutableList(id);
  if (c == nullptr) return LB_ERR;
  const int count = static_cast<int>(c->items.size());
  if (index < 0 || index >= count) return LB_ERR;
  c->items.erase(c->items.begin() + index);
  if (c->selection == index) {
    c->selection = -1;
  } else if (c->selection > index) {
    --c->selection;
  }
  Notify(IndexOf(id), Change::Items);
  return count - 1;
}

bool DialogModel::ResetContent(int id) {
  ControlState* c = MutableList(id);
  if (c == nullptr) return false;
  c->items.clear();
  c->selection = -1;
  if (c->IsEditableCombo()) c->text.clear();
  Notify(IndexOf(id), Change::Items);
  return true;
}

int DialogModel::Count(int id) const {
  const ControlState* c = List(id);
  return c == nullptr ? LB_ERR : static_cast<int>(c->items.size());
}

std::string DialogModel::ItemText(int id, int index) const {
  const ControlState* c = List(id);
  if (c == nullptr || index < 0 || index >= static_cast<int>(c->items.size())) return {};
  return c->items[index].text;
}

int DialogModel::SetItemData(int id, int index, std::intptr_t data) {
  ControlState* c = MutableList(id);
  if (c == nullptr || index < 0 || index >= static_cast<int>(c->items.size())) return LB_ERR;
  c->items[index].data = data;
  return 0;
}

std::intptr_t DialogModel::ItemData(int id, int index) const {
  const ControlState* c = List(id);
  if (c == nullptr || index < 0 || index >= static_cast<int>(c->items.size())) return LB_ERR;
  return c->items[index].data;
}

int DialogModel::SetCurSel(int id, int index) {
  ControlState* c = MutableList(id);
  if (c == nullptr) return LB_ERR;
  const bool valid = index >= 0 && index < static_cast<int>(c->items.size());
  ApplySelection(IndexOf(id), *c, valid ? index : -1);
  return valid ? index : LB_ERR;
}

int DialogModel::CurSel(int id) const {
  const ControlState* c = List(id);
  return c == nullptr ? LB_ERR : c->selection;
}

int DialogModel::FindStringExact(int id, int start, std::string_view text) const {
  return FindItem(List(id), start,
                  [&](std::string_view item) { return CompareItemText(item, text) == 0; });
}

int DialogModel::FindString(int id, int start, std::string_view prefix) const {
  return FindItem(List(id), start,
                  [&](std::string_view item) { return StartsWithNoCase(item, prefix); });
}

int DialogModel::SelectString(int id, int start, std::string_view prefix) {
  const int found = FindString(id, start, prefix);
  if (found == LB_ERR) return LB_ERR;  // the selection stays as it was
  return SetCurSel(id, found);
}

// --- program side: track bars --------------------------------------------------

bool DialogModel::SetRange(int id, int min, int max) {
  ControlState* c = Mutable(id);
  if (c == nullptr || c->kind() != ControlKind::TrackBar) return false;
  if (max < min) std::swap(min, max);
  c->rangeMin = min;
  c->rangeMax = max;
  c->pos = std::clamp(c->pos, min, max);
  Notify(IndexOf(id), Change::Slider);
  return true;
}

int DialogModel::RangeMin(int id) const {
  const ControlState* c = Find(id);
  return c == nullptr ? 0 : c->rangeMin;
}

int DialogModel::RangeMax(int id) const {
  const ControlState* c = Find(id);
  return c == nullptr ? 0 : c->rangeMax;
}

bool DialogModel::SetPos(int id, int pos) {
  ControlState* c = Mutable(id);
  if (c == nullptr || c->kind() != ControlKind::TrackBar) return false;
  c->pos = std::clamp(pos, c->rangeMin, c->rangeMax);
  Notify(IndexOf(id), Change::Slider);
  return true;
}

int DialogModel::Pos(int id) const {
  const ControlState* c = Find(id);
  return c == nullptr ? 0 : c->pos;
}

bool DialogModel::SetTicFreq(int id, int freq) {
  ControlState* c = Mutable(id);
  if (c == nullptr || c->kind() != ControlKind::TrackBar || freq <= 0) return false;
  c->ticFreq = freq;
  Notify(IndexOf(id), Change::Slider);
  return true;
}

bool DialogModel::SetPageSize(int id, int size) {
  ControlState* c = Mutable(id);
  if (c == nullptr || c->kind() != ControlKind::TrackBar || size <= 0) return false;
  c->pageSize = size;
  Notify(IndexOf(id), Change::Slider);
  return true;
}

std::vector<int> DialogModel::RadioGroup(int firstId) const {
  std::vector<int> ids;
  const int first = IndexOf(firstId);
  if (first < 0) return ids;
  for (int i = first; i < static_cast<int>(controls_.size()); ++i) {
    const ControlState& c = controls_[i];
    if (i > first && c.Has(ctl::Group)) break;
    if (c.kind() == ControlKind::RadioButton) ids.push_back(c.id());
  }
  return ids;
}

// --- user side ----------------------------------------------------------------------

bool DialogModel::CanUse(int id) const {
  const ControlState* c = Find(id);
  return !ended_ && c != nullptr && c->enabled && c->visible;
}

bool DialogModel::UserClick(int id) {
  if (!CanUse(id)) return false;
  const int index = IndexOf(id);
  ControlState& c = controls_[index];
  switch (c.kind()) {
    case ControlKind::PushButton:
      break;
    case ControlKind::CheckBox:
      if (c.Has(ctl::Auto)) {
        // Two-state boxes toggle; three-state boxes go unchecked, checked,
        // indeterminate and round again.
        if (c.Has(ctl::ThreeState)) {
          c.check = (c.check + 1) % 3;
        } else {
          c.check = c.check == BST_UNCHECKED ? BST_CHECKED : BST_UNCHECKED;
        }
        Notify(index, Change::Check);
      }
      break;
    case ControlKind::RadioButton:
      if (c.Has(ctl::Auto)) {
        // The group runs from the nearest group start at or before the
        // button to the next group start.
        int from = index;
        while (from > 0 && !controls_[from].Has(ctl::Group)) --from;
        for (int i = from; i < static_cast<int>(controls_.size()); ++i) {
          if (i > from && controls_[i].Has(ctl::Group)) break;
          ControlState& r = controls_[i];
          if (r.kind() != ControlKind::RadioButton) continue;
          const int want = i == index ? BST_CHECKED : BST_UNCHECKED;
          if (r.check != want) {
            r.check = want;
            Notify(i, Change::Check);
          }
        }
      }
      break;
    case ControlKind::Static:
    case ControlKind::Picture:
      if (!c.Has(ctl::Notify)) return false;
      break;
    default:
      return false;
  }
  Command(id, BN_CLICKED);
  return true;
}

bool DialogModel::UserSelect(int id, int row) {
  if (!CanUse(id)) return false;
  ControlState* c = MutableList(id);
  if (c == nullptr || row < 0 || row >= static_cast<int>(c->items.size())) return false;
  ApplySelection(IndexOf(id), *c, row);
  Command(id, c->kind() == ControlKind::ListBox ? LBN_SELCHANGE : CBN_SELCHANGE);
  return true;
}

bool DialogModel::UserDoubleClick(int id, int row) {
  if (!CanUse(id)) return false;
  ControlState* c = MutableList(id);
  if (c == nullptr || c->kind() != ControlKind::ListBox) return false;
  // The first click of the two selected the row already when it could.
  if (c->selection != row && !UserSelect(id, row)) return false;
  Command(id, LBN_DBLCLK);
  return true;
}

bool DialogModel::UserType(int id, std::string_view text) {
  if (!CanUse(id)) return false;
  const int index = IndexOf(id);
  ControlState& c = controls_[index];
  if (c.kind() == ControlKind::Edit) {
    if (c.Has(ctl::ReadOnly)) return false;
    std::string value(text);
    if (c.Has(ctl::Number)) {
      std::erase_if(value, [](char ch) { return ch < '0' || ch > '9'; });
    }
    c.text = std::move(value);
    Notify(index, Change::Text);
    Command(id, EN_CHANGE);
    return true;
  }
  if (c.IsEditableCombo()) {
    c.text = std::string(text);
    // The list follows the field when the text names one of its items.
    int match = -1;
    for (int i = 0; i < static_cast<int>(c.items.size()); ++i) {
      if (CompareItemText(c.items[i].text, text) == 0) {
        match = i;
        break;
      }
    }
    c.selection = match;
    Notify(index, Change::Text);
    Notify(index, Change::Selection);
    Command(id, CBN_EDITCHANGE);
    return true;
  }
  return false;
}

bool DialogModel::UserMoveSlider(int id, int pos) {
  if (!CanUse(id)) return false;
  const int index = IndexOf(id);
  ControlState& c = controls_[index];
  if (c.kind() != ControlKind::TrackBar) return false;
  c.pos = std::clamp(pos, c.rangeMin, c.rangeMax);
  Notify(index, Change::Slider);
  Command(id, TB_ENDTRACK);
  return true;
}

bool DialogModel::UserChooseMenu(int commandId) {
  const Menu::Item* item = menuBar_ ? menuBar_->FindCommand(commandId) : nullptr;
  if (ended_ || item == nullptr || item->grayed) return false;
  Command(commandId, 0);
  return true;
}

bool DialogModel::UserChooseSystemMenu(int commandId) {
  const Menu::Item* item = systemMenu_ ? systemMenu_->FindCommand(commandId) : nullptr;
  if (ended_ || item == nullptr || item->grayed) return false;
  if (dialog_ != nullptr) dialog_->SendSysCommand(commandId);
  return true;
}

bool DialogModel::UserClose() {
  if (ended_) return false;
  // A disabled Cancel button means the dialog cannot be cancelled now.
  const ControlState* cancel = Find(IDCANCEL);
  if (cancel != nullptr && !cancel->enabled) return false;
  Command(IDCANCEL, BN_CLICKED);
  return true;
}

bool DialogModel::UserPressEnter() {
  if (ended_) return false;
  int id = IDOK;
  for (const auto& c : controls_) {
    if (c.kind() == ControlKind::PushButton && c.Has(ctl::Default)) {
      id = c.id();
      break;
    }
  }
  const ControlState* c = Find(id);
  if (c != nullptr && (!c->enabled || !c->visible)) return false;
  Command(id, BN_CLICKED);
  return true;
}

}  // namespace ui
