// The Qt front end on the offscreen platform: dialogs built from templates,
// clicked through their real widgets, and photographed into
// build/screenshots.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QTest>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <cstdlib>
#include <thread>

#include "sample_dialogs.h"
#include "support/tempdir.h"
#include "ui/dialog.h"
#include "ui/file_dialog.h"
#include "ui/headless/scripted_user.h"
#include "ui/images.h"
#include "ui/instance.h"
#include "ui/menu.h"
#include "ui/qt/qt_app.h"
#include "ui/qt/qt_open_dialog.h"

// The font library keeps a little memory to the end on purpose; under the
// leak checker that is not ours to report.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace {

using namespace uitest;

// Set before any Qt object exists; a caller's own choice wins.
const bool kOffscreen = (::setenv("QT_QPA_PLATFORM", "offscreen", 0), true);

ui::qt::QtApplication& App() {
  static int argc = 1;
  static char name[] = "ui_qt_tests";
  static char* argv[] = {name, nullptr};
  static auto* app = new ui::qt::QtApplication(argc, argv, &ui::ProgramImages());
  return *app;
}

std::string Screenshot(const std::string& name) {
  return std::string(TANDRIX_BINARY_DIR) + "/screenshots/" + name + ".png";
}

// Runs each test with a fresh scripted user on the shared application.
class QtFrontEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(kOffscreen);
    App().SetUser(&user);
  }
  void TearDown() override { App().SetUser(nullptr); }
  ui::DialogHost& Host() { return App().Dialogs(); }
  static ui::qt::QtOpenDialog& Qt(ui::OpenDialog& d) { return static_cast<ui::qt::QtOpenDialog&>(d); }
  template <typename W>
  static W* W_(ui::OpenDialog& d, int id) {
    return qobject_cast<W*>(Qt(d).Widget(id));
  }

  ui::headless::ScriptedUser user;
};

TEST_F(QtFrontEnd, WidgetsSitWhereTheTemplatePutsThemInPixels) {
  PromptDlg dlg;
  user.OnDialog(144, [&](ui::OpenDialog& d) {
    QDialog* w = Qt(d).Window();
    const ui::BaseUnits units = ui::qt::QtDialogHost::UnitsFor(ui::qt::QtDialogHost::FontFor(PromptTemplate().font));
    EXPECT_EQ(units, d.Units());
    // An 8-point sans serif: a few pixels a character.
    EXPECT_GE(units.x, 4);
    EXPECT_LE(units.x, 12);
    EXPECT_GE(units.y, 9);
    EXPECT_LE(units.y, 24);
    EXPECT_EQ(w->width(), (211 * units.x + 2) / 4);
    EXPECT_EQ(w->height(), ui::MulDiv(89, units.y, 8));
    for (const auto& c : PromptTemplate().controls) {
      if (c.id == IDC_STATIC) continue;
      const ui::Rect r = ui::DialogToPixels(c.rect, units);
      EXPECT_EQ(Qt(d).Widget(c.id)->geometry(), QRect(r.x, r.y, r.cx, r.cy)) << c.id;
      EXPECT_EQ(d.PixelRect(c.id), r);
    }
    auto labels = w->findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 1);
    const ui::Rect r = ui::DialogToPixels(ui::Rect{7, 7, 197, 28}, units);
    EXPECT_EQ(labels[0]->geometry(), QRect(r.x, r.y, r.cx, r.cy));
    EXPECT_EQ(labels[0]->frameShadow(), QFrame::Sunken);
    EXPECT_TRUE(labels[0]->text().startsWith("The Tandrix is not selected"));
    EXPECT_EQ(w->windowTitle(), "Tandrix");
    EXPECT_TRUE(W_<QPushButton>(d, IDOK)->isDefault());
    EXPECT_FALSE(W_<QPushButton>(d, IDCANCEL)->isDefault());
    d.Close();
  });
  EXPECT_EQ(dlg.DoModal(Host()), IDNO);
}

