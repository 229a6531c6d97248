// What a message box's MB_* flags mean, shared by every host.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ui/win_constants.h"

namespace ui {

enum class MessageIcon { None, Stop, Question, Exclamation, Information };

// The results of the box's buttons, left to right (IDOK, IDCANCEL, IDYES,
// IDNO ...). An unknown button set counts as OK alone.
std::vector<int> MessageBoxButtons(unsigned flags);
MessageIcon MessageBoxIcon(unsigned flags);
// The result of the default button (MB_DEFBUTTON1..3, the first when the
// box has fewer buttons): what Enter gives.
int DefaultMessageBoxResult(unsigned flags);
// What Escape or the close box gives: IDCANCEL when the box has a Cancel
// button, IDOK for a box with OK alone, 0 when it cannot be escaped
// (Yes/No, Abort/Retry/Ignore).
int EscapeMessageBoxResult(unsigned flags);
bool IsSystemModal(unsigned flags);
// "OK", "Cancel", "&Yes", "&No", "&Abort", "&Retry", "&Ignore".
std::string ButtonText(int result);
// The caption shown for caption: "Error" when it is empty.
std::string MessageBoxCaption(std::string_view caption);

}  // namespace ui
