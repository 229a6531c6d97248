#include "ui/modal_session.h"

#include "ui/dialog.h"

namespace ui {

ModalSession::ModalSession(CDialog& dialog, DialogHost& host, Application* loop)
    : dialog_(dialog), loop_(loop), model_(dialog.GetTemplate(), &dialog) {
  model_.SetObserver(this);
  dialog_.Attach(&model_, &host);
}

ModalSession::~ModalSession() {
  publication_.reset();
  model_.SetObserver(nullptr);
  dialog_.Detach();
}

int ModalSession::Run(const std::function<void()>& showAndWait) {
  if (dialog_.GetTemplate().Has(dlg::Center)) model_.Center();
  dialog_.SendInitDialog();
  if (!model_.Ended()) {
    if (loop_ != nullptr) {
      publication_.emplace(*loop_, [this] { dialog_.SendActivate(); });
      publication_->SetTitle(model_.Title());
    }
    showAndWait();
    // A loop ended from outside (the program quitting) counts as Cancel.
    if (!model_.Ended()) model_.End(IDCANCEL);
  }
  publication_.reset();
  dialog_.SendDestroy();
  return model_.Result();
}

void ModalSession::ModelChanged(int index, Change what) {
  if (what == Change::Title && index < 0 && publication_) publication_->SetTitle(model_.Title());
  if (window_ != nullptr) window_->ModelChanged(index, what);
}

}  // namespace ui