TEST_F(QtFrontEnd, JoystickPromptIsClickedThroughItsWidgets) {
  struct Row {
    const char* what;
    std::vector<int> clicks;
    int result;
    std::vector<int> written;
    Qt::CheckState box;
  };
  const std::vector<Row> rows = {
      {"OK", {IDOK}, IDYES, {}, Qt::Checked},
      {"clear then Cancel", {1000, IDCANCEL}, IDNO, {BST_UNCHECKED}, Qt::Unchecked},
      {"twice then OK", {1000, 1000, IDOK}, IDYES, {BST_UNCHECKED, BST_CHECKED}, Qt::Checked},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    PromptDlg dlg;
    Qt::CheckState seen = Qt::PartiallyChecked;
    user.OnDialog(144, [&](ui::OpenDialog& d) {
      auto* box = W_<QCheckBox>(d, 1000);
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(box->text(), "&Show this message next time.");
      EXPECT_EQ(box->checkState(), Qt::Checked);
      for (int id : row.clicks) {
        if (id == IDOK || id == IDCANCEL) {
          seen = box->checkState();
          if (std::string(row.what) == "clear then Cancel") d.SaveScreenshot(Screenshot("joystick_prompt"));
        }
        EXPECT_TRUE(d.Click(id));
      }
    });
    EXPECT_EQ(dlg.DoModal(Host()), row.result);
    EXPECT_EQ(dlg.written, row.written);
    EXPECT_EQ(seen, row.box);
  }
  QImage shot(QString::fromStdString(Screenshot("joystick_prompt")));
  EXPECT_FALSE(shot.isNull());
}

class SettingsDlg : public ui::CDialog {
 public:
  SettingsDlg() : CDialog(SettingsTemplate()) {}
  std::string name = "Quake";
  int count = 3;
  int level = 1;
  int orientation = 0;
  int game = -1;
  std::string port = "COM2";
  std::intptr_t mode = 20;
  int speed = 100;
  int show = BST_UNCHECKED;
  std::string notes = "line one\r\nline two";
  std::vector<std::pair<int, int>> commands;

 protected:
  bool OnInitDialog() override {
    for (const char* g : {"quake", "Duke Nukem 3D", "descent", "Blood"}) GetDlgItem(kGames).AddString(g);
    for (const char* p : {"COM3", "COM1", "COM2"}) GetDlgItem(kPort).AddString(p);
    const std::pair<const char*, std::intptr_t> modes[] = {{"Slow", 10}, {"Normal", 20}, {"Fast", 30}};
    for (const auto& [text, data] : modes) GetDlgItem(kMode).SetItemData(GetDlgItem(kMode).AddString(text), data);
    GetDlgItem(kSpeed).SetRange(0, 200);
    GetDlgItem(kSpeed).SetTicFreq(10);
    return CDialog::OnInitDialog();
  }
  void DoDataExchange(ui::CDataExchange* pDX) override {
    ui::DDX_Text(pDX, kName, name);
    ui::DDX_Text(pDX, kCount, count);
    ui::DDX_Radio(pDX, kLevelBasic, level);
    ui::DDX_Radio(pDX, kHorizontal, orientation);
    ui::DDX_LBIndex(pDX, kGames, game);
    ui::DDX_CBString(pDX, kPort, port);
    ui::DDX_CBItemData(pDX, kMode, mode);
    ui::DDX_Slider(pDX, kSpeed, speed);
    ui::DDX_Check(pDX, kShow, show);
    ui::DDX_Text(pDX, kNotes, notes);
  }
  void OnCommand(int id, int code) override {
    commands.emplace_back(id, code);
    CDialog::OnCommand(id, code);
  }
};

