// The state of an open dialog's controls, kept in memory.
//
// Every host keeps its controls here: the headless host has nothing else,
// the Qt host mirrors each change onto its widgets and feeds what the user
// does back in. The rules of the controls therefore live in one place: what
// a click does to an automatic check box or radio group, where a sorted list
// inserts, what an out-of-range selection means, how a track bar clamps.
//
// Two sides use a model. The program side (CDialog) sets and reads values
// as it would with control messages; nothing it does sends a command back.
// The user side (a person through widgets, or a test script) clicks, picks,
// types and moves; each such action changes the state as the control would
// and then sends the control's command to the dialog.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <memory>

#include "ui/menu.h"
#include "ui/template.h"

namespace ui {

class CDialog;
class PaintContext;

struct ListItem {
  std::string text;
  std::intptr_t data = 0;
};

// A picture drawn by the dialog's paint handler, at a pixel position.
struct DrawnPicture {
  int id = 0;
  int x = 0;
  int y = 0;
  bool icon = false;
  bool operator==(const DrawnPicture&) const = default;
};

struct ControlState {
  const ControlTemplate* tmpl = nullptr;
  std::string text;
  int check = BST_UNCHECKED;
  bool enabled = true;
  bool visible = true;
  std::vector<ListItem> items;
  int selection = -1;
  int rangeMin = 0;
  int rangeMax = 100;
  int pos = 0;
  int ticFreq = 1;
  int pageSize = 20;
  int imageId = 0;

  ControlKind kind() const { return tmpl->kind; }
  int id() const { return tmpl->id; }
  bool Has(unsigned flag) const { return tmpl->Has(flag); }
  bool IsList() const { return kind() == ControlKind::ListBox || kind() == ControlKind::ComboBox; }
  bool IsEditableCombo() const {
    return kind() == ControlKind::ComboBox && !Has(ctl::DropDownList);
  }
};

enum class Change {
  Text,
  Check,
  Enabled,
  Visible,
  Items,
  Selection,
  Slider,
  Image,
  Focus,
  Title,
  Centered,
  DialogFocus,
  Repaint,
  PaintNow,  // paint at once, within the operation that asks
  Ended,
  Icon,
  Menu,
};

// Told of every change, with the control's position in the template, or -1
// for a change of the dialog itself.
class ModelObserver {
 public:
  virtual ~ModelObserver() = default;
  virtual void ModelChanged(int index, Change what) = 0;
};

class DialogModel {
 public:
  // The model points into t, which must outlive it; a temporary would not.
  DialogModel(const DialogTemplate& t, CDialog* dialog);
  DialogModel(const DialogTemplate&& t, CDialog* dialog) = delete;
  DialogModel(const DialogModel&) = delete;
  DialogModel& operator=(const DialogModel&) = delete;

  const DialogTemplate& Template() const { return *template_; }
  CDialog* Dialog() const { return dialog_; }
  void SetObserver(ModelObserver* observer) { observer_ = observer; }

  // Controls, in template order.
  const std::vector<ControlState>& Controls() const { return controls_; }
  int IndexOf(int id) const;  // -1 when there is no such control
  const ControlState* Find(int id) const;

  // The dialog window.
  void SetTitle(std::string_view title);
  const std::string& Title() const { return title_; }
  void Center();
  bool Centered() const { return centered_; }
  void Focus();
  int FocusCount() const { return focusCount_; }
  void FocusControl(int id);
  int FocusedControl() const { return focusedControl_; }
  void Invalidate();
  void PaintNow();
  void End(int result);
  bool Ended() const { return ended_; }
  int Result() const { return result_; }
  // The window's icons (resource ids, 0 for none).
  void SetIcon(int iconId, bool big);
  int Icon(bool big) const { return big ? bigIcon_ : smallIcon_; }
  // The menu bar (null when the template names none) and the system menu
  // (null without a close box). Program changes show after MenusChanged.
  Menu* MenuBar() { return menuBar_.get(); }
  const Menu* MenuBar() const { return menuBar_.get(); }
  Menu* SystemMenu() { return systemMenu_.get(); }
  const Menu* SystemMenu() const { return systemMenu_.get(); }
  void MenusChanged() { Notify(-1, Change::Menu); }
  // Runs the dialog's paint handler on dc; the host then records what was
  // drawn with RecordPaint.
  void Paint(PaintContext& dc);
  // The host's record of the last paint.
  void RecordPaint(std::vector<DrawnPicture> pictures);
  const std::vector<DrawnPicture>& Pictures() const { return pictures_; }
  int PaintCount() const { return paintCount_; }

