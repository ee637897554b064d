// What the end-to-end tests share beside ChildProcess and WaitUntil: the program's settings key, its
// close message, and the texts of other programs' windows.
#pragma once

#include "fw/TextConv.h"
#include "tests/support/RegistryDump.h"

#include <windows.h>

#include <string>

// Both flavours keep the machine key in its 32-bit view; the 64-bit one sees it below WOW6432Node.
constexpr const char* kRoot = "Software\\WOW6432Node\\Larkfield Software\\Trovel";
constexpr UINT kAppClose = WM_APP + 0x20;

// A text value under the settings key, stored exactly as UTF-16.
inline bool SetValue(const std::string& subKey, const char* pszName, const std::string& text)
{
    const std::wstring wide = Utf8ToWide(text) + L'\0';
    return WriteRawValue(HKEY_LOCAL_MACHINE, std::string(kRoot) + "\\" + subKey, pszName,
                         std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t)), REG_SZ,
                         true);
}

// Another program's window text, asked as the program would be (up to 2,047 characters).
inline std::string TextOf(HWND hWnd)
{
    wchar_t text[2048] = {};
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(hWnd, WM_GETTEXT, 2048, (LPARAM)text, SMTO_NORMAL, 5000, &result);
    return WideToUtf8(text);
}

inline void SetTextOf(HWND hWnd, const std::string& text)
{
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(hWnd, WM_SETTEXT, 0, (LPARAM)Utf8ToWide(text).c_str(), SMTO_NORMAL, 5000, &result);
}

inline std::string NotepadPath()
{
    wchar_t szWindows[MAX_PATH];
    ::GetWindowsDirectoryW(szWindows, MAX_PATH);
    return WideToUtf8(szWindows) + "\\notepad.exe";
}

// What a message box says: its static texts, together.
inline std::string BoxText(HWND hBox)
{
    std::string told;
    for (HWND h = nullptr; (h = ::FindWindowExW(hBox, h, L"Static", nullptr)) != nullptr;)
        told += AfxGetWindowText(h);
    return told;
}
