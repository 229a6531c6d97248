#include "customizer/app/options_dialogs.h"

CJoystickSettingsDlg::CJoystickSettingsDlg(ui::CDialog* parent) : parent_(parent) {}

// Not built yet: nothing is shown and nothing changed.
int CJoystickSettingsDlg::DoModal() { return IDCANCEL; }
