// The life of one modal dialog, the same on every host. A host makes a
// session for the dialog, builds its window on the session's model, and
// hands Run what only it knows: how to show the window and wait until the
// dialog ends. The session does the rest, in this order:
//
//   attach the model to the dialog, centre it when its template asks,
//   OnInitDialog, publish the window under its title (window_search.h),
//   [the host shows and waits], end an unanswered dialog as cancelled,
//   OnDestroy, withdraw the title, detach.
//
// For hosts only; programs use CDialog::DoModal.
#pragma once

#include <functional>
#include <optional>

#include "ui/dialog_model.h"
#include "ui/host.h"
#include "ui/window_search.h"

namespace ui {

class ModalSession : private ModelObserver {
 public:
  // loop: the application whose loop serves the host, which answers other
  // programs looking for the window; null when there is none.
  ModalSession(CDialog& dialog, DialogHost& host, Application* loop);
  ~ModalSession() override;
  ModalSession(const ModalSession&) = delete;
  ModalSession& operator=(const ModalSession&) = delete;

  DialogModel& Model() { return model_; }
  // The host's window, told of every change of the model.
  void SetWindow(ModelObserver* window) { window_ = window; }
  // Runs the dialog; showAndWait runs unless the initialisation ended it.
  // Returns the code given to EndDialog.
  int Run(const std::function<void()>& showAndWait);

 private:
  void ModelChanged(int index, Change what) override;

  CDialog& dialog_;
  Application* loop_;
  DialogModel model_;
  ModelObserver* window_ = nullptr;
  std::optional<WindowPublication> publication_;
};

}  // namespace ui
