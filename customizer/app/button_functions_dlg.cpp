#include "customizer/app/options_dialogs.h"

CButtonFunctionsDlg::CButtonFunctionsDlg(std::string displayName, CGameSettings& settings,
                                         ui::CDialog* parent)
    : displayName_(std::move(displayName)), settings_(settings), parent_(parent) {}

// Not built yet: nothing is shown and nothing stored.
int CButtonFunctionsDlg::DoModal() { return IDCANCEL; }
