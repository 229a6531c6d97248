// The customizer's resources: its icon, the main dialog's menu, the dialog
// templates and the string table, under the numbers the rest of the system
// knows them by.
#pragma once

#include <string>
#include <string_view>

#include "ui/menu.h"
#include "ui/template.h"

// Icon.
inline constexpr int kIdiCustomizer = 128;

// Dialogs.
inline constexpr int kIddDosGameList = 149;
inline constexpr int kIddGameType = 152;
inline constexpr int kIddCustomizer = 154;
inline constexpr int kIddChampionInfo = 155;
inline constexpr int kIddWin95ButtonsNote = 156;
inline constexpr int kIddWinGameList = 159;

// The main dialog's menu and its commands.
inline constexpr int kIdrMainMenu = 171;
inline constexpr int kIdmFileOpen = 57601;
inline constexpr int kIdmFileSave = 57603;
inline constexpr int kIdmFileApply = 32773;
inline constexpr int kIdmFileExit = 32774;
inline constexpr int kIdmOptionsDefaults = 32775;
inline constexpr int kIdmOptionsModes = 32776;
inline constexpr int kIdmOptionsJoystick = 32777;
inline constexpr int kIdmHelpContents = 32778;

// Controls of the main dialog (154). Exit is IDOK (1).
inline constexpr int kIdcApply = 9;
inline constexpr int kIdcChampion = 10;
inline constexpr int kIdcSelectGame = 12;
inline constexpr int kIdcSave = 5;
inline constexpr int kIdcBasic = 1015;
inline constexpr int kIdcFullFreedom = 1016;
inline constexpr int kIdcVertical = 1018;
inline constexpr int kIdcHorizontal = 1019;
inline constexpr int kIdcSlider = 1020;
inline constexpr int kIdcDefault = 1021;
inline constexpr int kIdcDisplayName = 1022;
inline constexpr int kIdcButtonFunctions = 1023;
inline constexpr int kIdcStatus = 1031;
inline constexpr int kIdcSensitivityGroup = 1047;
inline constexpr int kIdcMaster = 1048;
inline constexpr int kIdcSlower = 1049;
inline constexpr int kIdcNormal = 1050;
inline constexpr int kIdcFaster = 1051;
inline constexpr int kIdcTitleLabel = 1053;
inline constexpr int kIdcOrientationGroup = 1054;
inline constexpr int kIdcAdvancedGroup = 1055;
inline constexpr int kIdcDescription = 1056;
inline constexpr int kIdcGameTypeGroup = 1069;
inline constexpr int kIdcGameType = 1070;
inline constexpr int kIdcShowInstructions = 1097;

// The game type dialog (152): its three choices.
inline constexpr int kIdcDosGames = 1039;
inline constexpr int kIdcWin95Games = 1040;
inline constexpr int kIdcCustomConfig = 1041;
// The game lists (149, 159) and the Windows 95 note (156).
inline constexpr int kIdcGameList = 1037;
inline constexpr int kIdcDosPrompt = 1067;
inline constexpr int kIdcWinPrompt = 1068;
inline constexpr int kIdcNoteText = 1066;

// Strings.
inline constexpr int kIdsNone = 61215;
inline constexpr int kIdsModifyOrLoad = 61216;
inline constexpr int kIdsLoadOrNew = 61217;
inline constexpr int kIdsSaveChanges = 61218;      // %s: display name
inline constexpr int kIdsChooseGameFirst = 61224;
inline constexpr int kIdsSetupCfgMissing = 61226;
inline constexpr int kIdsNoGamesFound = 61232;
inline constexpr int kIdsErrorSaving = 61235;      // %s
inline constexpr int kIdsErrorLoading = 61236;     // %s
inline constexpr int kIdsIncorrectVersion = 61237; // %s
inline constexpr int kIdsAppTitle = 61238;
inline constexpr int kIdsChampionTitle = 61239;
inline constexpr int kIdsClickOnLoad = 61240;
inline constexpr int kIdsSensitivity = 61248;
inline constexpr int kIdsMaster = 61249;
inline constexpr int kIdsSlower = 61250;
inline constexpr int kIdsNormal = 61251;
inline constexpr int kIdsFaster = 61252;
inline constexpr int kIdsOrientation = 61253;
inline constexpr int kIdsAdvanced = 61254;
inline constexpr int kIdsSelectGame = 61255;
inline constexpr int kIdsSaveSettings = 61256;
inline constexpr int kIdsExit = 61257;
inline constexpr int kIdsBasic = 61259;
inline constexpr int kIdsFullFreedom = 61260;
inline constexpr int kIdsDefault = 61262;
inline constexpr int kIdsHorizontal = 61264;
inline constexpr int kIdsVertical = 61265;
inline constexpr int kIdsButtonFunctions = 61269;
inline constexpr int kIdsGameTitle = 61270;
inline constexpr int kIdsCancel = 61276;
inline constexpr int kIdsOk = 61278;
inline constexpr int kIdsSettingDefault = 61279;
inline constexpr int kIdsChampionStatus = 61281;
inline constexpr int kIdsChooseFunctions = 61283;
inline constexpr int kIdsSaveConfiguration = 61284;
inline constexpr int kIdsChooseGame = 61286;
inline constexpr int kIdsSaving = 61287;
inline constexpr int kIdsUpdating = 61288;
inline constexpr int kIdsLevelBasic = 61289;
inline constexpr int kIdsLevelFullFreedom = 61290;
inline constexpr int kIdsOrientationHorizontal = 61292;
inline constexpr int kIdsOrientationVertical = 61293;
inline constexpr int kIdsDescription = 61296;
inline constexpr int kIdsApplySettings = 61304;
inline constexpr int kIdsWin95Buttons = 61305;
inline constexpr int kIdsDosGames = 61306;
inline constexpr int kIdsWin95Games = 61307;
inline constexpr int kIdsCustomConfig = 61308;
inline constexpr int kIdsChooseDosGame = 61309;
inline constexpr int kIdsGameTypeGroup = 61312;
inline constexpr int kIdsWindows95 = 61313;
inline constexpr int kIdsDos = 61314;

// The help file beside the program, and the topic the main dialog opens.
inline constexpr std::string_view kHelpFile = "tndrx47.hlp";
inline constexpr unsigned long kHelpContext = 10;

// A string with its one "%s" replaced by arg.
std::string FormatString(int id, std::string_view arg);

const ui::MenuTemplate& MainMenuTemplate();
const ui::DialogTemplate& CustomizerTemplate();
const ui::DialogTemplate& ChampionInfoTemplate();
const ui::DialogTemplate& GameTypeTemplate();
const ui::DialogTemplate& WinGameListTemplate();
const ui::DialogTemplate& DosGameListTemplate();
const ui::DialogTemplate& Win95ButtonsNoteTemplate();
