// Paths the build hands to the test programs (see tests/CMakeLists.txt for the definitions), and
// what end-to-end tests share.
#pragma once

#include <windows.h>

#include <cstdio>
#include <initializer_list>
#include <string>
#include <utility>

// Full Windows path of a helper program built by trovel_add_helper, e.g. TROVEL_HELPER("trovel_close").
#define TROVEL_HELPER(name) TROVEL_TEST_BIN_DIR name ".exe"

// Bytes as hex digits: how a helper gets text of any script through an ANSI command line.
inline std::string HexOf(const std::string& bytes)
{
    std::string hex;
    char digits[3];
    for (unsigned char c : bytes) {
        std::snprintf(digits, sizeof(digits), "%02x", c);
        hex += digits;
    }
    return hex;
}

// Keys through SendInput, as a user types them: each a virtual key and whether it goes down.
inline void SendKeys(std::initializer_list<std::pair<WORD, bool>> keys)
{
    for (const auto& key : keys) {
        INPUT in = {};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = key.first;
        in.ki.dwFlags = key.second ? 0 : KEYEVENTF_KEYUP;
        ::SendInput(1, &in, sizeof(in));
        ::Sleep(30);
    }
}

// Whether this program could take Trovel's key, Ctrl+G, now, as any other program would try.
inline bool KeyFreeForOthers()
{
    if (!::RegisterHotKey(nullptr, 0x4747, MOD_CONTROL, 'G'))
        return false;
    ::UnregisterHotKey(nullptr, 0x4747);
    return true;
}

// The menu window showing now (the system keeps hidden ones of the same class), of that process or,
// with 0, of any.
inline HWND VisibleMenuOf(DWORD dwProcessId = 0)
{
    for (HWND hWnd = nullptr; (hWnd = ::FindWindowExW(nullptr, hWnd, L"#32768", nullptr)) != nullptr;) {
        DWORD dwOwner = 0;
        ::GetWindowThreadProcessId(hWnd, &dwOwner);
        if (::IsWindowVisible(hWnd) && (dwProcessId == 0 || dwOwner == dwProcessId))
            return hWnd;
    }
    return nullptr;
}

// What Wine 8 in the test environment does, measured, for end-to-end tests:
// - Tray: Shell_NotifyIconA(NIM_ADD) succeeds without an X system tray. Each icon is a window of
//   class "__winex11_tray_icon", child of the "__winex11_standalone_tray" window ("Wine System Tray"),
//   both owned by explorer.exe, not by the icon's process. Mouse messages posted to an icon window reach
//   the owner as its callback message (lParam = WM_LBUTTONDOWN...). Any process can test an icon with
//   NIM_MODIFY, uFlags 0, the owner's hWnd and uID: TRUE only while it exists. A killed owner's icon goes.
// - Notepad: WM_COMMAND 0x103 posted to it opens a real Save As dialog: class "#32770", title
//   "Save As", owner "Untitled - Notepad". The file-name field is id 0x47C (cmb13), a ComboBoxEx32
//   with an Edit (also 0x47C) inside; there is no 0x480 (edt1). WM_GETTEXT/WM_SETTEXT from another
//   process work on the ComboBoxEx32 (not on the ComboBox between them). IDOK with a folder in the
//   field moves the dialog there; with a file name it saves.
// - WinHelpA(HELP_CONTEXT) on a missing .HLP starts winhlp32.exe, which shows a "#32770" box titled
//   "ERROR": "Cannot find '<path>'. Do you want to find this file yourself?" (Yes 6 / No 7). WinHelpA
//   blocks the calling thread (posted messages wait) until the box is answered; after No it returns
//   TRUE and winhlp32 ends.
