#include "monitor/strings.h"

#include "ui/strings.h"

namespace {

constexpr ui::StringResource kStrings[] = {
    {kIdsTrayTip, "Tandrix Monitor"},
    {kIdsGameSetUp,
     "This game had to be set up for the Tandrix.\nThe necessary updates have now been "
     "made.\n\nYou must now restart the game to play with \nthe Tandrix."},
    {kIdsTandrix, "Tandrix"},
    {kIdsDriverFailed, "Driver failed to load configuration file "},
    {kIdsNotSelected, "Tandrix not selected as the Joystick"},
    {kIdsErrorCaption, "Tandrix Error"},
    {kIdsNoInstructions, "There are no special instructions for this game."},
    {kIdsQuakeBatch,
     "Your Q95.BAT file had to be modified to add Tandrix support to it.\nYou will now have "
     "to restart Quake by re-running Q95.BAT."},
    {kIdsEntryRefused, "Game file entry not applied: "},
};

// Here, beside MonitorString, which every user of the monitor calls: the
// linker keeps this file and with it the registration.
const ui::StringTableRegistration kRegistered(kStrings);

}  // namespace

std::string_view MonitorString(int id) { return ui::ProgramStrings().Find(id); }
