#include "customizer/app/options_dialogs.h"

CDefaultJoystickDlg::CDefaultJoystickDlg(ui::CDialog* parent) : parent_(parent) {}

// Not built yet: nothing is shown and nothing changed.
int CDefaultJoystickDlg::DoModal() { return IDCANCEL; }
