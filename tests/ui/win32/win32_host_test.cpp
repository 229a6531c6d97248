// The Win32 host under Wine: the sample walk every host plays, here as the
// system messages a person's clicks and typing produce on real controls,
// and the running-program window that other starts find by its class.
#include "ui/win32/win32_api.h"  // first: the system headers without their A/W names

#include <gtest/gtest.h>

#include "../sample_dialogs.h"
#include "ui/frontend.h"
#include "ui/instance.h"
#include "ui/win32/win32_dialog_host.h"

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

}  // namespace
