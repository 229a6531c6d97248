// The Win32 API for the Windows front end, with the common controls and
// the common dialogs, and without the A/W macros whose names are also the
// names of our own methods (CDialog::SetWindowText, Menu::AppendMenu,
// ui::LoadString ...). Front-end files include this before any ui header
// and call the A functions by their full names.
#pragma once

#include "platform/win32/windows_api.h"

#include <commctrl.h>
#include <commdlg.h>

#undef SetWindowText
#undef GetWindowText
#undef GetWindowTextLength
#undef SetDlgItemText
#undef GetDlgItemText
#undef AppendMenu
#undef InsertMenu
#undef ModifyMenu
#undef TrackPopupMenu
#undef GetOpenFileName
#undef GetSaveFileName
#undef DefWindowProc
#undef RegisterClass
#undef RegisterClassEx
#undef CreateWindowEx
#undef WinHelp
#undef CreateDialogIndirectParam
#undef DialogBoxIndirectParam
#undef IsDialogMessage
#undef Shell_NotifyIcon
#undef ShellExecute
#undef LoadCursor
#undef SendMessageTimeout
#undef CharUpper
