#include "ui/headless/headless_host.h"

#include "ui/file_dialog.h"
#include "ui/modal_session.h"
#include "ui/msgbox.h"
#include "ui/open_dialog.h"

namespace ui::headless {

namespace {

class RecordingPaint : public PaintContext {
 public:
  void DrawBitmap(int bitmapId, int x, int y) override {
    pictures.push_back(DrawnPicture{bitmapId, x, y, false});
  }
  void DrawIcon(int iconId, int x, int y) override {
    pictures.push_back(DrawnPicture{iconId, x, y, true});
  }
  std::vector<DrawnPicture> pictures;
};

// Paints when the dialog asked for it, at the moments a message loop would:
// once the dialog shows, and after each thing the user does.
class Painter : public ModelObserver {
 public:
  explicit Painter(DialogModel& model) : model_(model) {}
  void ModelChanged(int index, Change what) override {
    if (what == Change::Repaint) dirty_ = true;
    if (what == Change::PaintNow && !model_.Ended()) Paint();
  }
  void Paint() {
    dirty_ = false;
    RecordingPaint dc;
    model_.Paint(dc);
    model_.RecordPaint(std::move(dc.pictures));
  }
  void PaintIfDirty() {
    if (dirty_ && !model_.Ended()) Paint();
  }

 private:
  DialogModel& model_;
  bool dirty_ = false;
};

class HeadlessOpenDialog : public OpenDialog {
 public:
  HeadlessOpenDialog(DialogModel& model, BaseUnits units, Painter& painter)
      : OpenDialog(model, units), painter_(painter) {}
  bool Click(int id) override { return After(OpenDialog::Click(id)); }
  bool SelectRow(int id, int row) override { return After(OpenDialog::SelectRow(id, row)); }
  bool DoubleClickRow(int id, int row) override {
    return After(OpenDialog::DoubleClickRow(id, row));
  }
  bool Type(int id, std::string_view text) override { return After(OpenDialog::Type(id, text)); }
  bool MoveSlider(int id, int pos) override { return After(OpenDialog::MoveSlider(id, pos)); }
  bool Close() override { return After(OpenDialog::Close()); }
  bool PressEnter() override { return After(OpenDialog::PressEnter()); }
  bool ChooseMenu(int commandId) override { return After(OpenDialog::ChooseMenu(commandId)); }
  bool ChooseSystemMenu(int commandId) override {
    return After(OpenDialog::ChooseSystemMenu(commandId));
  }
  void Paint() override {
    if (!model_.Ended()) painter_.Paint();
  }

 private:
  bool After(bool done) {
    painter_.PaintIfDirty();
    return done;
  }
  Painter& painter_;
};

}  // namespace

int HeadlessDialogHost::RunModal(CDialog& dialog) {
  ModalSession session(dialog, *this, loop_);
  DialogModel& model = session.Model();
  Painter painter(model);
  session.SetWindow(&painter);
  ++open_;
  if (user_ != nullptr) user_->RecordDialog(dialog.TemplateId());

  DialogRecord record;
  record.templateId = dialog.TemplateId();
  record.result = session.Run([&] {
    painter.Paint();
    ScriptedUser::DialogScript script;
    if (user_ != nullptr) script = user_->TakeScript(dialog.TemplateId());
    HeadlessOpenDialog view(model, units_, painter);
    if (script) {
      record.scripted = true;
      script(view);
    }
    if (!model.Ended()) {
      // Nobody there to answer: leave the way a person would, through the
      // close box; a dialog that refuses even that is ended as cancelled.
      record.unattended = true;
      view.Close();
    }
  });
  --open_;
  if (user_ != nullptr) {
    record.title = model.Title();
    record.centered = model.Centered();
    record.pictures = model.Pictures();
    user_->RecordDialogEnd(std::move(record));
  }
  return model.Result();
}

const std::vector<HeadlessDialogHost::DialogRecord>& HeadlessDialogHost::Dialogs() const {
  static const std::vector<DialogRecord> kNone;
  return user_ != nullptr ? user_->Dialogs() : kNone;
}

int HeadlessDialogHost::MessageBox(CDialog* owner, std::string_view text,
                                   std::string_view caption, unsigned flags) {
  ScriptedUser::MessageBoxSeen seen;
  seen.text = std::string(text);
  seen.caption = MessageBoxCaption(caption);
  seen.flags = flags;
  std::optional<int> answer;
  if (user_ != nullptr) answer = user_->TakeAnswer();
  seen.scripted = answer.has_value();
  seen.result = answer.value_or(DefaultMessageBoxResult(flags));
  const int result = seen.result;
  if (user_ != nullptr) user_->RecordMessageBox(std::move(seen));
  return result;
}

std::optional<std::string> HeadlessDialogHost::GetFileName(CDialog*,
                                                           const FileDialogRequest& request) {
  ScriptedUser::FileDialogSeen seen;
  seen.request = request;
  if (user_ != nullptr) seen.answer = user_->TakeFileAnswer().value_or("");
  std::optional<std::string> chosen;
  if (!seen.answer.empty()) {
    // A real dialog would refuse the name and wait for another; a script
    // has no other, so it ends as Cancel.
    chosen = AcceptFileName(request, request.StartFolder(), seen.answer);
    seen.refused = !chosen;
  }
  seen.result = chosen.value_or("");
  if (user_ != nullptr) user_->RecordFileDialog(std::move(seen));
  return chosen;
}

void HeadlessDialogHost::BeginWaitCursor() {
  if (waitDepth_++ == 0) ++waitShown_;
}

void HeadlessDialogHost::EndWaitCursor() {
  if (waitDepth_ > 0) --waitDepth_;
}

}  // namespace ui::headless
