#include "customizer/app/resources.h"

#include "ui/strings.h"

namespace {

constexpr ui::StringResource kStrings[] = {
    {kIdsNone, "<none>"},
    {kIdsModifyOrLoad, "Modify current settings or load configuration to apply or modify."},
    {kIdsLoadOrNew, "Click on Load to load a configuration file or New to create a new one."},
    {kIdsSaveChanges, "Do you want to save changes to %s?"},
    {kIdsChooseGameFirst, "You must choose a game first."},
    {kIdsSetupCfgMissing,
     "The list of DOS games cannot be generated because the Motiva file \"setup.cfg\" is missing."},
    {kIdsNoGamesFound, "No games found."},
    {kIdsErrorSaving, "Error saving %s configuration."},
    {kIdsErrorLoading, "Error loading %s configuration."},
    {kIdsIncorrectVersion, "Incorrect version for %s configuration."},
    {kIdsAppTitle, "Customizer Utility V4.71"},
    {kIdsChampionTitle, "Champion Customizer Utility V4.71"},
    {kIdsClickOnLoad, "Click on Load to load a configuration file."},
    {kIdsSensitivity, "Sensitivity"},
    {kIdsMaster, "Master"},
    {kIdsSlower, "Slower"},
    {kIdsNormal, "Normal"},
    {kIdsFaster, "Faster"},
    {kIdsOrientation, "Orientation"},
    {kIdsAdvanced, "Advanced"},
    {kIdsSelectGame, "Select Game"},
    {kIdsSaveSettings, "Save Settings"},
    {kIdsExit, "Exit"},
    {kIdsBasic, "Basic"},
    {kIdsFullFreedom, "Full Freedom"},
    {kIdsDefault, "Default"},
    {kIdsHorizontal, "Horizontal"},
    {kIdsVertical, "Vertical"},
    {kIdsButtonFunctions, "Button Functions..."},
    {kIdsGameTitle, "Game Title:"},
    {kIdsCancel, "Cancel"},
    {kIdsOk, "OK"},
    {kIdsSettingDefault, "Setting sensitivity to default value."},
    {kIdsChampionStatus, "Allows fine tuning to advanced users.\n"},
    {kIdsChooseFunctions, "Choose game functions for each button."},
    {kIdsSaveConfiguration, "Save configuration."},
    {kIdsChooseGame, "Choose a game to configure.\n"},
    {kIdsSaving, "Saving configuration."},
    {kIdsUpdating, "Updating configuration."},
    {kIdsLevelBasic, "Skill level is set to Basic.\n"},
    {kIdsLevelFullFreedom, "Skill level is set to Full Freedom.\n"},
    {kIdsOrientationHorizontal, "Orientation is set to Horizontal.\n"},
    {kIdsOrientationVertical, "Orientation is set to Vertical.\n"},
    {kIdsDescription,
     "This utility is used to change Tandrix options for individual games. Note that choices "
     "made here will replace choices previously made in the Launcher Menu, which updates ALL "
     "game configurations."},
    {kIdsApplySettings, "Apply Settings"},
    {kIdsWin95Buttons,
     "In Win95, all buttons are modified from within the game.  To modify the Tandrix button "
     "mappings in Win95 games, please use the setup/configuration utility for that game.  "
     "Configure the Tandrix as you would any other input device."},
    {kIdsDosGames, "DOS Games"},
    {kIdsWin95Games, "Windows 95 Games"},
    {kIdsCustomConfig, "Custom Configuration"},
    {kIdsChooseDosGame, "Choose the DOS game configuration to load:"},
    {kIdsGameTypeGroup, "Game Type"},
    {kIdsWindows95, "Windows 95"},
    {kIdsDos, "DOS"},
};
const ui::StringTableRegistration kRegistered(kStrings);

// The customizer's own dialogs are centred on the desktop; those of its
// Options menu (options_resources.cpp) are placed by their owner.
constexpr unsigned kCentred = ui::dlg::ModalFrame | ui::dlg::SysMenu | ui::dlg::Center;

}  // namespace