  // Program side. Setters return false for a missing control or one of the
  // wrong kind; list operations return LB_ERR (-1) as the list messages do.
  bool SetText(int id, std::string_view text);
  std::string Text(int id) const;
  bool SetCheck(int id, int state);
  int Check(int id) const;  // BST_UNCHECKED for a missing control
  bool Enable(int id, bool enabled);
  bool IsEnabled(int id) const;
  bool Show(int id, bool visible);
  bool IsVisible(int id) const;
  bool SetImage(int id, int imageId);

  int AddString(int id, std::string_view text);  // sorted lists insert in order
  int InsertString(int id, int index, std::string_view text);  // index -1 appends
  int DeleteString(int id, int index);  // the number of items left
  bool ResetContent(int id);
  int Count(int id) const;
  std::string ItemText(int id, int index) const;  // "" outside the list
  int SetItemData(int id, int index, std::intptr_t data);
  std::intptr_t ItemData(int id, int index) const;
  // Selects index; -1 or an index outside the list clears the selection
  // (and returns LB_ERR, except for -1 itself, which is a request).
  int SetCurSel(int id, int index);
  int CurSel(int id) const;
  // Searches after start (-1: from the top), wrapping around, without
  // regard to case: a whole item text, or an item beginning with prefix.
  int FindStringExact(int id, int start, std::string_view text) const;
  int FindString(int id, int start, std::string_view prefix) const;
  int SelectString(int id, int start, std::string_view prefix);

  bool SetRange(int id, int min, int max);
  int RangeMin(int id) const;
  int RangeMax(int id) const;
  bool SetPos(int id, int pos);  // clamped to the range
  int Pos(int id) const;
  bool SetTicFreq(int id, int freq);
  bool SetPageSize(int id, int size);

  // The radio buttons of the group that starts at firstId, in template
  // order: from firstId up to the next control that starts a group.
  std::vector<int> RadioGroup(int firstId) const;

  // User side. False when the control is missing, disabled, hidden or of a
  // kind that does not take the action, or when the dialog has ended.
  bool CanUse(int id) const;
  bool UserClick(int id);
  bool UserSelect(int id, int index);
  bool UserDoubleClick(int id, int index);
  bool UserType(int id, std::string_view text);
  bool UserMoveSlider(int id, int pos);
  // A command chosen from the menu bar or the system menu: false for an
  // item that is missing, grayed or a popup.
  bool UserChooseMenu(int commandId);
  bool UserChooseSystemMenu(int commandId);
  bool UserClose();       // the close box or Escape: the cancel command
  bool UserPressEnter();  // the default button's command

 private:
  ControlState* Mutable(int id);
  ControlState* MutableList(int id);
  const ControlState* List(int id) const;
  void Notify(int index, Change what);
  void Command(int id, int code);
  void ApplySelection(int index, ControlState& c, int selection);

  const DialogTemplate* template_;
  CDialog* dialog_;
  ModelObserver* observer_ = nullptr;
  std::vector<ControlState> controls_;
  std::string title_;
  bool centered_ = false;
  int focusCount_ = 0;
  int focusedControl_ = 0;
  bool ended_ = false;
  int result_ = 0;
  std::vector<DrawnPicture> pictures_;
  int paintCount_ = 0;
  int bigIcon_ = 0;
  int smallIcon_ = 0;
  std::unique_ptr<Menu> menuBar_;
  std::unique_ptr<Menu> systemMenu_;
};

// Case-insensitive order of list items, as sorted lists use it.
int CompareItemText(std::string_view a, std::string_view b);

}  // namespace ui
