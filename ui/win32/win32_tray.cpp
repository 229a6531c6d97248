#include "ui/win32/win32_tray.h"

#include <cstring>

namespace ui::win32 {
namespace {

constexpr char kTrayWindowClass[] = "TandrixTrayWindow";

void CopyText(char* to, std::size_t size, const std::string& text) {
  const std::size_t n = std::min(size - 1, text.size());
  std::memcpy(to, text.data(), n);
  to[n] = '\0';
}

}  // namespace

Win32Tray::Win32Tray(const ImageTable* images) : images_(images) {
  window_ = CreateHiddenWindow(kTrayWindowClass, "", Proc, this);
  taskbarCreated_ = ::RegisterWindowMessageA("TaskbarCreated");
}

Win32Tray::~Win32Tray() {
  while (!icons_.empty()) DeleteIcon(icons_.begin()->first);
  if (window_ != nullptr) {
    ::SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
  }
}

bool Win32Tray::IsAvailable() const {
  return window_ != nullptr && ::FindWindowA("Shell_TrayWnd", nullptr) != nullptr;
}

bool Win32Tray::Notify(DWORD action, const NotifyIcon& icon) {
  if (window_ == nullptr) return false;
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof data;
  data.hWnd = window_;
  data.uID = icon.id;
  if (action != NIM_DELETE) {
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = icon.callbackMessage;
    data.hIcon = IconHandle(*images_, icon.iconId, ::GetSystemMetrics(SM_CXSMICON));
    CopyText(data.szTip, sizeof data.szTip, icon.tip.substr(0, kMaxTipLength));
    if (!icon.info.empty()) {
      data.uFlags |= NIF_INFO;
      data.dwInfoFlags = NIIF_INFO;
      CopyText(data.szInfo, sizeof data.szInfo, icon.info);
      CopyText(data.szInfoTitle, sizeof data.szInfoTitle, icon.infoTitle);
    }
  }
  return ::Shell_NotifyIconA(action, &data) != FALSE;
}

bool Win32Tray::AddIcon(const NotifyIcon& icon) {
  if (!Notify(NIM_ADD, icon)) return false;
  icons_[icon.id] = icon;
  icons_[icon.id].info.clear();  // shown once, not again with the icon
  return true;
}

bool Win32Tray::ModifyIcon(const NotifyIcon& icon) {
  if (icons_.count(icon.id) == 0 || !Notify(NIM_MODIFY, icon)) return false;
  icons_[icon.id] = icon;
  icons_[icon.id].info.clear();
  return true;
}

bool Win32Tray::DeleteIcon(unsigned id) {
  auto it = icons_.find(id);
  if (it == icons_.end()) return false;
  const bool deleted = Notify(NIM_DELETE, it->second);
  icons_.erase(it);
  return deleted;
}

Point Win32Tray::CursorPos() const {
  POINT p{};
  ::GetCursorPos(&p);
  return {p.x, p.y};
}

void Win32Tray::TrackPopupMenu(const Menu& popup, Point pt, unsigned flags) {
  if (window_ == nullptr) return;
  HMENU menu = MakeMenu(popup, true);
  // Without the foreground the menu would not close when the user clicks
  // elsewhere; the empty message afterwards lets it close for good.
  ::SetForegroundWindow(window_);
  const int chosen = ::TrackPopupMenu(menu, flags | TPM_RETURNCMD | TPM_NONOTIFY, pt.x, pt.y, 0, window_, nullptr);
  ::PostMessageA(window_, WM_NULL, 0, 0);
  ::DestroyMenu(menu);
  if (chosen != 0 && command_) command_(chosen);
}

LRESULT CALLBACK Win32Tray::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Win32Tray*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self != nullptr) {
    if (message == self->taskbarCreated_ && message != 0) {
      // The shell came back without our icons.
      for (auto& [id, icon] : self->icons_) self->Notify(NIM_ADD, icon);
      return 0;
    }
    for (const auto& [id, icon] : self->icons_) {
      if (icon.callbackMessage == message && icon.id == wParam) {
        if (self->mouse_) {
          MouseHandler handler = self->mouse_;
          handler(message, static_cast<unsigned>(LOWORD(lParam)));
        }
        return 0;
      }
    }
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace ui::win32
