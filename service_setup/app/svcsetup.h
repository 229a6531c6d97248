// The svcsetup program: what one start does, given its command line.
//
//   "1 ten.exe"    the main dialog, for the TEN service
//   "1 ewrap.exe"  the main dialog, for the ENGAGE service
//   "0 ten.exe"    restore the game set up last; no window
//   (nothing)      log the missing command line and tell the user
//
// The product folder is the current directory.
#pragma once

#include <string_view>

#include "ui/host.h"

// Runs one start on app and returns the exit code: 0 when the program did
// what it was asked (or the user cancelled), 1 when it could not.
// withDialogs is false where nobody could answer the main dialog (no
// display): a setup then ends at once without showing it. programPath is
// the program's own file (DOS form), where its help is looked for.
int RunServiceSetup(ui::Application& app, std::string_view commandLine, bool withDialogs,
                    std::string_view programPath);
