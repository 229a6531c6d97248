// Dialogs and message boxes on real Qt widgets.
//
// A template becomes a QDialog whose children sit where the template puts
// them: dialog units are turned into pixels with the base units of the
// template's font (its average character width and its height), as the
// original platform did. The widgets mirror the dialog's control model;
// what the user does to them goes back into the model, which then sends the
// control's command to the dialog.
#pragma once

#include <QFont>
#include <QPixmap>
#include <map>
#include <string>

#include "ui/headless/scripted_user.h"
#include "ui/host.h"
#include "ui/images.h"

class QWidget;

namespace ui::qt {

class QtDialogHost : public DialogHost {
 public:
  explicit QtDialogHost(const ImageTable* images);

  // With a scripted user (tests), dialogs, message boxes and menus are
  // played by the script instead of waiting for a person; a dialog without
  // a script is closed at once, as on the headless host.
  void SetUser(headless::ScriptedUser* user) { user_ = user; }
  // The application whose loop serves this host (window_search.h).
  void SetLoop(Application* loop) { loop_ = loop; }
  headless::ScriptedUser* User() const { return user_; }

  int RunModal(CDialog& dialog) override;
  int RunModeless(CDialog& dialog) override;
  int MessageBox(CDialog* owner, std::string_view text, std::string_view caption,
                 unsigned flags) override;
  // A real QFileDialog (Qt's own, the same on every desktop). A scripted
  // user's answer is put into it and accepted; without one it is cancelled.
  std::optional<std::string> GetFileName(CDialog* owner, const FileDialogRequest& request) override;
  void Beep(unsigned type) override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;
  Rect DesktopRect() const override;

  // The font a template asks for, and its base units.
  static QFont FontFor(const DialogFont& font);
  static BaseUnits UnitsFor(const QFont& font);

  // Images by resource id (null pixmap when missing), loaded once.
  QPixmap Picture(ImageKind kind, int id);

 private:
  int Run(CDialog& dialog, bool modal);
  const ImageTable* images_;
  headless::ScriptedUser* user_ = nullptr;
  Application* loop_ = nullptr;
  std::map<std::pair<ImageKind, int>, QPixmap> pixmaps_;
  int waitDepth_ = 0;
};

}  // namespace ui::qt
