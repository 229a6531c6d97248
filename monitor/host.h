// What the monitor engine needs from the program around it: the watch
// timer, the modal dialogs a tick may open, message boxes, the help viewer
// and the hidden window.
//
// The Tandmon program implements this with real windows; tests use a
// recording fake. A host without a display answers at once instead of
// waiting for a user: the joystick prompt as Cancel (kIdNo), the
// instructions as closed, and a message box by logging its text with
// LogMessageText (watcher.h).
#pragma once

#include <string_view>

#include "ui/win_constants.h"

struct MonitorState;

// Message box styles and results, and the help command, under the names the
// engine uses; the numbers are the system's, from ui/win_constants.h.
inline constexpr unsigned kMbOk = MB_OK;
inline constexpr unsigned kMbIconStop = MB_ICONSTOP;
inline constexpr unsigned kMbSystemModal = MB_SYSTEMMODAL;
inline constexpr int kIdOk = IDOK;
inline constexpr int kIdCancel = IDCANCEL;
inline constexpr int kIdYes = IDYES;
inline constexpr int kIdNo = IDNO;

// Help viewer command: open a help file at its contents.
inline constexpr unsigned kHelpContents = HELP_CONTENTS;

// Dialog resources a tick opens.
inline constexpr int kIddInstructions = 107;
inline constexpr int kIddJoystickPrompt = 144;

// Sent to the running monitor's hidden window by other programs (tandrix
// status): answered with 1 while the monitor is suspended, else 0.
inline constexpr unsigned kMonitorStateQuery = WM_USER + 1;

// The watch timer: requested id 1, every 3000 ms, no window.
inline constexpr unsigned kWatchTimerRequestId = 1;
inline constexpr unsigned kWatchTimerMs = 3000;

class MonitorHost {
 public:
  virtual ~MonitorHost() = default;

  // Stops the watch timer with the id the system gave it.
  virtual void KillWatchTimer(unsigned timerId) = 0;
  // Sets the watch timer again (id 1, 3000 ms, the tick as callback) and
  // returns the id the system chose.
  virtual unsigned SetWatchTimer() = 0;

  // The instructions dialog 107 for the game at this position of the game
  // list, modal; returns its end code (2).
  virtual int ShowInstructions(MonitorState& state, int position) = 0;
  // The same dialog, offered by a tick: a host with a message loop shows it
  // once the tick has returned, so the watch goes on while it is open (the
  // game may end behind it). At most one is open; a newer one replaces it.
  virtual void OfferInstructions(MonitorState& state, int position) {
    ShowInstructions(state, position);
  }
  // The joystick prompt 144, modal: kIdYes (6) for OK, kIdNo (7) for Cancel.
  // Its check box may change state.showJoystick and Tandmon.ini.
  virtual int ShowJoystickPrompt(MonitorState& state) = 0;

  // A message box without owner. textId names the string shown (so a host
  // without a display can tell the restart messages apart); style holds the
  // kMb* flags. Returns the button chosen.
  virtual int ShowMessage(int textId, std::string_view text, std::string_view caption,
                          unsigned style) = 0;

  // Opens a help file with a help command (kHelpContents).
  virtual void LaunchHelp(std::string_view file, unsigned command) = 0;

  // Gives the hidden window the focus, before a prompt.
  virtual void FocusHiddenWindow() = 0;
  // The hidden window's handle, for the joystick control panel.
  virtual void* HiddenWindow() = 0;
};
