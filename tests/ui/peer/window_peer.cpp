// A program with one open dialog, for the tests that find a window from
// another process: it shows a dialog titled argv[1] on the Qt front end,
// says "shown" once the dialog is up, and when another program brings the
// dialog forward says "activated active=<0|1>" and ends with 0. Without a
// visitor it gives up after 20 seconds with 1.
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ui/dialog.h"
#include "ui/qt/qt_app.h"

namespace {

ui::DialogTemplate PeerTemplate() {
  ui::DialogTemplate t;
  t.id = 300;
  t.title = "peer";
  t.rect = {0, 0, 160, 60};
  t.controls = {ui::DefPushButton("OK", IDOK, 55, 38, 50, 14)};
  return t;
}

class PeerDlg : public ui::CDialog {
 public:
  PeerDlg(ui::Application& app, std::string title)
      : CDialog(PeerTemplate()), app_(app), title_(std::move(title)) {}

 protected:
  bool OnInitDialog() override {
    SetWindowText(title_);
    app_.Post([] {
      std::printf("shown\n");
      std::fflush(stdout);
    });
    QTimer::singleShot(20000, [this] { EndDialog(IDCANCEL); });
    return CDialog::OnInitDialog();
  }
  void OnActivate() override {
    const QWidget* active = QApplication::activeWindow();
    const bool ours = active != nullptr && active->windowTitle() == QString::fromStdString(title_);
    std::printf("activated active=%d\n", ours ? 1 : 0);
    std::fflush(stdout);
    EndDialog(IDOK);
  }

 private:
  ui::Application& app_;
  std::string title_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const std::string title = argv[1];
  ui::qt::QtApplication app(argc, argv, nullptr);
  ui::SetApplication(&app);
  PeerDlg dlg(app, title);
  const int result = dlg.DoModal();
  ui::SetApplication(nullptr);
  return result == IDOK ? 0 : 1;
}