std::string FormatString(int id, std::string_view arg) {
  std::string text = ui::LoadString(id);
  if (const std::size_t at = text.find("%s"); at != std::string::npos) text.replace(at, 2, arg);
  return text;
}

const ui::MenuTemplate& MainMenuTemplate() {
  using I = ui::MenuItemTemplate;
  static const ui::MenuTemplate t{
      kIdrMainMenu,
      {I::Popup("&File", {I::Item("&Open...", kIdmFileOpen), I::Item("&Save", kIdmFileSave),
                          I::Item("&Apply", kIdmFileApply), I::Separator(),
                          I::Item("E&xit", kIdmFileExit)}),
       I::Popup("&Options", {I::Item("&Defaults...", kIdmOptionsDefaults),
                             I::Item("&Modes...", kIdmOptionsModes),
                             I::Item("&Joystick Settings...", kIdmOptionsJoystick)}),
       I::Popup("&Help", {I::Item("&Contents...", kIdmHelpContents)})}};
  return t;
}

// The texts here are placeholders: initialisation puts the string table's
// texts into every control.
const ui::DialogTemplate& CustomizerTemplate() {
  using namespace ui;
  static const DialogTemplate t = [] {
    DialogTemplate d = Dialog(kIddCustomizer, "Customizer", 292, 232, kCentred, {
        LText("Game Title:", kIdcTitleLabel, 7, 10, 44, 8),
        LText("", kIdcDisplayName, 53, 8, 152, 12, ctl::Sunken | ctl::NoPrefix),
        DefPushButton("Exit", IDOK, 217, 7, 68, 14, ctl::Group | ctl::TabStop),
        PushButton("Select Game", kIdcSelectGame, 217, 25, 68, 14, ctl::TabStop),
        PushButton("Save Settings", kIdcSave, 217, 43, 68, 14, ctl::TabStop),
        PushButton("Apply Settings", kIdcApply, 217, 61, 68, 14, ctl::TabStop),
        PushButton("Button Functions...", kIdcButtonFunctions, 217, 84, 68, 14, ctl::TabStop),
        GroupBox("Advanced", kIdcAdvancedGroup, 213, 104, 76, 34),
        PushButton("&Champion...", kIdcChampion, 217, 117, 68, 14, ctl::TabStop),
        GroupBox("Game Type", kIdcGameTypeGroup, 7, 24, 198, 24),
        LText("", kIdcGameType, 15, 35, 120, 8),
        GroupBox("Sensitivity", kIdcSensitivityGroup, 7, 52, 198, 66),
        CText("Master", kIdcMaster, 15, 62, 182, 8),
        TrackBar(kIdcSlider, 15, 71, 182, 16, ctl::AutoTicks | ctl::TabStop),
        LText("Slower", kIdcSlower, 15, 88, 50, 8),
        CText("Normal", kIdcNormal, 81, 88, 50, 8),
        RText("Faster", kIdcFaster, 147, 88, 50, 8),
        PushButton("Default", kIdcDefault, 81, 99, 50, 14, ctl::TabStop),
        GroupBox("Orientation", kIdcOrientationGroup, 7, 122, 96, 40),
        AutoRadioButton("Horizontal", kIdcHorizontal, 15, 134, 80, 10, ctl::Group | ctl::TabStop),
        AutoRadioButton("Vertical", kIdcVertical, 15, 147, 80, 10),
        GroupBox("Skill Level", IDC_STATIC, 109, 122, 96, 40, ctl::Group),
        AutoRadioButton("Basic", kIdcBasic, 117, 134, 80, 10, ctl::Group | ctl::TabStop),
        AutoRadioButton("Full Freedom", kIdcFullFreedom, 117, 147, 80, 10),
        AutoCheckBox("Show &Instructions when game runs", kIdcShowInstructions, 7, 168, 200, 10,
                     ctl::Group | ctl::TabStop),
        LText("", kIdcDescription, 7, 182, 278, 26),
        LText("", kIdcStatus, 7, 213, 278, 13, ctl::Sunken | ctl::NoPrefix),
    });
    d.menu = MainMenuTemplate();
    return d;
  }();
  return t;
}

