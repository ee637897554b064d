// One running copy: a named mutex that lives as long as the process holds it.
#include "app/InstanceGuard.h"
#include "app/MainFrame.h"

CInstanceGuard::~CInstanceGuard()
{
    if (m_hMutex != nullptr)
        ::CloseHandle(m_hMutex);
}

BOOL CInstanceGuard::Claim(const char* pszName)
{
    if (m_hMutex != nullptr)
        return TRUE;
    HANDLE hMutex = ::CreateMutexW(nullptr, FALSE, Utf8ToWide(pszName).c_str());
    if (hMutex != nullptr && ::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(hMutex);
        return FALSE;
    }
    if (hMutex == nullptr && ::GetLastError() == ERROR_ACCESS_DENIED)
        return FALSE; // it exists, made by a copy whose security this process does not share
    m_hMutex = hMutex;
    return TRUE;
}

HWND FindRunningCopy(DWORD dwWaitMs)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        HWND hFrame = ::FindWindowW(Utf8ToWide(CFrameWnd::WindowClassName()).c_str(), nullptr);
        if (hFrame != nullptr || ::GetTickCount() - start >= dwWaitMs)
            return hFrame;
        ::Sleep(100);
    }
}

BOOL ShowRunningCopy(HWND hFrame)
{
    if (hFrame == nullptr)
        return FALSE;
    // This start has the foreground (the user just made it); hand it on, so the sheet comes up in
    // front. Windows 2000 and later only.
    typedef BOOL(WINAPI * AllowFn)(DWORD);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hFrame, &pid);
    auto pfnAllow = AfxGetSystemProc<AllowFn>("user32.dll", "AllowSetForegroundWindow");
    if (pfnAllow != nullptr && pid != 0)
        pfnAllow(pid);
    // Posted: the running copy may be busy in a dialog of its own, and this start must not wait.
    return ::PostMessageW(hFrame, WM_APP_PREFERENCES, 0, 0);
}
