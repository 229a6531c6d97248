#include "monitor/strings.h"

namespace {

struct StringResource {
  int id;
  std::string_view text;
};

constexpr StringResource kStrings[] = {
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

}  // namespace

std::string_view MonitorString(int id) {
  for (const auto& s : kStrings) {
    if (s.id == id) return s.text;
  }
  return {};
}
