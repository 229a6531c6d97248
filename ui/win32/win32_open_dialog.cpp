#include "ui/win32/win32_open_dialog.h"

namespace ui::win32 {
namespace {

BaseUnits UnitsOf(HWND window) {
  RECT r{0, 0, 4, 8};
  ::MapDialogRect(window, &r);
  return {r.right, r.bottom};
}

// A menu item a person can choose: there, not grayed, not a popup.
bool Choosable(HMENU menu, int commandId) {
  if (menu == nullptr) return false;
  const UINT state = ::GetMenuState(menu, static_cast<UINT>(commandId), MF_BYCOMMAND);
  return state != static_cast<UINT>(-1) && (state & (MF_GRAYED | MF_DISABLED | MF_POPUP)) == 0;
}

}  // namespace

Win32OpenDialog::Win32OpenDialog(DialogModel& model, HWND window)
    : OpenDialog(model, UnitsOf(window)), window_(window) {}

HWND Win32OpenDialog::Usable(int id) const {
  if (Ended()) return nullptr;
  HWND control = ::GetDlgItem(window_, id);
  if (control == nullptr || !::IsWindowEnabled(control) || !::IsWindowVisible(control)) return nullptr;
  return control;
}

void Win32OpenDialog::Notify(HWND control, int code) {
  ::SendMessageW(window_, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(control), code),
                 reinterpret_cast<LPARAM>(control));
}

bool Win32OpenDialog::Click(int id) {
  HWND control = Usable(id);
  if (control == nullptr) return false;
  const ControlState* c = model_.Find(id);
  if (c->kind() == ControlKind::Static) {
    if (!c->Has(ctl::Notify)) return false;
    Notify(control, STN_CLICKED);
  } else if (c->kind() == ControlKind::PushButton || c->kind() == ControlKind::CheckBox ||
             c->kind() == ControlKind::RadioButton) {
    ::SendMessageW(control, BM_CLICK, 0, 0);
  } else {
    return false;
  }
  return true;
}

bool Win32OpenDialog::SelectRow(int id, int row) {
  HWND control = Usable(id);
  const ControlState* c = model_.Find(id);
  if (control == nullptr || !c->IsList()) return false;
  const bool list = c->kind() == ControlKind::ListBox;
  const LRESULT count = ::SendMessageW(control, list ? LB_GETCOUNT : CB_GETCOUNT, 0, 0);
  if (row < 0 || row >= count) return false;
  ::SendMessageW(control, list ? LB_SETCURSEL : CB_SETCURSEL, static_cast<WPARAM>(row), 0);
  Notify(control, list ? LBN_SELCHANGE : CBN_SELCHANGE);
  return true;
}

bool Win32OpenDialog::DoubleClickRow(int id, int row) {
  HWND control = Usable(id);
  if (control == nullptr || model_.Find(id)->kind() != ControlKind::ListBox) return false;
  // The first click of the two picks the row.
  if (::SendMessageW(control, LB_GETCURSEL, 0, 0) != row && !SelectRow(id, row)) return false;
  Notify(control, LBN_DBLCLK);
  return true;
}

bool Win32OpenDialog::Type(int id, std::string_view text) {
  HWND control = Usable(id);
  const ControlState* c = model_.Find(id);
  if (control == nullptr || !(c->kind() == ControlKind::Edit || c->IsEditableCombo()) ||
      (::GetWindowLongPtrW(control, GWL_STYLE) & ES_READONLY) != 0) {
    return false;
  }
  const std::wstring typed = Wide(text);
  if (c->IsEditableCombo()) {
    // The field is the combo box's own edit; what typing into it reports.
    ::SetWindowTextW(control, typed.c_str());
    Notify(control, CBN_EDITCHANGE);
    return true;
  }
  // Typing over the whole text: the edit replaces its selection and
  // reports the change, as for keys.
  ::SendMessageW(control, EM_SETSEL, 0, -1);
  ::SendMessageW(control, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(typed.c_str()));
  return true;
}

bool Win32OpenDialog::MoveSlider(int id, int pos) {
  HWND control = Usable(id);
  const ControlState* c = model_.Find(id);
  if (control == nullptr || c->kind() != ControlKind::TrackBar) return false;
  ::SendMessageW(control, TBM_SETPOS, TRUE, pos);
  const UINT scroll = c->Has(ctl::Vertical) ? WM_VSCROLL : WM_HSCROLL;
  ::SendMessageW(window_, scroll, MAKEWPARAM(TB_THUMBTRACK, pos), reinterpret_cast<LPARAM>(control));
  ::SendMessageW(window_, scroll, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(control));
  return true;
}

bool Win32OpenDialog::Close() {
  const ControlState* cancel = model_.Find(IDCANCEL);
  if (Ended() || (cancel != nullptr && !cancel->enabled)) return false;
  ::SendMessageW(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
  return true;
}

bool Win32OpenDialog::PressEnter() {
  if (Ended()) return false;
  const LRESULT def = ::SendMessageW(window_, DM_GETDEFID, 0, 0);
  const int id = HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDOK;
  if (::GetDlgItem(window_, id) != nullptr && Usable(id) == nullptr) return false;
  // Through the dialog manager, as the key would go.
  HWND focus = ::GetFocus();
  MSG msg{focus != nullptr && ::IsChild(window_, focus) ? focus : window_, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
  ::IsDialogMessageW(window_, &msg);
  return true;
}

bool Win32OpenDialog::ChooseMenu(int commandId) {
  if (Ended() || !Choosable(::GetMenu(window_), commandId)) return false;
  ::SendMessageW(window_, WM_COMMAND, MAKEWPARAM(commandId, 0), 0);
  return true;
}

bool Win32OpenDialog::ChooseSystemMenu(int commandId) {
  if (Ended() || !Choosable(::GetSystemMenu(window_, FALSE), commandId)) return false;
  ::SendMessageW(window_, WM_SYSCOMMAND, static_cast<WPARAM>(commandId), 0);
  return true;
}

void Win32OpenDialog::Paint() { ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN); }

}  // namespace ui::win32
