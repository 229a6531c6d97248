#include <string>

#include "monitor/app/dialogs.h"
#include "monitor/app/resources.h"
#include "monitor/strings.h"
#include "monitor/watcher.h"
#include "platform/dospath.h"
#include "platform/profile.h"

namespace {

// Values read from a configuration keep at most 79 characters.
constexpr std::size_t kTokenBuffer = 80;

// The first paint of any instructions dialog in the life of the monitor
// also takes the focus, as the dialog may have opened behind a game.
bool g_firstPaintDone = false;

std::string GameSection(int position) { return "Game" + std::to_string(position + 1); }

}  // namespace

std::string ReadGameInstructions(int position) {
  const std::string section = GameSection(position);
  const std::string games = GamesIniPath();
  std::string text;
  for (int n = 1;; ++n) {
    std::string line = platform::GetPrivateProfileString(section, "Inst" + std::to_string(n), "",
                                                         kInstructionBuffer, games);
    if (line.empty()) break;
    text += line;
    text += "\r\n";
  }
  return text;
}

CInstructionsDlg::CInstructionsDlg(MonitorState& state, int position)
    : CDialog(InstructionsTemplate()), state_(state), position_(position) {
  OnCommandId(kIdcShowCheck, [this] { OnShowClicked(); });
}

bool CInstructionsDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  if (position_ < 0 || static_cast<std::size_t>(position_) >= state_.games.size()) return true;
  entry_ = state_.games.entries[static_cast<std::size_t>(position_)];

  SetFocus();
  SetDlgItemText(kIdcInstructions, MonitorString(kIdsNoInstructions));
  SetWindowText(std::string(MonitorString(kIdsTandrix)) + " - " + entry_->title);

  std::string level;
  if (!ReadConfigToken(state_, "LEVEL", level, kTokenBuffer, entry_->configName)) {
    EndDialog(IDCANCEL);
    return true;
  }
  const char* levelName = "Champion";
  levelBitmap_ = kIdbExpert;
  if (platform::EqualsNoCase(level, "beginner")) {
    levelName = "Basic";
    levelBitmap_ = kIdbBeginner;
  } else if (platform::EqualsNoCase(level, "intermediate")) {
    levelName = "Full Freedom";
    levelBitmap_ = kIdbIntermediate;
  }
  SetDlgItemText(kIdcLevelName, levelName);

  std::string orientation;
  if (!ReadConfigToken(state_, "ORIENTATION", orientation, kTokenBuffer, entry_->configName)) {
    EndDialog(IDCANCEL);
    return true;
  }
  const char* orientationName = "Custom";
  orientationBitmap_ = kIdbVertical;
  if (platform::EqualsNoCase(orientation, "horizontal")) {
    orientationName = "Horizontal";
    orientationBitmap_ = kIdbHorizontal;
  } else if (platform::EqualsNoCase(orientation, "vertical")) {
    orientationName = "Vertical";
  }
  SetDlgItemText(kIdcOrientationName, orientationName);

  // NewGame may hold anything a hand-edited file gives it; the box knows
  // three states only, and any other value stands for "not decided".
  int check = entry_->newGame;
  if (check != BST_UNCHECKED && check != BST_CHECKED) check = BST_INDETERMINATE;
  CheckDlgButton(kIdcShowCheck, check);

  const std::string instructions = ReadGameInstructions(position_);
  if (!instructions.empty()) SetDlgItemText(kIdcInstructions, instructions);
  return true;
}

void CInstructionsDlg::OnPaint(ui::PaintContext& dc) {
  if (levelBitmap_ != 0) dc.DrawBitmap(levelBitmap_, kLevelPicturePos.x, kLevelPicturePos.y);
  if (orientationBitmap_ != 0) {
    dc.DrawBitmap(orientationBitmap_, kOrientationPicturePos.x, kOrientationPicturePos.y);
  }
  if (!g_firstPaintDone) {
    g_firstPaintDone = true;
    SetFocus();
  }
}

void CInstructionsDlg::OnShowClicked() {
  if (!entry_) return;
  entry_->newGame = IsDlgButtonChecked(kIdcShowCheck);
  // A failed write leaves the file as it was; the dialog carries on.
  platform::WritePrivateProfileString(GameSection(position_), "NewGame",
                                      std::to_string(entry_->newGame), GamesIniPath());
}

void CInstructionsDlg::OnOK() { EndDialog(IDCANCEL); }

void CInstructionsDlg::OnCancel() { EndDialog(IDCANCEL); }
