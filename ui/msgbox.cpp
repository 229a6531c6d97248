#include "ui/msgbox.h"

#include <algorithm>

namespace ui {

std::vector<int> MessageBoxButtons(unsigned flags) {
  switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL:
      return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE:
      return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL:
      return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO:
      return {IDYES, IDNO};
    case MB_RETRYCANCEL:
      return {IDRETRY, IDCANCEL};
    default:
      return {IDOK};
  }
}

MessageIcon MessageBoxIcon(unsigned flags) {
  switch (flags & MB_ICONMASK) {
    case MB_ICONHAND:
      return MessageIcon::Stop;
    case MB_ICONQUESTION:
      return MessageIcon::Question;
    case MB_ICONEXCLAMATION:
      return MessageIcon::Exclamation;
    case MB_ICONASTERISK:
      return MessageIcon::Information;
    default:
      return MessageIcon::None;
  }
}

int DefaultMessageBoxResult(unsigned flags) {
  const std::vector<int> buttons = MessageBoxButtons(flags);
  std::size_t which = 0;
  switch (flags & MB_DEFMASK) {
    case MB_DEFBUTTON2:
      which = 1;
      break;
    case MB_DEFBUTTON3:
      which = 2;
      break;
    default:
      break;
  }
  return which < buttons.size() ? buttons[which] : buttons.front();
}

int EscapeMessageBoxResult(unsigned flags) {
  const std::vector<int> buttons = MessageBoxButtons(flags);
  if (std::find(buttons.begin(), buttons.end(), IDCANCEL) != buttons.end()) return IDCANCEL;
  if (buttons.size() == 1) return buttons.front();
  return 0;
}

bool IsSystemModal(unsigned flags) { return (flags & MB_MODEMASK) == MB_SYSTEMMODAL; }

std::string ButtonText(int result) {
  switch (result) {
    case IDOK:
      return "OK";
    case IDCANCEL:
      return "Cancel";
    case IDABORT:
      return "&Abort";
    case IDRETRY:
      return "&Retry";
    case IDIGNORE:
      return "&Ignore";
    case IDYES:
      return "&Yes";
    case IDNO:
      return "&No";
    default:
      return {};
  }
}

std::string MessageBoxCaption(std::string_view caption) {
  return caption.empty() ? std::string("Error") : std::string(caption);
}

}  // namespace ui
