#include "ui/win32/win32_dialog_host.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "ui/dialog.h"
#include "ui/dialog_model.h"
#include "ui/file_dialog.h"
#include "ui/modal_session.h"
#include "ui/msgbox.h"
#include "ui/win32/win32_open_dialog.h"

namespace ui::win32 {
namespace {

// The dialogs open on this thread, oldest first: the keyboard goes through
// the dialog manager for each, and a new modal dialog is owned by the top
// one.
std::vector<HWND>& OpenDialogs() {
  static std::vector<HWND> open;
  return open;
}

std::map<const DialogModel*, HWND>& WindowsOfModels() {
  static std::map<const DialogModel*, HWND> windows;
  return windows;
}

// An in-memory DLGTEMPLATE: words, with the items aligned on double words.
class TemplateWriter {
 public:
  void Word(WORD w) { words_.push_back(w); }
  void DWord(DWORD d) {
    Word(LOWORD(d));
    Word(HIWORD(d));
  }
  void Text(std::string_view text) {
    for (wchar_t c : Wide(text)) Word(static_cast<WORD>(c));
    Word(0);
  }
  void Align() {
    if (words_.size() % 2 != 0) Word(0);
  }
  void Short(int v) { Word(static_cast<WORD>(static_cast<short>(v))); }
  const DLGTEMPLATE* Data() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  std::vector<WORD> words_;
};

struct ClassAndStyle {
  WORD atom = 0;            // the predefined classes by atom
  const char* name = nullptr;  // others by name
  DWORD style = 0;
};

ClassAndStyle ControlClass(const ControlTemplate& t) {
  switch (t.kind) {
    case ControlKind::PushButton:
      return {0x0080, nullptr, static_cast<DWORD>(t.Has(ctl::Default) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON)};
    case ControlKind::CheckBox:
      return {0x0080, nullptr, static_cast<DWORD>(t.Has(ctl::ThreeState) ? BS_3STATE : BS_CHECKBOX)};
    case ControlKind::RadioButton:
      return {0x0080, nullptr, BS_RADIOBUTTON};
    case ControlKind::GroupBox:
      return {0x0080, nullptr, BS_GROUPBOX};
    case ControlKind::Static: {
      DWORD s = t.Has(ctl::Center) ? SS_CENTER : t.Has(ctl::Right) ? SS_RIGHT : SS_LEFT;
      if (t.Has(ctl::NoPrefix)) s |= SS_NOPREFIX;
      if (t.Has(ctl::Sunken)) s |= SS_SUNKEN;
      if (t.Has(ctl::Notify)) s |= SS_NOTIFY;
      return {0x0082, nullptr, s};
    }
    case ControlKind::Picture:
      return {0x0082, nullptr, static_cast<DWORD>(t.Has(ctl::IconImage) ? SS_ICON : SS_BITMAP)};
    case ControlKind::Edit: {
      DWORD s = ES_LEFT;
      if (t.Has(ctl::MultiLine)) s |= ES_MULTILINE;
      if (t.Has(ctl::AutoHScroll)) s |= ES_AUTOHSCROLL;
      if (t.Has(ctl::ReadOnly)) s |= ES_READONLY;
      if (t.Has(ctl::Password)) s |= ES_PASSWORD;
      if (t.Has(ctl::Number)) s |= ES_NUMBER;
      if (t.Has(ctl::WantReturn)) s |= ES_WANTRETURN;
      if (t.Has(ctl::MultiLine) && !t.Has(ctl::AutoHScroll)) s |= ES_AUTOVSCROLL;
      return {0x0081, nullptr, s};
    }
    case ControlKind::ListBox:
      // Unsorted: the model keeps the order, sorted lists included.
      return {0x0083, nullptr, LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL};
    case ControlKind::ComboBox:
      return {0x0085, nullptr,
              static_cast<DWORD>((t.Has(ctl::DropDownList) ? CBS_DROPDOWNLIST : CBS_DROPDOWN | CBS_AUTOHSCROLL) |
                                 WS_VSCROLL)};
    case ControlKind::TrackBar: {
      DWORD s = t.Has(ctl::Vertical) ? TBS_VERT : TBS_HORZ;
      if (t.Has(ctl::AutoTicks)) s |= TBS_AUTOTICKS;
      return {0, TRACKBAR_CLASSA, s};
    }
  }
  return {0x0082, nullptr, SS_LEFT};
}

void WriteTemplate(TemplateWriter& w, const DialogTemplate& t, std::string_view title) {
  DWORD style = WS_POPUP | WS_CAPTION | DS_SETFONT | DS_3DLOOK;
  if (t.Has(dlg::ModalFrame)) style |= DS_MODALFRAME;
  if (t.Has(dlg::SysMenu)) style |= WS_SYSMENU;
  if (t.Has(dlg::SetForeground)) style |= DS_SETFOREGROUND;
  w.DWord(style);
  w.DWord(t.Has(dlg::SystemModal) ? WS_EX_TOPMOST : 0);
  w.Word(static_cast<WORD>(t.controls.size()));
  w.Short(t.rect.x);
  w.Short(t.rect.y);
  w.Short(t.rect.cx);
  w.Short(t.rect.cy);
  w.Word(0);  // the menu bar is set from the model once the window exists
  w.Word(0);  // the dialog class
  w.Text(title);
  w.Word(static_cast<WORD>(t.font.pointSize));
  w.Text(t.font.name);
  for (const ControlTemplate& c : t.controls) {
    w.Align();
    const ClassAndStyle cls = ControlClass(c);
    DWORD style = WS_CHILD | cls.style;
    if (!c.Has(ctl::Hidden)) style |= WS_VISIBLE;
    if (c.Has(ctl::Disabled)) style |= WS_DISABLED;
    if (c.Has(ctl::Group)) style |= WS_GROUP;
    if (c.Has(ctl::TabStop)) style |= WS_TABSTOP;
    if (c.Has(ctl::Border)) style |= WS_BORDER;
    if (c.Has(ctl::VScroll)) style |= WS_VSCROLL;
    if (c.Has(ctl::HScroll)) style |= WS_HSCROLL;
    w.DWord(style);
    w.DWord(0);
    w.Short(c.rect.x);
    w.Short(c.rect.y);
    w.Short(c.rect.cx);
    w.Short(c.rect.cy);
    w.Word(static_cast<WORD>(c.id));
    if (cls.name != nullptr) {
      w.Text(cls.name);
    } else {
      w.Word(0xFFFF);
      w.Word(cls.atom);
    }
    // Texts come from the model once the window exists.
    w.Word(0);
    w.Word(0);
  }
}

// What the dialog's paint handler draws, on the window's device context.
class Win32Paint : public PaintContext {
 public:
  Win32Paint(HDC dc, const ImageTable& images) : dc_(dc), images_(images) {}
  void DrawBitmap(int bitmapId, int x, int y) override {
    pictures.push_back({bitmapId, x, y, false});
    HBITMAP bitmap = BitmapHandle(images_, bitmapId);
    if (bitmap == nullptr) return;
    BITMAP info{};
    ::GetObjectW(bitmap, sizeof info, &info);
    HDC memory = ::CreateCompatibleDC(dc_);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(dc_, x, y, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
  }
  void DrawIcon(int iconId, int x, int y) override {
    pictures.push_back({iconId, x, y, true});
    if (HICON icon = IconHandle(images_, iconId)) ::DrawIconEx(dc_, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL);
  }
  std::vector<DrawnPicture> pictures;

 private:
  HDC dc_;
  const ImageTable& images_;
};

class Win32DialogWindow : public ModelObserver {
 public:
  Win32DialogWindow(DialogModel& model, Win32DialogHost& host, HWND owner)
      : model_(model), host_(host) {
    TemplateWriter w;
    WriteTemplate(w, model.Template(), model.Title());
    window_ = ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr), w.Data(), owner, &Proc,
                                           reinterpret_cast<LPARAM>(this));
    if (window_ == nullptr) return;
    OpenDialogs().push_back(window_);
    WindowsOfModels()[&model_] = window_;
    for (HWND child = ::GetWindow(window_, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
      controls_.push_back(child);
    }
    controls_.resize(model.Controls().size(), nullptr);
    for (std::size_t i = 0; i < controls_.size(); ++i) Sync(static_cast<int>(i));
    BuildMenus();
  }

