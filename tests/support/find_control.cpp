// find_control TITLE|- [TEXT]: where a person would click on a Windows
// program's control, found as they find it, by the window's title and the
// control's visible text ('&' of access keys ignored). Prints the screen
// position of the control's centre ("x y"); exits 1 when there is no such
// window or control. The window is brought to the front. The walks under
// Wine click there with the X mouse.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string Shown(const char* text) {
  std::string out;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == '&' && p[1] != '\0') ++p;
    out += *p;
  }
  return out;
}

struct Search {
  std::string text;
  HWND found = nullptr;
};

BOOL CALLBACK Visit(HWND child, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  char text[512] = "";
  ::GetWindowTextA(child, text, sizeof text);
  if (::IsWindowVisible(child) && Shown(text) == search->text) {
    search->found = child;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: find_control TITLE|- [TEXT]\n", stderr);
    return 2;
  }
  // "-" names the window in front, for a dialog without a title.
  HWND window = std::string(argv[1]) == "-" ? ::GetForegroundWindow() : ::FindWindowA(nullptr, argv[1]);
  if (window == nullptr) return 1;
  HWND target = window;
  if (argc > 2) {
    Search search{argv[2]};
    ::EnumChildWindows(window, Visit, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) return 1;
    target = search.found;
  }
  // The window comes to the front first, as a person would bring it there
  // before clicking into it; a click into an inactive window may only
  // activate it.
  ::SetForegroundWindow(window);
  RECT r;
  ::GetWindowRect(target, &r);
  std::printf("%ld %ld\n", (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  return 0;
}
