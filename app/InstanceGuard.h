// Keeps the program to one running copy per session.
#pragma once

#include <windows.h>

class CInstanceGuard {
public:
    CInstanceGuard() = default;
    ~CInstanceGuard();
    CInstanceGuard(const CInstanceGuard&) = delete;
    CInstanceGuard& operator=(const CInstanceGuard&) = delete;

    // FALSE when another process already holds the name (also when it is closed to this process: the
    // other copy runs with elevation); otherwise the name is held until this object goes. A name that
    // cannot be made for any other reason does not stop the start.
    BOOL Claim(const char* pszName);

private:
    HANDLE m_hMutex = nullptr;
};

// How long a second start waits for the running copy's frame: that copy may still be starting.
constexpr DWORD kRunningCopyWait = 5000; // ms

// The main frame of the running copy (found by its window class, never by its title), or null
// when none appears within dwWaitMs.
HWND FindRunningCopy(DWORD dwWaitMs);
// Asks that copy to bring up its Preferences sheet; FALSE when it cannot be reached.
BOOL ShowRunningCopy(HWND hFrame);
