// Dialogs and message boxes on the real Win32 dialog manager.
//
// A template becomes an in-memory DLGTEMPLATE with the system's control
// classes (BUTTON, STATIC, EDIT, LISTBOX, COMBOBOX and the common controls'
// track bar), created by CreateDialogIndirectParamW and run in a modal loop
// of our own, as class libraries on this platform do, so the program's
// timers and its other windows go on meanwhile. The controls mirror the
// dialog's control model; what the user does to them goes back into the
// model, which applies the control's rules and sends its command. Buttons
// are therefore created without the system's automatic checking: the model
// checks them.
#pragma once

#include "ui/win32/win32_host.h"

#include <functional>
#include <vector>

#include "ui/host.h"
#include "ui/images.h"
#include "ui/open_dialog.h"

namespace ui::win32 {

class Win32DialogHost : public DialogHost {
 public:
  explicit Win32DialogHost(const ImageTable* images) : images_(images) {}

  // The application whose loop serves this host (window_search.h).
  void SetLoop(Application* loop) { loop_ = loop; }
  // Tests: played on the loop once each dialog shows, on the dialog as a
  // person sees it (win32_open_dialog.h); a dialog the script leaves open
  // is closed.
  using Script = std::function<void(OpenDialog&)>;
  void SetScript(Script script) { script_ = std::move(script); }

  int RunModal(CDialog& dialog) override;
  int RunModeless(CDialog& dialog) override;
  int MessageBox(CDialog* owner, std::string_view text, std::string_view caption,
                 unsigned flags) override;
  std::optional<std::string> GetFileName(CDialog* owner, const FileDialogRequest& request) override;
  void Beep(unsigned type) override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;
  Rect DesktopRect() const override;

  const ImageTable& Images() const { return *images_; }

  // Lets the open dialogs take their keyboard messages (Tab, Enter,
  // Escape, access keys); true when one did. Every message loop of the
  // program asks this first.
  static bool PreTranslate(MSG& msg);

 private:
  int Run(CDialog& dialog, bool modal);
  const ImageTable* images_;
  Application* loop_ = nullptr;
  Script script_;
  int waitDepth_ = 0;
};

// Runs the thread's messages until done() or WM_QUIT; a WM_QUIT is put
// back for the loop outside, and its code is returned through *quitCode
// (when given). False when WM_QUIT ended it.
bool PumpMessagesUntil(const std::function<bool()>& done, int* quitCode = nullptr);

}  // namespace ui::win32
