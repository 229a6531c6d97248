// The Win32 host under Wine: the sample walk every host plays, here as the
// system messages a person's clicks and typing produce on real controls,
// and the running-program window that other starts find by its class.
#include "ui/win32/win32_api.h"  // first: the system headers without their A/W names

#include <gtest/gtest.h>

#include "../sample_dialogs.h"
#include "ui/frontend.h"
#include "ui/instance.h"
#include "ui/win32/win32_dialog_host.h"
#include "ui/win32/win32_open_dialog.h"
#include "ui/win32/win32_tray.h"

namespace {

using namespace uitest;

TEST(Win32Host, TheSampleWalkOnRealControls) {
  int argc = 0;
  std::unique_ptr<ui::Application> app = ui::CreateApplication(argc, nullptr);
  ui::ScopedApplication scoped(app.get());
  auto& host = dynamic_cast<ui::win32::Win32DialogHost&>(app->Dialogs());
  host.SetScript([](ui::OpenDialog& d) { PlaySampleSteps(d); });
  SampleDlg dlg;
  ExpectSampleOutcome(dlg, dlg.DoModal(host));
}

TEST(Win32Host, ARunningProgramIsFoundByItsWindowClass) {
  const char* kClass = "Tandrix Test Window Class";
  ui::InstanceListener listener;
  ASSERT_TRUE(listener.Listen(kClass, [](unsigned message, std::uintptr_t w, std::intptr_t) -> long {
    return message == WM_USER + 1 ? static_cast<long>(w) * 2 : 0;
  })) << listener.Error();
  EXPECT_EQ(ui::ProbeInstance(kClass), ui::InstanceState::kRunning);
  EXPECT_EQ(ui::InstanceProcessId(kClass), static_cast<int>(::GetCurrentProcessId()));
  ui::InstanceListener second;
  EXPECT_FALSE(second.Listen(kClass, nullptr)) << "a second program of the class must not listen";
  long answer = 0;
  EXPECT_TRUE(ui::SendInstanceMessage(kClass, WM_USER + 1, 21, 0, &answer));
  EXPECT_EQ(answer, 42);
  listener.Close();
  EXPECT_FALSE(ui::InstanceExists(kClass));
  EXPECT_FALSE(ui::SendInstanceMessage(kClass, WM_USER + 1, 21, 0));
}

// Templates are sized for the original font; a one-line text that does
// not fit grows its control, never over another control.
TEST(Win32Host, ALabelTooNarrowForItsTextGrowsUpToItsNeighbour) {
  struct Row {
    const char* what;
    ui::ControlTemplate label;
    bool grows;       // wider than the template made it
    int stopsBefore;  // the control it must not reach (0: none)
  };
  const Row rows[] = {
      {"free room: the whole text shows", ui::LText("Orientation of the ball", 10, 4, 4, 20, 8), true, 0},
      {"a neighbour beside it: up to the neighbour",
       ui::LText("Orientation of the ball", 10, 4, 20, 20, 8), true, 11},
      {"a check box grows too", ui::AutoCheckBox("Show Instructions when game runs", 10, 4, 36, 30, 10),
       true, 0},
      {"two lines high: it wraps as made", ui::LText("Orientation of the ball", 10, 4, 52, 20, 16), false,
       0},
  };
  int argc = 0;
  std::unique_ptr<ui::Application> app = ui::CreateApplication(argc, nullptr);
  auto& host = dynamic_cast<ui::win32::Win32DialogHost&>(app->Dialogs());
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ui::CDialog dlg(ui::Dialog(900, "Fit", 200, 80, 0,
                               {row.label, ui::PushButton("Next", 11, 50, row.label.rect.y, 40, 14)}));
    host.SetScript([&](ui::OpenDialog& d) {
      HWND window = dynamic_cast<ui::win32::Win32OpenDialog&>(d).Window();
      auto rect = [&](int id) {
        RECT r;
        ::GetWindowRect(::GetDlgItem(window, id), &r);
        ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        return r;
      };
      const RECT made = {0, 0, row.label.rect.cx, row.label.rect.cy};
      RECT templ = made;
      ::MapDialogRect(window, &templ);
      const RECT shown = rect(10);
      EXPECT_EQ(shown.right - shown.left > templ.right, row.grows);
      if (row.stopsBefore != 0) {
        EXPECT_LE(shown.right, rect(row.stopsBefore).left);
      }
    });
    dlg.DoModal(host);
  }
}

// The shell's tray under Wine: icons come and go by id, and the icon's
// mouse messages reach the program as its callback message.
TEST(Win32Host, TrayIconsAndTheirMouseMessages) {
  ui::ImageTable images;
  ui::win32::Win32Tray tray(&images);
  if (!tray.IsAvailable()) GTEST_SKIP() << "no taskbar in this session";
  std::vector<std::pair<unsigned, unsigned>> heard;
  tray.SetMouseHandler([&](unsigned callback, unsigned mouse) { heard.emplace_back(callback, mouse); });
  ui::NotifyIcon icon;
  icon.id = 7;
  icon.callbackMessage = WM_USER + 20;
  icon.tip = "Tandrix: Quake (quake.vcg)";
  EXPECT_FALSE(tray.ModifyIcon(icon)) << "an icon not added cannot change";
  ASSERT_TRUE(tray.AddIcon(icon));
  icon.tip = "Tandrix: default";
  EXPECT_TRUE(tray.ModifyIcon(icon));
  HWND owner = ::FindWindowA("TandrixTrayWindow", nullptr);
  ASSERT_NE(owner, nullptr);
  ::SendMessageA(owner, icon.callbackMessage, icon.id, WM_RBUTTONDOWN);
  EXPECT_EQ(heard, (std::vector<std::pair<unsigned, unsigned>>{{WM_USER + 20, WM_RBUTTONDOWN}}));
  EXPECT_TRUE(tray.DeleteIcon(7));
  EXPECT_FALSE(tray.DeleteIcon(7));
}

}  // namespace