TEST_F(QtFrontEnd, EveryKindOfControlTakesTheUsersInput) {
  SettingsDlg dlg;
  user.OnDialog(900, [&](ui::OpenDialog& d) {
    // What the program put in shows in the widgets.
    EXPECT_EQ(W_<QLineEdit>(d, kName)->text(), "Quake");
    EXPECT_TRUE(W_<QRadioButton>(d, kLevelFull)->isChecked());
    EXPECT_FALSE(W_<QRadioButton>(d, kLevelBasic)->isChecked());
    auto* games = W_<QListWidget>(d, kGames);
    ASSERT_EQ(games->count(), 4);
    EXPECT_EQ(games->item(0)->text(), "Blood");
    EXPECT_EQ(games->item(3)->text(), "quake");
    EXPECT_EQ(W_<QComboBox>(d, kPort)->currentText(), "COM2");
    EXPECT_TRUE(W_<QComboBox>(d, kPort)->isEditable());
    EXPECT_FALSE(W_<QComboBox>(d, kMode)->isEditable());
    EXPECT_EQ(W_<QComboBox>(d, kMode)->currentText(), "Normal");
    EXPECT_EQ(W_<QSlider>(d, kSpeed)->maximum(), 200);
    EXPECT_EQ(W_<QSlider>(d, kSpeed)->value(), 100);
    EXPECT_EQ(W_<QPlainTextEdit>(d, kNotes)->toPlainText(), "line one\nline two");

    // The three states in the order the platform uses.
    auto* show = W_<QCheckBox>(d, kShow);
    EXPECT_TRUE(show->isTristate());
    std::vector<Qt::CheckState> states;
    for (int i = 0; i < 3; ++i) {
      d.Click(kShow);
      states.push_back(show->checkState());
    }
    EXPECT_EQ(states, (std::vector<Qt::CheckState>{Qt::Checked, Qt::PartiallyChecked, Qt::Unchecked}));
    d.Click(kShow);
    d.Click(kShow);
    EXPECT_EQ(d.Check(kShow), BST_INDETERMINATE);

    d.Click(kLevelBasic);
    EXPECT_TRUE(W_<QRadioButton>(d, kLevelBasic)->isChecked());
    EXPECT_FALSE(W_<QRadioButton>(d, kLevelFull)->isChecked());
    EXPECT_TRUE(W_<QRadioButton>(d, kHorizontal)->isChecked());
    d.Click(kVertical);

    EXPECT_TRUE(d.Type(kName, "Descent"));
    EXPECT_TRUE(d.Type(kCount, "17"));
    EXPECT_TRUE(d.SelectRowText(kGames, "DESCENT"));
    EXPECT_EQ(games->currentRow(), 1);
    EXPECT_TRUE(d.Type(kPort, "COM9"));
    EXPECT_TRUE(d.SelectRow(kMode, 0));
    EXPECT_TRUE(d.MoveSlider(kSpeed, 140));
    EXPECT_TRUE(d.Type(kNotes, "first\r\nsecond"));
    EXPECT_EQ(W_<QPlainTextEdit>(d, kNotes)->toPlainText(), "first\nsecond");
    // A person typing straight into a widget reaches the model too.
    W_<QLineEdit>(d, kCount)->setText("18");
    EXPECT_EQ(d.Text(kCount), "18");
    d.SaveScreenshot(Screenshot("settings"));
    EXPECT_TRUE(d.PressEnter());
  });
  EXPECT_EQ(dlg.DoModal(Host()), IDOK);
  EXPECT_EQ(dlg.name, "Descent");
  EXPECT_EQ(dlg.count, 18);
  EXPECT_EQ(dlg.level, 0);
  EXPECT_EQ(dlg.orientation, 1);
  EXPECT_EQ(dlg.game, 1);
  EXPECT_EQ(dlg.port, "COM9");
  EXPECT_EQ(dlg.mode, 10);
  EXPECT_EQ(dlg.speed, 140);
  EXPECT_EQ(dlg.show, BST_INDETERMINATE);
  EXPECT_EQ(dlg.notes, "first\r\nsecond");
  // The commands a person's actions send, with their notifications.
  auto sent = [&](int id, int code) {
    return std::count(dlg.commands.begin(), dlg.commands.end(), std::make_pair(id, code));
  };
  EXPECT_EQ(sent(kShow, BN_CLICKED), 5);
  EXPECT_EQ(sent(kGames, LBN_SELCHANGE), 1);
  EXPECT_EQ(sent(kMode, CBN_SELCHANGE), 1);
  EXPECT_EQ(sent(kPort, CBN_EDITCHANGE), 1);
  EXPECT_EQ(sent(kSpeed, TB_ENDTRACK), 1);
  EXPECT_EQ(sent(IDOK, BN_CLICKED), 1);
  // Filling the dialog from the program sent nothing.
  EXPECT_EQ(sent(kName, EN_CHANGE), 1);
}

class InstructionsDlg : public ui::CDialog {
 public:
  InstructionsDlg() : CDialog(InstructionsTemplate()) {}

 protected:
  bool OnInitDialog() override {
    SetWindowText("Tandrix - Quake");
    SetDlgItemText(1006, "Use the ball to strafe.\r\nButton A fires.\r\n");
    SetDlgItemText(1011, "Basic");
    SetDlgItemText(1012, "Horizontal");
    CheckDlgButton(1000, BST_CHECKED);
    return true;
  }
  void OnPaint(ui::PaintContext& dc) override {
    dc.DrawBitmap(137, 10, 40);
    dc.DrawBitmap(136, 215, 40);
  }
};

