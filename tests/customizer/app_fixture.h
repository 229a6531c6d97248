// The customizer on the headless host with a scripted user, in a fresh
// product folder with a joystick store of its own.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "customizer/app/customizer_dlg.h"
#include "customizer/app/resources.h"
#include "product_files.h"
#include "tuning/joystick_fixture.h"
#include "ui/headless/headless_app.h"
#include "ui/open_dialog.h"
#include "ui/strings.h"

namespace custtest {

using Script = std::function<void(ui::OpenDialog&)>;

class ChooserFixture {
 public:
  ChooserFixture() {
    world.Install();
    ui::SetApplication(&app);
  }
  ~ChooserFixture() { ui::SetApplication(nullptr); }
  ChooserFixture(const ChooserFixture&) = delete;
  ChooserFixture& operator=(const ChooserFixture&) = delete;

  // Runs the main dialog with script playing in it. A script that leaves
  // the dialog open has it closed by Exit with the changes declined.
  int Run(const Script& script) {
    dlg = std::make_unique<CCustomizerDlg>();
    app.User().OnDialog(kIddCustomizer, [this, script](ui::OpenDialog& d) {
      script(d);
      if (d.Ended()) return;
      CGameSettings& s = dlg->Settings();
      if (s.Changed() || dlg->SliderMoved() || d.SliderPos(kIdcSlider) != s.CurrentSens(s.level)[0]) {
        User().AnswerNextMessageBox(IDNO);
      }
      d.ChooseMenu(kIdmFileExit);
    });
    return dlg->DoModal(app.Dialogs());
  }
  ui::headless::ScriptedUser& User() { return app.User(); }
  // The texts of the message boxes shown so far.
  std::vector<std::string> Boxes() {
    std::vector<std::string> out;
    for (const auto& b : app.User().MessageBoxes()) {
      out.push_back(b.text);
    }
    return out;
  }
  // The configuration file the driver was given last ("" when none).
  std::string LiveFile() {
    joytest::Bytes b = world.Get(joytest::kDeviceKey, "Joy1ConfigurationFile");
    std::string s(b.begin(), b.end());
    if (!s.empty() && s.back() == '\0') s.pop_back();
    return s;
  }

  ProductDir product;
  joytest::JoystickWorld world;
  ui::headless::TestApplication app;
  std::unique_ptr<CCustomizerDlg> dlg;
};

// The main dialog's controls that the enabling rules set, in their order.
inline const std::vector<int> kEditingControls = {
    kIdcSlider, kIdcDefault, kIdcChampion, kIdcSave, kIdcApply, kIdcButtonFunctions,
    kIdcBasic,  kIdcFullFreedom, kIdcHorizontal, kIdcVertical};

inline std::string S(int id) { return ui::LoadString(id); }

}  // namespace custtest
