// The Win32 API for the Windows host files, without the A/W macros whose
// names are also the names of our own functions and methods
// (platform::CopyFile, DriverPort::CreateFile, CDialog::MessageBox ...).
// Win32 files include this instead of <windows.h> and call the A functions
// by their full names.
#pragma once

#include <windows.h>
#include <tlhelp32.h>
#include <mmsystem.h>
#include <shellapi.h>

#undef CopyFile
#undef CreateDirectory
#undef CreateFile
#undef DeleteFile
#undef GetCurrentDirectory
#undef GetPrivateProfileInt
#undef GetPrivateProfileString
#undef MoveFile
#undef SetCurrentDirectory
#undef WritePrivateProfileString
#undef FindWindow
#undef MessageBox
#undef LoadString
#undef GetObject
#undef DrawText
#undef CreateWindow
#undef CreateDialog
#undef PostMessage
#undef SendMessage
#undef DialogBox
#undef LoadIcon
#undef LoadMenu
#undef GetMessage
#undef DispatchMessage
#undef ERROR
#undef DELETE
#undef IGNORE
#undef OPTIONAL
#undef IN
#undef OUT
