// What the demo programs share: starting Trovel and other programs, and waiting for their windows.
#pragma once

#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>

namespace demo {

const char kTrovelRoot[] = "Software\\Larkfield Software\\Trovel";
const UINT kAppClose = WM_APP + 0x20;

inline bool WaitUntil(const std::function<bool()>& done, DWORD limit = 20000)
{
    for (DWORD start = ::GetTickCount(); !done(); ::Sleep(50)) {
        if (::GetTickCount() - start > limit)
            return false;
    }
    return true;
}

// A top-level window of the process; Trovel's own frame is never visible, so visibility is asked for.
inline HWND TopWindowOf(DWORD pid, const char* pszClass, const char* pszTitle, bool bVisibleOnly = false)
{
    for (HWND hWnd = nullptr; (hWnd = ::FindWindowExA(nullptr, hWnd, pszClass, pszTitle)) != nullptr;) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(hWnd, &owner);
        if (owner == pid && (!bVisibleOnly || ::IsWindowVisible(hWnd)))
            return hWnd;
    }
    return nullptr;
}

inline bool Start(const std::string& exe, PROCESS_INFORMATION& pi, const char* pszDir = nullptr,
                  const std::string& args = "")
{
    std::string commandLine = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    return ::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, pszDir, &si, &pi) != FALSE;
}

// Trovel's frame and its view, once the program is up.
inline bool WaitForTrovel(const PROCESS_INFORMATION& trovel, HWND& hFrame, HWND& hView)
{
    return WaitUntil([&] { return (hFrame = TopWindowOf(trovel.dwProcessId, nullptr, "Trovel")) != nullptr; }) &&
           WaitUntil([&] { return (hView = ::FindWindowExA(hFrame, nullptr, "#32770", nullptr)) != nullptr; });
}

// Without a window manager on the display, Wine draws the title bars itself only for unmanaged windows.
inline void UseUnmanagedWindows()
{
    HKEY hX11 = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", 0, nullptr, 0, KEY_WRITE, nullptr, &hX11,
                          nullptr) == ERROR_SUCCESS) {
        ::RegSetValueExA(hX11, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
        ::RegCloseKey(hX11);
    }
}

inline int Fail(const char* pszWhat)
{
    std::printf("demo failed: %s\n", pszWhat);
    std::fflush(stdout);
    return 1;
}

} // namespace demo