TEST_F(QtFrontEnd, InstructionsDialogPaintsItsPictures) {
  InstructionsDlg dlg;
  user.OnDialog(107, [&](ui::OpenDialog& d) {
    EXPECT_EQ(Qt(d).Window()->windowTitle(), "Tandrix - Quake");
    EXPECT_EQ(W_<QPlainTextEdit>(d, 1006)->toPlainText(), "Use the ball to strafe.\nButton A fires.\n");
    EXPECT_TRUE(W_<QPlainTextEdit>(d, 1006)->isReadOnly());
    EXPECT_FALSE(d.Type(1006, "x"));
    ASSERT_TRUE(d.SaveScreenshot(Screenshot("instructions")));
    EXPECT_EQ(d.Pictures(), (std::vector<ui::DrawnPicture>{{137, 10, 40, false}, {136, 215, 40, false}}));
    const QImage shot = Qt(d).Window()->grab().toImage();
    const QColor background = shot.pixelColor(shot.width() - 3, 3);
    // The pictures' own pixels are there: the blue of the ball in each.
    auto blueAround = [&](int x0, int y0) {
      int blue = 0;
      for (int y = y0; y < y0 + 72; ++y) {
        for (int x = x0; x < x0 + 97; ++x) {
          const QColor c = shot.pixelColor(x, y);
          if (c.blue() > 150 && c.red() < 90 && c != background) ++blue;
        }
      }
      return blue;
    };
    EXPECT_GT(blueAround(10, 40), 50);
    EXPECT_GT(blueAround(215, 40), 50);
    d.Click(IDOK);
  });
  EXPECT_EQ(dlg.DoModal(Host()), IDOK);
}

TEST_F(QtFrontEnd, AboutBoxShowsItsIcon) {
  ui::DialogTemplate t;
  t.id = 145;
  t.title = "About Tandrix Monitor";
  t.rect = {0, 0, 205, 89};
  t.style |= ui::dlg::Center;
  t.controls = {ui::Icon(104, IDC_STATIC, 11, 17),
                ui::LText("Tandrix Game Monitor v4.71.", IDC_STATIC, 40, 10, 150, 8, ui::ctl::NoPrefix),
                ui::LText("Makes each game's Tandrix configuration live while it runs.", IDC_STATIC, 40, 25,
                          150, 16),
                ui::LText("Right-click the tray icon for its menu.", IDC_STATIC, 40, 45, 150, 8),
                ui::DefPushButton("OK", IDOK, 77, 66, 50, 14, ui::ctl::Group)};
  ui::CDialog dlg(t);
  user.OnDialog(145, [&](ui::OpenDialog& d) {
    const auto labels = Qt(d).Window()->findChildren<QLabel*>();
    int icons = 0;
    for (QLabel* l : labels) {
      if (!l->pixmap().isNull()) {
        ++icons;
        EXPECT_EQ(l->pixmap().size(), QSize(32, 32));
      }
    }
    EXPECT_EQ(icons, 1);
    EXPECT_TRUE(d.Centered());
    d.SaveScreenshot(Screenshot("about"));
    d.PressEnter();
  });
  EXPECT_EQ(dlg.DoModal(Host()), IDOK);
}

TEST_F(QtFrontEnd, MessageBoxesShowTheirIconButtonsAndAnswer) {
  struct Row {
    unsigned flags;
    int answer;  // 0: none scripted
    int result;
    QMessageBox::Icon icon;
    int buttons;
  };
  const Row rows[] = {
      {MB_YESNOCANCEL | MB_ICONQUESTION, IDNO, IDNO, QMessageBox::Question, 3},
      {MB_OK | MB_ICONSTOP, 0, IDOK, QMessageBox::Critical, 1},
      {MB_OKCANCEL | MB_ICONEXCLAMATION | MB_DEFBUTTON2, 0, IDCANCEL, QMessageBox::Warning, 2},
      {MB_YESNO | MB_ICONINFORMATION | MB_SYSTEMMODAL, IDYES, IDYES, QMessageBox::Information, 2},
  };
  int n = 0;
  for (const auto& row : rows) {
    if (row.answer != 0) user.AnswerNextMessageBox(row.answer);
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    QString caption;
    const std::string shot = Screenshot("message_box_" + std::to_string(n++));
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      icon = box->icon();
      buttons = static_cast<int>(box->buttons().size());
      caption = box->windowTitle();
      box->grab().save(QString::fromStdString(shot), "PNG");
    });
    EXPECT_EQ(Host().MessageBox(nullptr, "Do you want to save changes to Quake?", "Tandrix Customizer", row.flags),
              row.result);
    EXPECT_EQ(icon, row.icon);
    EXPECT_EQ(buttons, row.buttons);
    EXPECT_EQ(caption, "Tandrix Customizer");
  }
  ASSERT_EQ(user.MessageBoxes().size(), 4u);
  EXPECT_TRUE(user.MessageBoxes()[0].scripted);
  EXPECT_FALSE(user.MessageBoxes()[1].scripted);
}