const ui::DialogTemplate& ChampionInfoTemplate() {
  using namespace ui;
  static const DialogTemplate t = Dialog(kIddChampionInfo, "Champion", 230, 130, kCentred, {
      Icon(kIdiCustomizer, IDC_STATIC, 10, 10),
      LText("Tandrix Champion", IDC_STATIC, 40, 10, 180, 8),
      LText("The Champion edition is made for experienced players and tournament play. "
            "It adds:",
            IDC_STATIC, 40, 22, 182, 18),
      LText("- tournament configuration files,\n- tuning of each of the six axes on its own,\n"
            "- mapping any ball axis onto any game axis,\n- a curve-warping tool that shapes "
            "each axis's response.",
            IDC_STATIC, 46, 42, 176, 40),
      LText("Ask your Tandrix dealer for the Champion upgrade.", IDC_STATIC, 40, 88, 182, 8),
      DefPushButton("OK", IDOK, 90, 108, 50, 14, ctl::Group | ctl::TabStop),
  });
  return t;
}

const ui::DialogTemplate& GameTypeTemplate() {
  using namespace ui;
  static const DialogTemplate t = Dialog(kIddGameType, "", 160, 96, kCentred, {
      PushButton("DOS Games", kIdcDosGames, 30, 10, 100, 16, ctl::TabStop),
      PushButton("Windows 95 Games", kIdcWin95Games, 30, 30, 100, 16, ctl::TabStop),
      PushButton("Custom Configuration", kIdcCustomConfig, 30, 50, 100, 16,
                 ctl::TabStop | ctl::Disabled),
      PushButton("Cancel", IDCANCEL, 55, 74, 50, 14, ctl::TabStop),
  });
  return t;
}

const ui::DialogTemplate& WinGameListTemplate() {
  using namespace ui;
  static const DialogTemplate t =
      Dialog(kIddWinGameList, "Customizer Utility v4.71", 200, 160, kCentred, {
          LText("Choose the Windows 95 game configuration to load:", kIdcWinPrompt, 7, 7, 186, 8),
          ListBox(kIdcGameList, 7, 19, 186, 112, ctl::Notify | ctl::VScroll | ctl::TabStop),
          DefPushButton("&OK", IDOK, 43, 139, 50, 14, ctl::TabStop),
          PushButton("&Cancel", IDCANCEL, 107, 139, 50, 14, ctl::TabStop),
      });
  return t;
}

const ui::DialogTemplate& DosGameListTemplate() {
  using namespace ui;
  static const DialogTemplate t = Dialog(kIddDosGameList, "", 200, 160, kCentred, {
      LText("", kIdcDosPrompt, 7, 7, 186, 8),
      ListBox(kIdcGameList, 7, 19, 186, 112,
              ctl::Sorted | ctl::Notify | ctl::VScroll | ctl::TabStop),
      DefPushButton("OK", IDOK, 43, 139, 50, 14, ctl::TabStop),
      PushButton("Cancel", IDCANCEL, 107, 139, 50, 14, ctl::TabStop),
  });
  return t;
}

const ui::DialogTemplate& Win95ButtonsNoteTemplate() {
  using namespace ui;
  static const DialogTemplate t = Dialog(kIddWin95ButtonsNote, "", 220, 84, kCentred, {
      LText("", kIdcNoteText, 10, 10, 200, 48),
      DefPushButton("OK", IDOK, 85, 63, 50, 14, ctl::TabStop),
  });
  return t;
}