  ~Win32DialogWindow() override {
    if (window_ == nullptr) return;
    auto& open = OpenDialogs();
    open.erase(std::remove(open.begin(), open.end(), window_), open.end());
    WindowsOfModels().erase(&model_);
    ::SetWindowLongPtrW(window_, DWLP_USER, 0);
    // The menu bar goes with the window.
    ::DestroyWindow(window_);
  }

  HWND Handle() const { return window_; }

  void Show() {
    // What the initialisation appended to the system menu.
    BuildMenus();
    if (model_.Centered()) CenterOnDesktop();
    if (model_.Template().Has(dlg::SystemModal)) {
      ::SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
    ::ShowWindow(window_, SW_SHOW);
    ::SetForegroundWindow(window_);
  }

  void ModelChanged(int index, Change what) override {
    if (index < 0) {
      switch (what) {
        case Change::Title:
          ::SetWindowTextW(window_, Wide(model_.Title()).c_str());
          break;
        case Change::Centered:
          CenterOnDesktop();
          break;
        case Change::DialogFocus:
          ::SetForegroundWindow(window_);
          break;
        case Change::Repaint:
          ::InvalidateRect(window_, nullptr, TRUE);
          break;
        case Change::PaintNow:
          ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
          break;
        case Change::Ended:
          // Wakes the modal loop, which looks at the model after each message.
          ::PostMessageW(window_, WM_NULL, 0, 0);
          break;
        case Change::Icon:
          SetIcons();
          break;
        case Change::Menu:
          BuildMenus();
          break;
        default:
          break;
      }
      return;
    }
    if (what == Change::Focus) {
      if (HWND c = controls_[index]) ::SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(c), TRUE);
      return;
    }
    Sync(index);
  }

