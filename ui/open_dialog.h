// A dialog that is showing, as a user (or a test playing one) sees it:
// controls to click, rows to pick, fields to type into, and everything on
// the screen to read. Hosts hand one to a scripted user when a dialog opens.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ui/dialog_model.h"

namespace ui {

class OpenDialog {
 public:
  explicit OpenDialog(DialogModel& model, BaseUnits units) : model_(model), units_(units) {}
  virtual ~OpenDialog() = default;

  // Actions. False when the control is missing, disabled or hidden, does not
  // take the action, or the dialog has ended.
  virtual bool Click(int id) { return model_.UserClick(id); }
  virtual bool SelectRow(int id, int row) { return model_.UserSelect(id, row); }
  virtual bool DoubleClickRow(int id, int row) { return model_.UserDoubleClick(id, row); }
  virtual bool Type(int id, std::string_view text) { return model_.UserType(id, text); }
  virtual bool MoveSlider(int id, int pos) { return model_.UserMoveSlider(id, pos); }
  virtual bool Close() { return model_.UserClose(); }
  virtual bool PressEnter() { return model_.UserPressEnter(); }
  // Chooses a command from the menu bar or the system menu.
  virtual bool ChooseMenu(int commandId) { return model_.UserChooseMenu(commandId); }
  virtual bool ChooseSystemMenu(int commandId) { return model_.UserChooseSystemMenu(commandId); }
  // Ends the dialog with code, as the program would (for a script that
  // must leave a dialog that offers no way out).
  void End(int code) { model_.End(code); }
  // Picks the first row whose text equals text (without regard to case).
  bool SelectRowText(int id, std::string_view text);
  // Asks the host to paint the dialog now (the headless host paints when a
  // dialog opens and whenever it is invalidated).
  virtual void Paint() {}
  // Saves a picture of the dialog as PNG; false where there is nothing to
  // take a picture of.
  virtual bool SaveScreenshot(const std::string& path) { return false; }

  // What the user sees.
  int TemplateId() const { return model_.Template().id; }
  std::string Title() const { return model_.Title(); }
  bool Exists(int id) const { return model_.Find(id) != nullptr; }
  std::string Text(int id) const { return model_.Text(id); }
  int Check(int id) const { return model_.Check(id); }
  bool Enabled(int id) const { return model_.IsEnabled(id); }
  bool Visible(int id) const { return model_.IsVisible(id); }
  int Selection(int id) const { return model_.CurSel(id); }
  std::vector<std::string> Items(int id) const;
  std::intptr_t ItemData(int id, int row) const { return model_.ItemData(id, row); }
  int SliderPos(int id) const { return model_.Pos(id); }
  int ImageId(int id) const;
  int IconId(bool big) const { return model_.Icon(big); }
  const Menu* MenuBar() const { return model_.MenuBar(); }
  const Menu* SystemMenu() const { return model_.SystemMenu(); }
  const std::vector<DrawnPicture>& Pictures() const { return model_.Pictures(); }
  int PaintCount() const { return model_.PaintCount(); }
  bool Centered() const { return model_.Centered(); }
  int FocusCount() const { return model_.FocusCount(); }
  bool Ended() const { return model_.Ended(); }
  int Result() const { return model_.Result(); }
  // A control's rectangle in client pixels, from the host's base units.
  Rect PixelRect(int id) const;
  BaseUnits Units() const { return units_; }
  DialogModel& Model() { return model_; }
  const DialogModel& Model() const { return model_; }

 protected:
  DialogModel& model_;
  BaseUnits units_;
};

}  // namespace ui
