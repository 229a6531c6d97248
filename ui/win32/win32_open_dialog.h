// An open Win32 dialog as a person uses it: each action is the system
// message their click, pick or typing produces on the real control (a
// button's BM_CLICK, a list's selection with its notification, the text
// set into an edit, the track bar's scroll messages, a menu's WM_COMMAND),
// so it goes through the dialog manager and the host as theirs would.
// Reading goes through the model, as on every host.
#pragma once

#include "ui/win32/win32_host.h"

#include "ui/open_dialog.h"

namespace ui::win32 {

class Win32OpenDialog : public OpenDialog {
 public:
  Win32OpenDialog(DialogModel& model, HWND window);

  bool Click(int id) override;
  bool SelectRow(int id, int row) override;
  bool DoubleClickRow(int id, int row) override;
  bool Type(int id, std::string_view text) override;
  bool MoveSlider(int id, int pos) override;
  bool Close() override;
  bool PressEnter() override;
  bool ChooseMenu(int commandId) override;
  bool ChooseSystemMenu(int commandId) override;
  void Paint() override;

  HWND Window() const { return window_; }
  // The control a person would act on: there, enabled and showing.
  HWND Usable(int id) const;

 private:
  void Notify(HWND control, int code);
  HWND window_;
};

}  // namespace ui::win32
