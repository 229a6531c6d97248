#include "customizer/app/options_dialogs.h"

CModesDlg::CModesDlg(CGameSettings* settings, ui::CDialog* parent)
    : settings_(settings), parent_(parent) {}

// Not built yet: nothing is shown and nothing changed.
int CModesDlg::DoModal() { return IDCANCEL; }
