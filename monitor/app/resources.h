// The monitor's resources: icons, pictures, the tray menu and the three
// dialog templates, under the numbers the rest of the system knows them by.
#pragma once

#include <string_view>

#include "ui/menu.h"
#include "ui/template.h"

// The hidden window's class name and title; other starts find the running
// monitor by it.
inline constexpr std::string_view kMonitorClass = "Tandrix Monitor";

// Icons.
inline constexpr int kIdiNormal = 104;     // tray, About box, the program's own
inline constexpr int kIdiSuspended = 139;  // tray while suspended

// Pictures of the instructions dialog (97 by 72 pixels).
inline constexpr int kIdbVertical = 133;      // any orientation but horizontal
inline constexpr int kIdbIntermediate = 134;  // level "intermediate"
inline constexpr int kIdbExpert = 135;        // any other level
inline constexpr int kIdbHorizontal = 136;    // orientation "horizontal"
inline constexpr int kIdbBeginner = 137;      // level "beginner"

// The tray menu and its commands.
inline constexpr int kIdrTrayMenu = 106;
inline constexpr int kIdmSuspend = 40007;  // "&Suspend" / "&Resume"
inline constexpr int kIdmExit = 40009;
inline constexpr int kIdmCustomize = 40012;
inline constexpr int kIdmAbout = 40014;
// Position of Suspend/Resume in the tray menu; its text is changed there.
inline constexpr int kSuspendPosition = 3;

// The tray icon: the program's number for it and the message its mouse
// events arrive with.
inline constexpr unsigned kTrayIconId = 0;
inline constexpr unsigned kTrayCallbackMessage = 666;

// Dialogs (107 and 144 are in monitor/host.h).
inline constexpr int kIddAbout = 145;

// Controls.
inline constexpr int kIdcShowCheck = 1000;     // check box of 107 and 144
inline constexpr int kIdcInstructions = 1006;  // instructions text of 107
inline constexpr int kIdcLevelName = 1011;
inline constexpr int kIdcOrientationName = 1012;

// Where the instructions dialog paints its pictures, in pixels.
inline constexpr ui::Point kLevelPicturePos{10, 40};
inline constexpr ui::Point kOrientationPicturePos{215, 40};

// The version line of the About box.
inline constexpr std::string_view kAboutVersionLine = "Tandrix Game Monitor v4.71.";

const ui::MenuTemplate& TrayMenuTemplate();
const ui::DialogTemplate& InstructionsTemplate();
const ui::DialogTemplate& JoystickPromptTemplate();
const ui::DialogTemplate& AboutTemplate();
