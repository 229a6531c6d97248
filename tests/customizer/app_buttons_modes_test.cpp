// The button functions dialog and the modes for all games, played by a scripted user on the headless host over a game's
// working settings.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "customizer/app/options_dialogs.h"
#include "customizer/app/options_resources.h"
#include "customizer/game_settings.h"
#include "customizer/shared_strings.h"
#include "customizer_fixture.h"
#include "platform/registry.h"
#include "tuning/mva_joystick.h"
#include "ui/headless/headless_host.h"
#include "ui/headless/scripted_user.h"

namespace {

using Buttons = std::array<int, 6>;
using Act = std::function<void(ui::OpenDialog&)>;

const Buttons kQuakeUser = {0, 1, 3, 2, 4, 5};  // F is Swim Up; its default is Strafe (7)

class OptionsDialogs : public ::testing::Test {
 protected:
  void SetUp() override { SetAppTitle(kCustomizerTitle); }
  // quake.vcg, one line replaced, loaded into the working settings.
  void LoadQuake(const std::string& from = "", const std::string& to = "") {
    std::string text = custtest::ReadProductFile("games/quake.vcg");
    if (!from.empty()) text.replace(text.find(from), from.size(), to);
    dir.Write("games/quake.vcg", text);
    settings = CGameSettings();
    ASSERT_EQ(settings.Load("games\\quake.vcg"), LoadError::None);
  }
  template <typename Dlg, typename... Args>
  int Run(int templateId, const Act& script, Args&&... args) {
    user.OnDialog(templateId, script);
    Dlg dlg(std::forward<Args>(args)...);
    return dlg.DoModal(host);
  }

