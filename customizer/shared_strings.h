// The customizer's four program-wide strings: its title and the three
// folders it works in. Start-up sets them once; everything else reads them.
#pragma once

#include <string>
#include <string_view>

// The caption of every customizer dialog and message box.
inline constexpr std::string_view kCustomizerTitle = "Customizer Utility V4.71";
// Under this title a running customizer of the other edition is found.
inline constexpr std::string_view kChampionCustomizerTitle = "Champion Customizer Utility V4.71";

const std::string& AppTitle();
void SetAppTitle(std::string_view title);
// The current directory at start-up, "." when it could not be read.
const std::string& StartDirectory();
void SetStartDirectory(std::string_view dir);
// The DOS software's folder (or ".") followed by "\games" and "\support".
const std::string& GamesDirectory();
void SetGamesDirectory(std::string_view dir);
const std::string& SupportDirectory();
void SetSupportDirectory(std::string_view dir);

// Sets all four as start-up does: the title as given, the current
// directory, and the games and support folders below the DOS install
// directory of the registry ("." when it has none).
void InitSharedStrings(std::string_view appTitle);
