// Numbers shared with the original platform: message box styles and
// results, check states, control notifications, window messages, help
// commands. System code writes IDOK, MB_ICONSTOP, WM_CLOSE ... as it always
// did; a native build takes the same names from the system headers, so each
// group is defined only when the system has not defined it already.
#pragma once

// Message box buttons, icons, default button and modality.
#ifndef MB_OK
#define MB_OK 0x00000000
#define MB_OKCANCEL 0x00000001
#define MB_ABORTRETRYIGNORE 0x00000002
#define MB_YESNOCANCEL 0x00000003
#define MB_YESNO 0x00000004
#define MB_RETRYCANCEL 0x00000005
#define MB_ICONHAND 0x00000010
#define MB_ICONQUESTION 0x00000020
#define MB_ICONEXCLAMATION 0x00000030
#define MB_ICONASTERISK 0x00000040
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_DEFBUTTON1 0x00000000
#define MB_DEFBUTTON2 0x00000100
#define MB_DEFBUTTON3 0x00000200
#define MB_APPLMODAL 0x00000000
#define MB_SYSTEMMODAL 0x00001000
#define MB_TASKMODAL 0x00002000
#define MB_TYPEMASK 0x0000000F
#define MB_ICONMASK 0x000000F0
#define MB_DEFMASK 0x00000F00
#define MB_MODEMASK 0x00003000
#endif

// Dialog results (also the ids of the standard buttons).
#ifndef IDOK
#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
#endif
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Check box states.
#ifndef BST_UNCHECKED
#define BST_UNCHECKED 0
#define BST_CHECKED 1
#define BST_INDETERMINATE 2
#endif

// Notification codes carried with a control's command.
#ifndef BN_CLICKED
#define BN_CLICKED 0
#define BN_DOUBLECLICKED 5
#endif
#ifndef STN_CLICKED
#define STN_CLICKED 0
#endif
#ifndef LBN_SELCHANGE
#define LBN_SELCHANGE 1
#define LBN_DBLCLK 2
#define LB_ERR (-1)
#endif
#ifndef CBN_SELCHANGE
#define CBN_SELCHANGE 1
#define CBN_EDITCHANGE 5
#define CB_ERR (-1)
#endif
#ifndef EN_CHANGE
#define EN_CHANGE 0x0300
#endif
// A track bar reports a move by the user with the code that ends a track.
#ifndef TB_ENDTRACK
#define TB_ENDTRACK 8
#endif

// Window messages the hidden windows and the tray use.
#ifndef WM_CREATE
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_COMMAND 0x0111
#define WM_TIMER 0x0113
#define WM_USER 0x0400
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_LBUTTONDBLCLK 0x0203
#define WM_RBUTTONDOWN 0x0204
#define WM_RBUTTONUP 0x0205
#define WM_MBUTTONDOWN 0x0207
#endif

// Tray icon operations and fields.
#ifndef NIM_ADD
#define NIM_ADD 0x00000000
#define NIM_MODIFY 0x00000001
#define NIM_DELETE 0x00000002
#define NIF_MESSAGE 0x00000001
#define NIF_ICON 0x00000002
#define NIF_TIP 0x00000004
#endif

// Popup menu tracking and menu changes.
#ifndef TPM_RIGHTALIGN
#define TPM_LEFTALIGN 0x0000
#define TPM_RIGHTBUTTON 0x0002
#define TPM_RIGHTALIGN 0x0008
#endif
#ifndef MF_BYPOSITION
#define MF_BYCOMMAND 0x00000000
#define MF_STRING 0x00000000
#define MF_BYPOSITION 0x00000400
#define MF_SEPARATOR 0x00000800
#endif

// Help commands.
#ifndef HELP_CONTEXT
#define HELP_CONTEXT 0x0001
#define HELP_QUIT 0x0002
#define HELP_CONTENTS 0x0003
#define HELP_INDEX 0x0003
#define HELP_FINDER 0x000B
#endif

// Activation, as another program asks for it (window_search.h).
#ifndef WM_ACTIVATE
#define WM_ACTIVATE 0x0006
#define WM_SETFOCUS 0x0007
#endif

// System menu commands.
#ifndef SC_CLOSE
#define WM_SYSCOMMAND 0x0112
#define SC_CLOSE 0xF060
#endif

// Open-file dialog options.
#ifndef OFN_READONLY
#define OFN_READONLY 0x00000001
#define OFN_OVERWRITEPROMPT 0x00000002
#define OFN_HIDEREADONLY 0x00000004
#define OFN_NOCHANGEDIR 0x00000008
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000
#endif

// Show commands.
#ifndef SW_HIDE
#define SW_HIDE 0
#define SW_SHOW 5
#endif

