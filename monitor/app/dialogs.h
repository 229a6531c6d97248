// The monitor's three modal dialogs: a game's instructions (107), the
// prompt shown when the Tandrix is not the selected joystick (144), and the
// About box (145).
#pragma once

#include <memory>
#include <string>

#include "monitor/gamelist.h"
#include "monitor/monitor_state.h"
#include "ui/dialog.h"

// Shows the level, the orientation and the special instructions of the game
// at a position of the game list. Ends with IDCANCEL (2), also at once when
// the game's configuration cannot be opened.
class CInstructionsDlg : public ui::CDialog {
 public:
  CInstructionsDlg(MonitorState& state, int position);

  int LevelBitmap() const { return levelBitmap_; }
  int OrientationBitmap() const { return orientationBitmap_; }

 protected:
  bool OnInitDialog() override;
  void OnPaint(ui::PaintContext& dc) override;
  void OnOK() override;
  void OnCancel() override;

 private:
  void OnShowClicked();

  MonitorState& state_;
  int position_;
  // Held so the entry stays valid whatever happens to the list meanwhile.
  std::shared_ptr<GameEntry> entry_;
  int levelBitmap_ = 0;
  int orientationBitmap_ = 0;
};

// The Tandrix is not the selected joystick: offers the joystick settings.
// Ends with IDYES (6) for OK and IDNO (7) for Cancel; its check box writes
// ShowJoystick to the settings file at once.
class CJoystickPromptDlg : public ui::CDialog {
 public:
  explicit CJoystickPromptDlg(MonitorState& state);

 protected:
  bool OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;

 private:
  void OnShowClicked();

  MonitorState& state_;
};

// Ends with IDYES (6) and clears aboutOpen.
class CAboutDlg : public ui::CDialog {
 public:
  explicit CAboutDlg(MonitorState& state);

 protected:
  bool OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;

 private:
  MonitorState& state_;
};

// The instructions of section Game<position + 1> of games.ini (Inst1, Inst2
// ... up to the first empty one), each followed by CR LF; empty when there
// are none.
std::string ReadGameInstructions(int position);