TEST_F(QtFrontEnd, WaitCursorIsTheApplicationsOverrideCursor) {
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  {
    ui::CWaitCursor wait(Host());
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    ui::CWaitCursor nested(Host());
  }
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(QtFrontEnd, TimersPostedCallsAndQuitOnTheQtLoop) {
  std::vector<std::string> log;
  int ticks = 0;
  App().Timers().SetTimer(10, [&](unsigned id) {
    log.push_back("tick");
    if (++ticks == 3) {
      EXPECT_TRUE(App().Timers().KillTimer(id));
      App().Post([&] {
        log.push_back("posted");
        App().PostQuit(4);
      });
    }
  });
  EXPECT_EQ(App().Run(), 4);
  EXPECT_EQ(log, (std::vector<std::string>{"tick", "tick", "tick", "posted"}));
  // A quit asked for before the loop runs ends it at once.
  App().PostQuit(6);
  EXPECT_EQ(App().Run(), 6);
}

TEST_F(QtFrontEnd, TerminationSignalClosesLikeExit) {
  bool closed = false;
  App().OnTerminationSignal([&] {
    closed = true;
    App().PostQuit(0);
  });
  App().Timers().SetTimer(10, [](unsigned id) {
    App().Timers().KillTimer(id);
    ::kill(::getpid(), SIGTERM);
  });
  EXPECT_EQ(App().Run(), 0);
  EXPECT_TRUE(closed);
  App().OnTerminationSignal(nullptr);
}

TEST_F(QtFrontEnd, InstanceChannelIsWatchedByTheQtLoop) {
  testsupport::TempDir runtime;
  testsupport::ScopedEnv env("XDG_RUNTIME_DIR", runtime.path().c_str());
  ui::InstanceListener listener;
  unsigned got = 0;
  ASSERT_TRUE(listener.Listen("Tandrix Monitor", [&](unsigned m, std::uintptr_t, std::intptr_t) {
    got = m;
    listener.Close();
    App().PostQuit(0);
    return 0L;
  }));
  const int watch = App().WatchDescriptor(listener.fd(), [&] { listener.HandleReady(); });
  bool sent = false;
  std::thread sender([&] { sent = ui::SendInstanceMessage("Tandrix Monitor", WM_CLOSE, 0, 0); });
  EXPECT_EQ(App().Run(), 0);
  sender.join();
  App().UnwatchDescriptor(watch);
  EXPECT_TRUE(sent);
  EXPECT_EQ(got, unsigned(WM_CLOSE));
  EXPECT_FALSE(ui::InstanceExists("Tandrix Monitor"));
}

TEST_F(QtFrontEnd, WithoutASystemTrayTheProgramGoesOnWithoutAnIcon) {
  ui::TrayHost& tray = App().Tray();
  // The offscreen platform has no tray, as some desktops have none.
  EXPECT_FALSE(tray.IsAvailable());
  EXPECT_FALSE(tray.AddIcon(ui::NotifyIcon{0, 666, 104, "Tandrix Monitor", {}, {}}));
  EXPECT_FALSE(tray.ModifyIcon(ui::NotifyIcon{0, 666, 139, "Tandrix Monitor", {}, {}}));
  EXPECT_FALSE(tray.DeleteIcon(0));
  EXPECT_FALSE(App().QtTrayHost().IconFor(104).isNull());
  EXPECT_FALSE(App().QtTrayHost().IconFor(999).isNull());  // a stand-in
}

TEST_F(QtFrontEnd, TrayMenuIsBuiltFromItsResource) {
  using I = ui::MenuItemTemplate;
  ui::Menu bar(ui::MenuTemplate{106, {I::Popup("Tray", {I::Item("&About...", 40014), I::Item("&Customize...", 40012),
                                                         I::Separator(), I::Item("&Suspend", 40007),
                                                         I::Item("E&xit", 40009)})}});
  ui::Menu& tray = *bar.SubMenu(0);
  tray.SetItemText(3, "&Resume");
  auto menu = ui::qt::QtTray::BuildMenu(tray);
  const auto actions = menu->actions();
  ASSERT_EQ(actions.size(), 5);
  EXPECT_EQ(actions[0]->text(), "&About...");
  EXPECT_TRUE(actions[2]->isSeparator());
  EXPECT_EQ(actions[3]->text(), "&Resume");
  EXPECT_EQ(actions[3]->data().toInt(), 40007);
  EXPECT_EQ(actions[4]->data().toInt(), 40009);

  std::vector<int> commands;
  App().Tray().SetCommandHandler([&](int id) { commands.push_back(id); });
  user.ChooseFromNextMenu(40014);
  App().Tray().TrackPopupMenu(tray, App().Tray().CursorPos(), TPM_RIGHTALIGN | TPM_RIGHTBUTTON);
  App().Tray().SetCommandHandler(nullptr);
  EXPECT_EQ(commands, (std::vector<int>{40014}));
}

}  // namespace