 private:
  static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
      ::SetWindowLongPtrW(window, DWLP_USER, lParam);
      return TRUE;
    }
    auto* self = reinterpret_cast<Win32DialogWindow*>(::GetWindowLongPtrW(window, DWLP_USER));
    if (self == nullptr) return FALSE;
    return self->Handle(message, wParam, lParam);
  }

  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_COMMAND:
        if (!syncing_) Command(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return TRUE;
      case WM_HSCROLL:
      case WM_VSCROLL:
        if (!syncing_ && lParam != 0) Slider(reinterpret_cast<HWND>(lParam));
        return TRUE;
      case WM_CLOSE:
        model_.UserClose();
        return TRUE;
      case WM_SYSCOMMAND: {
        if ((wParam & 0xFFF0) == SC_CLOSE) {
          model_.UserClose();
          return TRUE;
        }
        const int id = static_cast<int>(wParam);
        if (model_.SystemMenu() != nullptr && model_.SystemMenu()->FindCommand(id) != nullptr) {
          model_.UserChooseSystemMenu(id);
          return TRUE;
        }
        return FALSE;
      }
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(window_, &ps);
        Win32Paint paint(dc, host_.Images());
        model_.Paint(paint);
        model_.RecordPaint(std::move(paint.pictures));
        ::EndPaint(window_, &ps);
        return TRUE;
      }
      case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && FromOutside(reinterpret_cast<HWND>(lParam))) {
          DeliverOutsideActivation(WindowText(window_));
        }
        return FALSE;
      default:
        return FALSE;
    }
  }

  // Activated from another program's window, or from none of ours.
  static bool FromOutside(HWND previous) {
    if (previous == nullptr) return true;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(previous, &pid);
    return pid != ::GetCurrentProcessId();
  }

  void Command(int id, int code, HWND control) {
    if (control == nullptr) {
      // The menu bar, or Enter and Escape without a button of their own.
      if (code == 0 && model_.MenuBar() != nullptr && model_.MenuBar()->FindCommand(id) != nullptr) {
        model_.UserChooseMenu(id);
      } else if (id == IDCANCEL) {
        model_.UserClose();
      } else if (id == IDOK) {
        model_.UserPressEnter();
      }
      return;
    }
    const int index = IndexOf(control);
    if (index < 0) {
      if (id == IDCANCEL) model_.UserClose();
      return;
    }
    const ControlState& c = model_.Controls()[index];
    switch (c.kind()) {
      case ControlKind::PushButton:
        if (code == BN_CLICKED) id == IDCANCEL ? model_.UserClose() : model_.UserClick(id);
        break;
      case ControlKind::CheckBox:
      case ControlKind::RadioButton:
        if (code == BN_CLICKED) {
          model_.UserClick(id);
          // The button shows what the model made of the click (a box the
          // program leaves unchecked, a radio button already checked).
          if (window_ != nullptr && !model_.Ended()) Sync(index);
        }
        break;
      case ControlKind::Static:
        if (code == STN_CLICKED) model_.UserClick(id);
        break;
      case ControlKind::Edit:
        if (code == EN_CHANGE) model_.UserType(id, WindowText(control));
        break;
      case ControlKind::ListBox: {
        const int row = static_cast<int>(::SendMessageW(control, LB_GETCURSEL, 0, 0));
        if (code == LBN_SELCHANGE && row >= 0) model_.UserSelect(id, row);
        if (code == LBN_DBLCLK && row >= 0) model_.UserDoubleClick(id, row);
        break;
      }
      case ControlKind::ComboBox: {
        const int row = static_cast<int>(::SendMessageW(control, CB_GETCURSEL, 0, 0));
        if (code == CBN_SELCHANGE && row >= 0) model_.UserSelect(id, row);
        if (code == CBN_EDITCHANGE) model_.UserType(id, WindowText(control));
        break;
      }
      default:
        break;
    }
    // Other notifications (focus, EN_UPDATE before EN_CHANGE, a list
    // dropping down) change nothing: bringing the control in line with the
    // model there would undo what the user is typing.
  }

  void Slider(HWND control) {
    const int index = IndexOf(control);
    if (index < 0 || model_.Controls()[index].kind() != ControlKind::TrackBar) return;
    const int pos = static_cast<int>(::SendMessageW(control, TBM_GETPOS, 0, 0));
    if (pos != model_.Controls()[index].pos) model_.UserMoveSlider(model_.Controls()[index].id(), pos);
  }

  int IndexOf(HWND control) const {
    for (std::size_t i = 0; i < controls_.size(); ++i) {
      if (controls_[i] == control) return static_cast<int>(i);
    }
    return -1;
  }

  void CenterOnDesktop() {
    const Rect desk = host_.DesktopRect();
    RECT r;
    ::GetWindowRect(window_, &r);
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    ::SetWindowPos(window_, nullptr, desk.x + (desk.cx - w) / 2, desk.y + (desk.cy - h) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  void SetIcons() {
    for (bool big : {true, false}) {
      const int size = ::GetSystemMetrics(big ? SM_CXICON : SM_CXSMICON);
      HICON icon = IconHandle(host_.Images(), model_.Icon(big), size);
      ::SendMessageW(window_, WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
  }

  // The menu bar and the system menu follow the model. The template's size
  // is the client area, so the window grows by the menu bar it gets.
  void BuildMenus() {
    if (const Menu* bar = model_.MenuBar()) {
      RECT client;
      ::GetClientRect(window_, &client);
      const bool first = ::GetMenu(window_) == nullptr;
      HMENU old = ::GetMenu(window_);
      ::SetMenu(window_, MakeMenu(*bar, false));
      if (old != nullptr) ::DestroyMenu(old);
      if (first) {
        RECT frame = client;
        ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrW(window_, GWL_STYLE)), TRUE,
                             static_cast<DWORD>(::GetWindowLongPtrW(window_, GWL_EXSTYLE)));
        ::SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
      ::DrawMenuBar(window_);
    }
    if (const Menu* sys = model_.SystemMenu()) {
      ::GetSystemMenu(window_, TRUE);
      HMENU native = ::GetSystemMenu(window_, FALSE);
      for (const Menu::Item& item : sys->Items()) {
        if (item.id == SC_CLOSE) continue;  // the system's own
        if (item.separator) {
          ::AppendMenuW(native, MF_SEPARATOR, 0, nullptr);
        } else if (!item.popup) {
          ::AppendMenuW(native, MF_STRING | (item.grayed ? MF_GRAYED : 0) | (item.checked ? MF_CHECKED : 0),
                        static_cast<UINT_PTR>(item.id), Wide(item.text).c_str());
        }
      }
    }
  }

  LRESULT Send(HWND control, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return ::SendMessageW(control, message, wParam, lParam);
  }

  // The items of a list or combo box, as the control holds them.
  bool SameItems(HWND control, const ControlState& c, UINT countMessage, UINT lengthMessage, UINT textMessage) {
    if (Send(control, countMessage) != static_cast<LRESULT>(c.items.size())) return false;
    for (std::size_t i = 0; i < c.items.size(); ++i) {
      const LRESULT n = Send(control, lengthMessage, i);
      if (n < 0) return false;
      std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
      Send(control, textMessage, i, reinterpret_cast<LPARAM>(text.data()));
      if (Narrow(text.c_str()) != c.items[i].text) return false;
    }
    return true;
  }

  void FillItems(HWND control, const ControlState& c, bool list) {
    if (SameItems(control, c, list ? LB_GETCOUNT : CB_GETCOUNT, list ? LB_GETTEXTLEN : CB_GETLBTEXTLEN,
                  list ? LB_GETTEXT : CB_GETLBTEXT)) {
      return;
    }
    Send(control, list ? LB_RESETCONTENT : CB_RESETCONTENT);
    for (const ListItem& item : c.items) {
      Send(control, list ? LB_ADDSTRING : CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item.text).c_str()));
    }
  }

  // True when the text changed.
  bool SetText(HWND control, const std::string& text) {
    if (WindowText(control) == text) return false;
    ::SetWindowTextW(control, Wide(text).c_str());
    return true;
  }

  // A one-line label or button text wider than its control, as a template
  // sized for another font can leave it: the control grows to the right as
  // far as the text needs, up to the next control beside it, the group box
  // around it or the dialog's edge, so the text shows whole and nothing
  // overlaps.
  void FitText(int index) {
    HWND w = controls_[index];
    const ControlState& c = model_.Controls()[index];
    const bool button = c.kind() == ControlKind::CheckBox || c.kind() == ControlKind::RadioButton;
    if ((!button && c.kind() != ControlKind::Static) || c.text.empty()) return;
    RECT r = ChildRect(w);
    HDC dc = ::GetDC(w);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(Send(window_, WM_GETFONT)));
    const std::wstring text = Wide(c.text);
    RECT needed{0, 0, 0, 0};
    ::DrawTextW(dc, text.c_str(), -1, &needed,
                DT_CALCRECT | DT_SINGLELINE | (c.Has(ctl::NoPrefix) ? DT_NOPREFIX : 0));
    TEXTMETRICW tm{};
    ::GetTextMetricsW(dc, &tm);
    ::SelectObject(dc, old);
    ::ReleaseDC(w, dc);
    // Only one-line controls: a taller static wraps its text by design.
    if (r.bottom - r.top >= 2 * tm.tmHeight) return;
    const int box = button ? ::GetSystemMetrics(SM_CXMENUCHECK) + 2 * ::GetSystemMetrics(SM_CXEDGE) + 2 : 0;
    const int need = needed.right + box + 2;
    if (need <= r.right - r.left) return;
    RECT client;
    ::GetClientRect(window_, &client);
    int limit = client.right - 2;
    for (std::size_t i = 0; i < controls_.size(); ++i) {
      if (static_cast<int>(i) == index || controls_[i] == nullptr || !model_.Controls()[i].visible) continue;
      const RECT o = ChildRect(controls_[i]);
      const bool sideBySide = o.top < r.bottom && o.bottom > r.top;
      if (model_.Controls()[i].kind() == ControlKind::GroupBox && o.left <= r.left && o.right >= r.right &&
          o.top <= r.top && o.bottom >= r.bottom) {
        limit = std::min<int>(limit, o.right - 4);  // inside its frame
      } else if (sideBySide && o.left >= r.right) {
        limit = std::min<int>(limit, o.left - 2);
      }
    }
    const int width = std::min<int>(need, limit - r.left);
    if (width > r.right - r.left) {
      ::SetWindowPos(w, nullptr, 0, 0, width, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }

  RECT ChildRect(HWND child) const {
    RECT r;
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }

  // Brings control index in line with the model.
  void Sync(int index) {
    HWND w = controls_[index];
    if (w == nullptr) return;
    const ControlState& c = model_.Controls()[index];
    const ControlTemplate& t = *c.tmpl;
    syncing_ = true;
    if ((::IsWindowEnabled(w) != FALSE) != c.enabled) ::EnableWindow(w, c.enabled);
    if (((::GetWindowLongPtrW(w, GWL_STYLE) & WS_VISIBLE) != 0) != c.visible) {
      ::ShowWindow(w, c.visible ? SW_SHOWNA : SW_HIDE);
    }
    std::string label = c.text;
    if (t.Has(ctl::NoPrefix) && t.kind != ControlKind::Static) {
      label.clear();
      for (char ch : c.text) {
        label += ch;
        if (ch == '&') label += '&';
      }
    }
    switch (t.kind) {
      case ControlKind::PushButton:
      case ControlKind::GroupBox:
        SetText(w, label);
        break;
      case ControlKind::Static:
        if (SetText(w, label)) FitText(index);
        break;
      case ControlKind::CheckBox:
      case ControlKind::RadioButton:
        if (SetText(w, label)) FitText(index);
        if (Send(w, BM_GETCHECK) != c.check) Send(w, BM_SETCHECK, static_cast<WPARAM>(c.check));
        break;
      case ControlKind::Edit:
        SetText(w, c.text);
        break;
      case ControlKind::ListBox:
        FillItems(w, c, true);
        if (Send(w, LB_GETCURSEL) != c.selection) Send(w, LB_SETCURSEL, static_cast<WPARAM>(c.selection));
        break;
      case ControlKind::ComboBox:
        FillItems(w, c, false);
        if (Send(w, CB_GETCURSEL) != c.selection) Send(w, CB_SETCURSEL, static_cast<WPARAM>(c.selection));
        if (c.IsEditableCombo()) SetText(w, c.text);
        break;
      case ControlKind::TrackBar:
        Send(w, TBM_SETRANGEMIN, FALSE, c.rangeMin);
        Send(w, TBM_SETRANGEMAX, FALSE, c.rangeMax);
        Send(w, TBM_SETPAGESIZE, 0, c.pageSize);
        Send(w, TBM_SETTICFREQ, static_cast<WPARAM>(c.ticFreq), 0);
        Send(w, TBM_SETPOS, TRUE, c.pos);
        if (!c.text.empty()) SetText(w, c.text);
        break;
      case ControlKind::Picture:
        if (c.imageId != shownImage_[index]) {
          shownImage_[index] = c.imageId;
          if (t.Has(ctl::IconImage)) {
            Send(w, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(IconHandle(host_.Images(), c.imageId)));
          } else {
            Send(w, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(BitmapHandle(host_.Images(), c.imageId)));
          }
        }
        break;
    }
    syncing_ = false;
  }

  DialogModel& model_;
  Win32DialogHost& host_;
  HWND window_ = nullptr;
  std::vector<HWND> controls_;
  std::map<int, int> shownImage_;
  bool syncing_ = false;
};

HWND WindowOf(const CDialog* dialog) {
  if (dialog == nullptr || dialog->Model() == nullptr) return nullptr;
  auto it = WindowsOfModels().find(dialog->Model());
  return it != WindowsOfModels().end() ? it->second : nullptr;
}

HWND TopDialog() { return OpenDialogs().empty() ? nullptr : OpenDialogs().back(); }

// A filter list as the common dialog takes it: name and patterns, each
// ended by a null, and one more null at the end.
std::wstring FilterString(const std::vector<FileFilter>& filters) {
  std::wstring out;
  for (const FileFilter& f : filters) {
    out += Wide(f.name);
    out += L'\0';
    out += Wide(f.patterns);
    out += L'\0';
  }
  out += L'\0';
  return out;
}

}  // namespace

