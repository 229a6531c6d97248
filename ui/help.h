// The help launcher: opens a program's help file.
//
// Help files of the original platform cannot be shown here, so a readable
// companion beside the file is preferred: the same name ending in .html,
// .htm, .pdf or .txt. The file is handed to the viewer named by
// TANDRIX_HELP_VIEWER, else to xdg-open, started on its own without
// waiting for it.
#pragma once

#include <string>
#include <string_view>

#include "ui/win_constants.h"

namespace ui {

// Opens helpFile (DOS or host path) with command HELP_CONTEXT, HELP_CONTENTS
// or HELP_FINDER (the context number cannot be passed on and is ignored);
// HELP_QUIT does nothing and succeeds. False, with the reason in *why when
// given, when there is no such file or no viewer could be started.
bool WinHelp(std::string_view helpFile, unsigned command, unsigned long data,
             std::string* why = nullptr);

// The file WinHelp would open for helpFile (host path), or "" when none
// exists.
std::string HelpFileToOpen(std::string_view helpFile);

// The host's part of WinHelp: shows hostPath, a file that exists, with the
// viewer; false, with the reason in *why when given, when none started.
bool OpenHelpFile(const std::string& hostPath, std::string* why);

// The viewer program WinHelp would start (full path), or "" when none is
// installed.
std::string HelpViewer();

}  // namespace ui
