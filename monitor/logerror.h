// The monitor's error log: error.log in the working directory.
#pragma once

#include <string_view>

class MonitorHost;

// Appends "Win95: <string><detail>: <local time>" to error.log; with
// showBox also shows the message in an error box (through host). Nothing is
// written when the log cannot be opened.
void LogError(int stringId, std::string_view detail, bool showBox, MonitorHost* host = nullptr);

// Appends a message box text to error.log as one line of its own, its line
// breaks turned into blanks: what a host without a display does instead of
// showing a box.
void LogMessageText(std::string_view text);