namespace {

TEST_F(QtFrontEnd, SampleWindowWithMenuBarIconPictureAndTypedCombo) {
  SampleDlg dlg;
  user.OnDialog(kSampleDialog, [&](ui::OpenDialog& d) {
    QDialog* w = Qt(d).Window();
    auto* bar = w->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->actions().size(), 3);
    EXPECT_EQ(bar->actions()[0]->text(), "&File");
    // The client area starts under the menu bar.
    EXPECT_GE(Qt(d).Widget(kDuke)->y(), bar->height());
    EXPECT_FALSE(w->windowIcon().isNull());
    auto* picture = W_<QLabel>(d, kPicture);
    ASSERT_NE(picture, nullptr);
    EXPECT_FALSE(picture->pixmap().isNull());
    ASSERT_NE(W_<QComboBox>(d, kComPort), nullptr);
    EXPECT_TRUE(W_<QComboBox>(d, kComPort)->isEditable());
    EXPECT_FALSE(W_<QRadioButton>(d, kDescent)->isEnabled());
    EXPECT_TRUE(W_<QRadioButton>(d, kDuke)->isEnabled());
    PlaySampleSteps(d, Screenshot("sample_window"));
  });
  ExpectSampleOutcome(dlg, dlg.DoModal(Host()));
}

}  // namespace

namespace {

constexpr const char* kExeFilter = "Exe Files (*.exe)|*.exe|All Files (*.*)|*.*||\n";

TEST_F(QtFrontEnd, FileDialogTakesAScriptedPath) {
  testsupport::TempDir dir;
  dir.Write("quake/quaketen.exe", "MZ");
  const std::string quake = dir.Dos() + "\\quake";
  ui::CFileDialog dlg(true, ".exe", quake + "\\quaketen.exe", OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
                      kExeFilter);
  user.AnswerNextFileDialog("quaketen");
  EXPECT_EQ(dlg.DoModal(Host()), IDOK);
  EXPECT_EQ(dlg.GetPathName(), quake + "\\quaketen.exe");
  user.AnswerNextFileDialog("");
  EXPECT_EQ(dlg.DoModal(Host()), IDCANCEL);
  ASSERT_EQ(user.FileDialogs().size(), 2u);
  EXPECT_EQ(user.FileDialogs()[1].result, "");
}

// A person at a real file dialog: it opens in the game's folder with the
// offered name and both filters, and Escape cancels it.
TEST_F(QtFrontEnd, FileDialogOpensAndIsCancelledWithTheKeyboard) {
  testsupport::TempDir dir;
  dir.Write("duke/duke3d.exe", "MZ");
  dir.Write("duke/readme", "text");
  App().SetUser(nullptr);
  QStringList filters;
  QString folder;
  QStringList shown;
  QTimer::singleShot(0, [&] {
    auto* fd = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(fd, nullptr);
    filters = fd->nameFilters();
    folder = fd->directory().absolutePath();
    shown = fd->selectedFiles();
    QTest::keyClick(fd, Qt::Key_Escape);
  });
  ui::CFileDialog dlg(true, ".exe", dir.Dos() + "\\duke\\duke3d.exe",
                      OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, kExeFilter);
  EXPECT_EQ(dlg.DoModal(Host()), IDCANCEL);
  EXPECT_EQ(filters, (QStringList{"Exe Files (*.exe)", "All Files (*)"}));
  EXPECT_EQ(folder, QString::fromStdString(dir.Host("duke")));
  ASSERT_EQ(shown.size(), 1);
  EXPECT_TRUE(shown[0].endsWith("duke3d.exe"));
}

}  // namespace

