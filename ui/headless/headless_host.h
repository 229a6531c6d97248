// Dialogs without a screen: the controls live in memory, and whatever would
// wait for a person is played by a ScriptedUser, or, without a script,
// answered at once the way a person leaving would answer it: a dialog is
// closed with its close box (the cancel command), a message box gets its
// default button. Nothing ever blocks.
#pragma once

#include <string>
#include <vector>

#include "ui/dialog.h"
#include "ui/dialog_model.h"
#include "ui/headless/scripted_user.h"
#include "ui/host.h"

namespace ui::headless {

class HeadlessDialogHost : public DialogHost {
 public:
  explicit HeadlessDialogHost(ScriptedUser* user = nullptr) : user_(user) {}

  void SetUser(ScriptedUser* user) { user_ = user; }
  // The application whose loop serves this host (window_search.h).
  void SetLoop(Application* loop) { loop_ = loop; }
  ScriptedUser* User() const { return user_; }
  // Pixel geometry: the font's base units and the desktop.
  void SetBaseUnits(BaseUnits units) { units_ = units; }
  BaseUnits Units() const { return units_; }
  void SetDesktop(Rect desktop) { desktop_ = desktop; }

  int RunModal(CDialog& dialog) override;
  int MessageBox(CDialog* owner, std::string_view text, std::string_view caption,
                 unsigned flags) override;
  // Without a scripted answer the user cancels, as one who is not there.
  std::optional<std::string> GetFileName(CDialog* owner, const FileDialogRequest& request) override;
  void Beep(unsigned type) override { ++beeps_; }
  void BeginWaitCursor() override;
  void EndWaitCursor() override;
  Rect DesktopRect() const override { return desktop_; }

  // The dialogs the scripted user saw (none without a user: a program
  // without display keeps no record of what it showed).
  using DialogRecord = ScriptedUser::DialogSeen;
  const std::vector<DialogRecord>& Dialogs() const;
  int OpenDialogs() const { return open_; }
  int Beeps() const { return beeps_; }
  int WaitCursorDepth() const { return waitDepth_; }
  int WaitCursorShown() const { return waitShown_; }

 private:
  ScriptedUser* user_;
  Application* loop_ = nullptr;
  BaseUnits units_{};
  Rect desktop_{0, 0, 1024, 768};
  int open_ = 0;
  int beeps_ = 0;
  int waitDepth_ = 0;
  int waitShown_ = 0;
};

}  // namespace ui::headless