  testsupport::TempDir dir;
  testsupport::ScopedCwd cwd{dir.path()};
  joytest::JoystickWorld world;
  CGameSettings settings;
  ui::headless::ScriptedUser user;
  ui::headless::HeadlessDialogHost host{&user};
};

// Each row: a line of quake.vcg replaced, what the user does, then the
// current buttons and whether the main dialog's change test sees a change.
TEST_F(OptionsDialogs, ButtonFunctionsStoreOnlyOnOk) {
  struct Row {
    const char* what;
    std::string from, to;
    Act act;
    int result;
    Buttons after;
    bool changed;
  };
  const std::vector<Row> rows = {
      {"OK as it is", "", "",
       [](ui::OpenDialog& d) {
         EXPECT_EQ(d.Title(), "Customizer Utility V4.71");
         EXPECT_EQ(d.Text(kIdcConfigName), "quake");
         EXPECT_EQ(d.Items(kIdcButtonA + 5).size(), 10u);
         EXPECT_EQ(d.Items(kIdcButtonA + 5)[3], "Next Weapon");  // file order, blanks for "_"
         for (int b = 0; b < 6; ++b) EXPECT_EQ(d.Selection(kIdcButtonA + b), kQuakeUser[b]);
       },
       IDOK, kQuakeUser, false},
      {"F picked", "", "", [](ui::OpenDialog& d) { d.SelectRow(kIdcButtonA + 5, 6); }, IDOK,
       {0, 1, 3, 2, 4, 6}, true},
      {"Set Default, OK", "", "", [](ui::OpenDialog& d) { d.Click(kIdcSetDefault); }, IDOK,
       {0, 1, 3, 2, 4, 7}, true},
      {"Set Default, Cancel", "", "",
       [](ui::OpenDialog& d) {
         d.Click(kIdcSetDefault);
         EXPECT_EQ(d.Selection(kIdcButtonA + 5), 7);
         d.Click(IDCANCEL);
       },
       IDCANCEL, kQuakeUser, false},
      {"no function (255) shows nothing and stores -1", "BUTTON_F_USER = Swim_Up",
       "BUTTON_F_USER = Fly", [](ui::OpenDialog& d) { EXPECT_EQ(d.Selection(kIdcButtonA + 5), -1); },
       IDOK, {0, 1, 3, 2, 4, -1}, true},
      {"no button masks: six empty lists, all -1", "BUTTON_MASKS", "NO_MASKS",
       [](ui::OpenDialog& d) {
         for (int b = 0; b < 6; ++b) EXPECT_TRUE(d.Items(kIdcButtonA + b).empty());
       },
       IDOK, {-1, -1, -1, -1, -1, -1}, true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    LoadQuake(r.from, r.to);
    const Act script = [&](ui::OpenDialog& d) {
      r.act(d);
      if (!d.Ended()) d.Click(IDOK);
    };
    EXPECT_EQ(Run<CButtonFunctionsDlg>(kIddButtonFunctions, script, "quake", settings), r.result);
    EXPECT_EQ(settings.currentButtons, r.after);
    EXPECT_EQ(settings.Changed(), r.changed);
    EXPECT_EQ(settings.dirty, 0);
  }
}

// Each row: the registry's words, the radios they check (Basic, Full
// Freedom, Vertical, Horizontal), what the user does, then the words and
// the open game's level and orientation afterwards, and each file's LEVEL
// and ORIENTATION (Generic, quake; the spared files never change).
TEST_F(OptionsDialogs, ModesReachEveryFileTheRegistryAndTheOpenGame) {
  struct Row {
    const char* level;
    const char* orientation;
    std::array<int, 4> checks;
    Act act;
    const char* levelAfter;
    const char* orientationAfter;
    int settingsLevel, settingsOrientation;
    std::string generic, quake;
    bool menuVertical;
  };
  const std::string b = "BEGINNER", i = "INTERMEDIATE", h = "HORIZONTAL", v = "VERTICAL";
  const std::vector<Row> rows = {
      {"FULL", "HORIZONTAL", {0, 1, 0, 1}, [](ui::OpenDialog& d) { d.Click(IDOK); }, "FULL",
       "HORIZONTAL", 1, 0, i + h, i + h, false},
      {nullptr, "HORIZONTAL", {0, 0, 0, 1},
       [](ui::OpenDialog& d) {
         d.Click(kIdcModesVertical);
         const int painted = d.PaintCount();
         d.Click(IDOK);
         EXPECT_EQ(d.Text(kIdcModesStatus), "Quake");  // the last one rewritten
         EXPECT_GE(d.PaintCount() - painted, 2);       // shown as each file went
       },
       "-", "VERTICAL", 1, 1, b + v, i + v, true},
      {"BASIC", "VERTICAL", {1, 0, 1, 0},
       [](ui::OpenDialog& d) {
         d.Click(kIdcModesFullFreedom);
         d.Click(kIdcModesHorizontal);
         d.Click(IDCANCEL);
       },
       "BASIC", "VERTICAL", 1, 1, b + h, i + h, false},
      {"Full", "vertical", {0, 0, 0, 0}, [](ui::OpenDialog& d) { d.Click(IDOK); }, "Full",
       "vertical", 1, 1, b + h, i + h, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.level ? r.level : "-");
    platform::SetSystemRegistry(platform::NewMemoryRegistry());
    world.Install();
    if (r.level) world.SetText(joytest::kPrivateKey, "TandrixLevel", r.level);
    if (r.orientation) world.SetText(joytest::kPrivateKey, "TandrixOrientation", r.orientation);
    dir.Write("defaults/Generic.vcg", custtest::Vcg("Generic", "BEGINNER", "HORIZONTAL"));
    const std::string spared = custtest::Vcg("Chicken", "BEGINNER", "HORIZONTAL");
    for (const char* f : {"defaults/chicken.vcg", "games/CHICKEN.VCG", "games/Train.vcg"}) {
      dir.Write(f, spared);
    }
    dir.Write("support/motiva.cfg", custtest::ReadProductFile("support/motiva.cfg"));
    LoadQuake();          // Full Freedom, Horizontal
    settings.orientation = 1;  // and the user has chosen Vertical since

    Run<CModesDlg>(kIddModes,
                   [&](ui::OpenDialog& d) {
                     EXPECT_EQ(d.Title(), "Mode Settings for All Games");
                     const int ids[] = {kIdcModesBasic, kIdcModesFullFreedom, kIdcModesVertical, kIdcModesHorizontal};
                     for (int k = 0; k < 4; ++k) EXPECT_EQ(d.Check(ids[k]), r.checks[k]) << ids[k];
                     r.act(d);
                   },
                   &settings);

    std::string level = "-", orientation = "-";
    MVA_GetLevel(level, 260);
    MVA_GetOrientation(orientation, 260);
    EXPECT_EQ(level, r.levelAfter);
    EXPECT_EQ(orientation, r.orientationAfter);
    EXPECT_EQ(settings.level, r.settingsLevel);
    EXPECT_EQ(settings.orientation, r.settingsOrientation);
    const auto modes = [&](const char* file) {
      const std::string t = dir.Read(file);
      const auto value = [&](const std::string& key) {
        const std::size_t at = t.find("\n" + key + " = ") + key.size() + 4;
        return t.substr(at, t.find('\r', at) - at);
      };
      return value("LEVEL") + value("ORIENTATION");
    };
    EXPECT_EQ(modes("defaults/Generic.vcg"), r.generic);
    EXPECT_EQ(modes("games/quake.vcg"), r.quake);
    for (const char* f : {"defaults/chicken.vcg", "games/CHICKEN.VCG", "games/Train.vcg"}) {
      EXPECT_EQ(dir.Read(f), spared) << f;
    }
    const std::string menu = dir.Read("support/motiva.cfg");
    EXPECT_EQ(menu.find("[ORIENTATION]\r\nVERTICAL\r\n") != std::string::npos, r.menuVertical);
    EXPECT_EQ(menu.find("\nSet Orientation to HORIZONTAL=haxes.bat\r\n") != std::string::npos,
              r.menuVertical);
  }
}

}  // namespace