namespace {

// What an assistive technology reads: every control under its visible
// text, a field under the label before it.
TEST_F(QtFrontEnd, ControlsAreNamedByTheirTextOrTheirLabel) {
  SampleDlg dlg;
  user.OnDialog(kSampleDialog, [&](ui::OpenDialog& d) {
    struct Row {
      int id;
      const char* name;
    };
    const Row rows[] = {
        {IDOK, "OK"},
        {kQuake, "Quake"},
        {kDescent, "Descent"},
        {kComPort, "COM Port:"},
        {kGamePath, "Enter The Path And Executable Name Of The Game"},
        {kSensitivity, "Sensitivity"},
        {kStatus, "Choose a game."},
    };
    for (const Row& row : rows) {
      SCOPED_TRACE(row.name);
      QAccessibleInterface* a = QAccessible::queryAccessibleInterface(Qt(d).Widget(row.id));
      ASSERT_NE(a, nullptr);
      // A combo box reads out its value as its name on this desktop; its
      // label is the one that labels it.
      const auto labels = a->relations(QAccessible::Label);
      const QString name = row.id == kComPort && !labels.isEmpty()
                               ? labels[0].first->text(QAccessible::Name)
                               : a->text(QAccessible::Name);
      EXPECT_EQ(name, row.name);
    }
    // The label's access key reaches the field.
    bool buddied = false;
    for (QLabel* label : Qt(d).Window()->findChildren<QLabel*>()) {
      if (label->text() == "COM Port:") buddied = label->buddy() == Qt(d).Widget(kComPort);
    }
    EXPECT_TRUE(buddied);
    d.Close();
  });
  dlg.DoModal(Host());
}

// An assistive technology's toggle counts like a click: the dialog hears
// it and the model follows, for a check box and for a radio button.
TEST_F(QtFrontEnd, AccessibleActionsCountLikeClicks) {
  SettingsDlg dlg;
  user.OnDialog(900, [&](ui::OpenDialog& d) {
    struct Row {
      int id;
      QString action;
      int check;
    };
    const std::vector<Row> rows = {
        // The three-state box goes round as a click takes it.
        {kShow, QAccessibleActionInterface::toggleAction(), BST_CHECKED},
        {kShow, QAccessibleActionInterface::toggleAction(), BST_INDETERMINATE},
        {kLevelBasic, QAccessibleActionInterface::toggleAction(), BST_CHECKED},
        // Toggling the checked radio button leaves it checked, as a click
        // on it does.
        {kLevelBasic, QAccessibleActionInterface::toggleAction(), BST_CHECKED},
    };
    for (const Row& row : rows) {
      SCOPED_TRACE(row.id);
      QAccessibleInterface* a = QAccessible::queryAccessibleInterface(Qt(d).Widget(row.id));
      ASSERT_NE(a, nullptr);
      ASSERT_NE(a->actionInterface(), nullptr);
      EXPECT_TRUE(a->actionInterface()->actionNames().contains(row.action));
      const std::size_t before = dlg.commands.size();
      a->actionInterface()->doAction(row.action);
      EXPECT_EQ(d.Check(row.id), row.check);
      EXPECT_EQ(dlg.commands.size(), before + 1);
    }
    EXPECT_EQ(d.Check(kLevelFull), BST_UNCHECKED);
    d.Close();
  });
  dlg.DoModal(Host());
  auto sent = [&](int id) {
    return std::count(dlg.commands.begin(), dlg.commands.end(), std::make_pair(id, int(BN_CLICKED)));
  };
  EXPECT_EQ(sent(kShow), 2);
  EXPECT_EQ(sent(kLevelBasic), 2);
}

}  // namespace
