// CCustomizerApp: the customizer's start-up. One customizer runs at a time;
// the program sets its shared strings, runs the main dialog modally and
// ends when it closes. There is no document and no saved window state.
#pragma once

#include <string>
#include <string_view>

#include "ui/host.h"

class CCustomizerApp {
 public:
  explicit CCustomizerApp(ui::Application& app) : app_(app) {}

  // The whole program: a running customizer (under either title) is
  // brought forward instead, else the shared strings are set and the main
  // dialog runs until Exit. Returns the process's exit code.
  int InitInstance();

  // Brings a running customizer (either title) forward; false when none runs.
  static bool BringRunningForward();

 private:
  ui::Application& app_;
};

// The folder the program file is in (DOS form), where its help file lives;
// the current directory until the program sets it.
const std::string& ProgramDirectory();
void SetProgramDirectory(std::string_view dir);
