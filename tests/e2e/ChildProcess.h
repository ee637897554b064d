// Another program the end-to-end tests start, ended at the latest with the object.
#pragma once

#include "fw/TextConv.h"

#include <windows.h>

#include <string>

class ChildProcess {
public:
    // exe is quoted on the command line; args follow as they are. dir empty: this program's.
    ChildProcess(const std::string& exe, const std::string& dir, const std::string& args = "")
    {
        std::wstring commandLine = Utf8ToWide("\"" + exe + "\"" + (args.empty() ? "" : " " + args));
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        m_bStarted = ::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                      dir.empty() ? nullptr : Utf8ToWide(dir).c_str(), &si, &m_pi) != FALSE;
    }
    ~ChildProcess()
    {
        if (!m_bStarted)
            return;
        if (Alive())
            ::TerminateProcess(m_pi.hProcess, 1);
        ::WaitForSingleObject(m_pi.hProcess, 5000);
        ::CloseHandle(m_pi.hThread);
        ::CloseHandle(m_pi.hProcess);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Alive() const { return m_bStarted && ::WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT; }
    bool WaitForExit(DWORD ms) const { return ::WaitForSingleObject(m_pi.hProcess, ms) == WAIT_OBJECT_0; }
    bool Owns(HWND hWnd) const
    {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(hWnd, &pid);
        return pid == m_pi.dwProcessId;
    }
    // The first top-level window of this process with the class and title (either may be null).
    HWND TopWindow(const char* pszClass, const char* pszTitle) const
    {
        const std::wstring cls = pszClass != nullptr ? Utf8ToWide(pszClass) : std::wstring();
        const std::wstring title = pszTitle != nullptr ? Utf8ToWide(pszTitle) : std::wstring();
        for (HWND hWnd = nullptr; (hWnd = ::FindWindowExW(nullptr, hWnd, pszClass != nullptr ? cls.c_str() : nullptr,
                                                          pszTitle != nullptr ? title.c_str() : nullptr)) != nullptr;) {
            if (Owns(hWnd))
                return hWnd;
        }
        return nullptr;
    }

    bool m_bStarted = false;
    PROCESS_INFORMATION m_pi = {};
};
