// The tray on Windows: Shell_NotifyIconA on a hidden window of its own,
// which hears the icons' mouse messages and the popup menu, and puts the
// icons back when the taskbar is made again (after the shell restarts).
#pragma once

#include "ui/win32/win32_host.h"

#include <map>

#include "ui/host.h"

namespace ui::win32 {

class Win32Tray : public TrayHost {
 public:
  explicit Win32Tray(const ImageTable* images);
  ~Win32Tray() override;
  Win32Tray(const Win32Tray&) = delete;
  Win32Tray& operator=(const Win32Tray&) = delete;

  // True while a taskbar with a notification area runs.
  bool IsAvailable() const override;
  bool AddIcon(const NotifyIcon& icon) override;
  bool ModifyIcon(const NotifyIcon& icon) override;
  bool DeleteIcon(unsigned id) override;
  void SetMouseHandler(MouseHandler handler) override { mouse_ = std::move(handler); }
  void SetCommandHandler(CommandHandler handler) override { command_ = std::move(handler); }
  Point CursorPos() const override;
  void TrackPopupMenu(const Menu& popup, Point pt, unsigned flags) override;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool Notify(DWORD action, const NotifyIcon& icon);

  const ImageTable* images_;
  HWND window_ = nullptr;
  UINT taskbarCreated_ = 0;
  std::map<unsigned, NotifyIcon> icons_;  // as last shown, to show again
  MouseHandler mouse_;
  CommandHandler command_;
};

}  // namespace ui::win32