bool PumpMessagesUntil(const std::function<bool()>& done, int* quitCode) {
  while (!done()) {
    MSG msg;
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) return false;
    if (got == 0) {
      const int code = static_cast<int>(msg.wParam);
      if (quitCode != nullptr) *quitCode = code;
      // For the loop outside, which ends the program.
      ::PostQuitMessage(code);
      return false;
    }
    if (!Win32DialogHost::PreTranslate(msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  return true;
}

bool Win32DialogHost::PreTranslate(MSG& msg) {
  if (msg.hwnd == nullptr || msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
  HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
  const auto& open = OpenDialogs();
  if (std::find(open.begin(), open.end(), root) == open.end()) return false;
  return ::IsDialogMessageW(root, &msg) != FALSE;
}

int Win32DialogHost::RunModal(CDialog& dialog) { return Run(dialog, true); }

int Win32DialogHost::RunModeless(CDialog& dialog) { return Run(dialog, false); }

int Win32DialogHost::Run(CDialog& dialog, bool modal) {
  ModalSession session(dialog, *this, loop_);
  DialogModel& model = session.Model();
  HWND owner = modal ? TopDialog() : nullptr;
  Win32DialogWindow window(model, *this, owner);
  if (window.Handle() == nullptr) return -1;
  session.SetWindow(&window);
  return session.Run([&] {
    window.Show();
    const auto open = std::make_shared<bool>(true);  // gone once the dialog is
    if (script_ && loop_ != nullptr) {
      loop_->Post([this, &model, &window, weak = std::weak_ptr<bool>(open)] {
        if (weak.expired() || model.Ended()) return;
        Win32OpenDialog view(model, window.Handle());
        script_(view);
        if (!model.Ended()) view.Close();
        if (!model.Ended()) model.End(IDCANCEL);
      });
    }
    // Only the owner is blocked, as the dialog manager does; a modeless
    // dialog blocks nothing.
    const bool blocked = owner != nullptr && ::IsWindowEnabled(owner);
    if (blocked) ::EnableWindow(owner, FALSE);
    PumpMessagesUntil([&] { return model.Ended(); });
    // Enabled again before the dialog goes, so the owner takes the
    // activation back when it does (not hidden first: nothing is gained,
    // and without a window manager Wine waits two seconds for the hide).
    if (blocked) ::EnableWindow(owner, TRUE);
  });
}

int Win32DialogHost::MessageBox(CDialog* owner, std::string_view text, std::string_view caption,
                                unsigned flags) {
  HWND parent = WindowOf(owner);
  if (parent == nullptr) parent = TopDialog();
  const int result = ::MessageBoxW(parent, Wide(text).c_str(), Wide(MessageBoxCaption(caption)).c_str(), flags);
  if (result != 0) return result;
  // The box could not be shown: the answer nobody gave.
  return EscapeMessageBoxResult(flags) != 0 ? EscapeMessageBoxResult(flags) : DefaultMessageBoxResult(flags);
}

std::optional<std::string> Win32DialogHost::GetFileName(CDialog* owner, const FileDialogRequest& request) {
  const std::wstring filter = FilterString(request.filters);
  const std::wstring folder = Wide(request.StartFolder());
  const std::wstring title = Wide(request.title);
  const std::wstring ext = Wide(request.defaultExt);
  std::vector<wchar_t> file(32768, L'\0');
  const std::wstring start = Wide(request.StartName());
  std::copy(start.begin(), start.begin() + std::min<std::size_t>(start.size(), file.size() - 1), file.begin());
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = WindowOf(owner) != nullptr ? WindowOf(owner) : TopDialog();
  ofn.lpstrFilter = request.filters.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
  ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
  // The read-only box is never offered; the current folder stays.
  ofn.Flags = request.flags | OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
  const BOOL chosen = request.open ? ::GetOpenFileNameW(&ofn) : ::GetSaveFileNameW(&ofn);
  if (!chosen) return std::nullopt;
  const std::string path = Narrow(file.data());
  const std::size_t slash = path.rfind('\\');
  return AcceptFileName(request, slash == std::string::npos ? request.StartFolder() : path.substr(0, slash),
                        path);
}

void Win32DialogHost::Beep(unsigned type) { ::MessageBeep(type); }

void Win32DialogHost::BeginWaitCursor() {
  if (waitDepth_++ == 0) ::SetCursor(::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)));
}

void Win32DialogHost::EndWaitCursor() {
  if (waitDepth_ > 0 && --waitDepth_ == 0) ::SetCursor(::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
}

Rect Win32DialogHost::DesktopRect() const {
  RECT work{};
  if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
    work = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  }
  return {work.left, work.top, work.right - work.left, work.bottom - work.top};
}

}  // namespace ui::win32
