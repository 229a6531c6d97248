// A user played by a script: what to do in the next dialogs, how to answer
// the next message boxes, what to choose from the next menus. Hosts consult
// it when something would wait for a person; it also keeps a record of
// every dialog and message box it was shown.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/file_dialog.h"
#include "ui/open_dialog.h"

namespace ui::headless {

class ScriptedUser {
 public:
  using DialogScript = std::function<void(OpenDialog&)>;

  // Plays script in the next dialog that opens, whatever its template.
  void OnNextDialog(DialogScript script) { scripts_.push_back({0, std::move(script)}); }
  // Plays script in the next dialog built on template templateId.
  void OnDialog(int templateId, DialogScript script) {
    scripts_.push_back({templateId, std::move(script)});
  }
  // Answers the next message box with result (IDOK, IDYES ...).
  void AnswerNextMessageBox(int result) { answers_.push_back(result); }
  // Picks the item with commandId from the next popup menu; 0 dismisses it.
  void ChooseFromNextMenu(int commandId) { menuChoices_.push_back(commandId); }
  // Answers the next file dialog with a file: a DOS or host path, or a name
  // in the folder the dialog opens in. An empty path cancels.
  void AnswerNextFileDialog(std::string path) { fileAnswers_.push_back(std::move(path)); }

  struct MessageBoxSeen {
    std::string text;
    std::string caption;
    unsigned flags = 0;
    int result = 0;
    bool scripted = false;  // answered by the script, not by default
  };
  const std::vector<MessageBoxSeen>& MessageBoxes() const { return messageBoxes_; }
  struct FileDialogSeen {
    FileDialogRequest request;
    std::string answer;  // what the script gave ("" for Cancel or none)
    std::string result;  // the path the program got ("" for Cancel)
    bool refused = false;  // the answer broke the request's rules
  };
  const std::vector<FileDialogSeen>& FileDialogs() const { return fileDialogs_; }
  // Every dialog shown to this user, as it ended.
  struct DialogSeen {
    int templateId = 0;
    std::string title;  // as it was when the dialog ended
    int result = 0;
    bool scripted = false;    // a script played it
    bool unattended = false;  // closed for want of a user
    bool centered = false;
    std::vector<DrawnPicture> pictures;  // the last paint
  };
  const std::vector<DialogSeen>& Dialogs() const { return dialogs_; }
  const std::vector<int>& DialogsOpened() const { return dialogsOpened_; }
  std::size_t PendingScripts() const { return scripts_.size(); }
  std::size_t PendingAnswers() const { return answers_.size(); }
  std::size_t PendingMenuChoices() const { return menuChoices_.size(); }

  // Host side.
  DialogScript TakeScript(int templateId);  // empty when none waits for it
  std::optional<int> TakeAnswer();
  std::optional<int> TakeMenuChoice();
  std::optional<std::string> TakeFileAnswer();
  void RecordFileDialog(FileDialogSeen seen) { fileDialogs_.push_back(std::move(seen)); }
  void RecordDialog(int templateId) { dialogsOpened_.push_back(templateId); }
  void RecordDialogEnd(DialogSeen seen) { dialogs_.push_back(std::move(seen)); }
  void RecordMessageBox(MessageBoxSeen seen) { messageBoxes_.push_back(std::move(seen)); }

 private:
  struct Entry {
    int templateId;
    DialogScript script;
  };
  std::deque<Entry> scripts_;
  std::deque<int> answers_;
  std::deque<int> menuChoices_;
  std::deque<std::string> fileAnswers_;
  std::vector<FileDialogSeen> fileDialogs_;
  std::vector<MessageBoxSeen> messageBoxes_;
  std::vector<int> dialogsOpened_;
  std::vector<DialogSeen> dialogs_;
};

}  // namespace ui::headless
