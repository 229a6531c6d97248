// What the pieces of the Windows front end share: the program's images as
// icon and bitmap handles, menus made from menu data, and the routing of
// messages that concern more than one piece.
#pragma once

#include "ui/win32/win32_api.h"

#include <string>
#include <string_view>

#include "ui/images.h"
#include "ui/menu.h"

namespace ui::win32 {

// UTF-8 (our strings) to and from the wide texts the system keeps.
std::wstring Wide(std::string_view text);
std::string Narrow(const wchar_t* text, int length = -1);

// A hidden top-level window of its own class (registered on first use),
// with user in its user data; null when it cannot be made. Top-level, not
// message-only: such windows hear the system's broadcasts (the session's
// end, the taskbar coming back) and FindWindowA finds them by class.
HWND CreateHiddenWindow(const char* className, const char* title, WNDPROC proc, void* user);

// A window's text, whole.
std::string WindowText(HWND window);

// Images by resource id, decoded once and kept for the program's life (the
// system draws from the handles while windows show them). Null when the
// program has no such image or it cannot be decoded.
HICON IconHandle(const ImageTable& images, int id, int size = 0);
HBITMAP BitmapHandle(const ImageTable& images, int id);

// A menu handle holding menu's items, popups included, grayed and checked
// as menu says. The caller destroys it (or a window that owns it does).
HMENU MakeMenu(const Menu& menu, bool popup);

// A top-level window of the dialog host was activated by another program
// (its title given): the dialog published under that title hears it.
void DeliverOutsideActivation(std::string_view title);

// The window that hears a console's close or Ctrl+C and a session's end;
// termination arrives there as message.
void NotifyTerminationTo(HWND window, UINT message);

}  // namespace ui::win32
