// svcsetup's resources: the main dialog, the About box, the picture and the
// icon, under the numbers the rest of the system knows them by.
#pragma once

#include <string_view>

#include "ui/template.h"

// Dialogs.
inline constexpr int kIddAboutBox = 100;
inline constexpr int kIddServiceSetup = 102;

// Pictures and icons.
inline constexpr int kIdrMainFrame = 128;  // the program's icon
inline constexpr int kIdbDevice = 146;     // the Tandrix, 96 by 68 pixels, 256 colours

// Controls of the main dialog.
inline constexpr int kIdcDuke = 1002;      // first of the radio group
inline constexpr int kIdcQuake = 1003;
inline constexpr int kIdcDescent = 1004;
inline constexpr int kIdcGamePath = 1005;
inline constexpr int kIdcBrowse = 1006;
inline constexpr int kIdcPicture = 1007;
inline constexpr int kIdcHelp = 1008;
inline constexpr int kIdcServiceName = 1009;
inline constexpr int kIdcSteps = 1010;

// The system menu's command for the About box.
inline constexpr int kIdmAboutBox = 16;

// The help file, beside the program, and the topic of this dialog.
inline constexpr std::string_view kHelpFile = "tndrx47.hlp";
inline constexpr unsigned long kHelpContext = 36;

// The caption of OK's messages.
inline constexpr std::string_view kSetupCaption = "Tandrix Game Service Setup";

const ui::DialogTemplate& ServiceSetupTemplate();
const ui::DialogTemplate& AboutBoxTemplate();
