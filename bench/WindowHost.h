// Other programs' windows for the benchmarks: top-level windows titled like an application's, made
// here or in another process (WindowHost), which is this same program started with "--host".
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

inline constexpr char kWindowClass[] = "TrovelBenchWindow";

inline HWND Child(HWND hParent, const char* pszClass, const char* pszText, int nID, DWORD style = 0)
{
    return ::CreateWindowExA(0, pszClass, pszText, WS_CHILD | WS_VISIBLE | style, 0, 0, 80, 20, hParent,
                             (HMENU)(INT_PTR)nID, ::GetModuleHandleA(nullptr), nullptr);
}

// A dialog that saves nothing: nine in ten a message box, one in ten an item open dialog (whose
// tree has the item view and a sink without an edit, so the scan must look deeper to rule it out).
inline HWND CreateOtherDialog(int i, HWND hOwner)
{
    char title[64];
    std::snprintf(title, sizeof(title), i % 10 ? "Some Application %d" : "Open %d", i);
    HWND hDialog = ::CreateWindowExA(0, "#32770", title, WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0, 200, 100, hOwner, nullptr,
                                     ::GetModuleHandleA(nullptr), nullptr);
    if (i % 10) {
        Child(hDialog, "Static", "The document has changed. Save the changes?", 0xFFFF);
        Child(hDialog, "Button", "&Yes", IDYES);
        Child(hDialog, "Button", "&No", IDNO);
    } else {
        Child(hDialog, "ComboBox", "", 1148, CBS_DROPDOWN);
        HWND hDirect = Child(Child(hDialog, "DUIViewWndClassName", "", 0), "DirectUIHWND", "", 0);
        Child(Child(hDirect, "FloatNotifySink", "", 0), "ComboBox", "", 1002, CBS_DROPDOWNLIST);
    }
    return hDialog;
}

// Creates count windows, every other one owned by the first, titled like an application's; the
// last nDialogs of them are dialogs that save nothing.
inline std::vector<HWND> CreateWindows(int count, HWND* phOwner, int nDialogs = 0)
{
    std::vector<HWND> windows;
    HINSTANCE hInstance = ::GetModuleHandleA(nullptr);
    *phOwner = ::CreateWindowExA(0, kWindowClass, "Bench owner - Document1", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 hInstance, nullptr);
    for (int i = 0; i < count; ++i) {
        if (i >= count - nDialogs) {
            windows.push_back(CreateOtherDialog(i, i % 2 ? *phOwner : nullptr));
            continue;
        }
        char title[64];
        std::snprintf(title, sizeof(title), "Bench window %d - Some Application", i);
        // Shown, as an application's windows are: the scan's candidate rules let them through.
        windows.push_back(::CreateWindowExA(0, kWindowClass, title, WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, i % 2 ? *phOwner : nullptr,
                                            nullptr, hInstance, nullptr));
    }
    return windows;
}

inline void DestroyWindows(const std::vector<HWND>& windows, HWND hOwner)
{
    for (HWND hWnd : windows)
        ::DestroyWindow(hWnd);
    ::DestroyWindow(hOwner);
}

inline void RegisterWindowClass()
{
    for (const char* pszClass : {kWindowClass, "DUIViewWndClassName", "DirectUIHWND", "FloatNotifySink"}) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = pszClass;
        ::RegisterClassA(&wc);
    }
}

// The other program: holds count windows, serving its messages, until the bench signals the end.
inline int HostWindows(int count, int nDialogs, const char* pszReady, const char* pszDone)
{
    RegisterWindowClass();
    HWND hOwner = nullptr;
    std::vector<HWND> windows = CreateWindows(count, &hOwner, nDialogs);
    HANDLE hReady = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, pszReady);
    HANDLE hDone = ::OpenEventA(SYNCHRONIZE, FALSE, pszDone);
    ::SetEvent(hReady);
    while (::MsgWaitForMultipleObjects(1, &hDone, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&msg);
    }
    DestroyWindows(windows, hOwner);
    return 0;
}

// Another process with count windows for the life of the object.
class WindowHost {
public:
    explicit WindowHost(int count, int nDialogs = 0)
    {
        char names[2][64];
        std::snprintf(names[0], sizeof(names[0]), "TrovelBenchReady%lu", ::GetCurrentProcessId());
        std::snprintf(names[1], sizeof(names[1]), "TrovelBenchDone%lu", ::GetCurrentProcessId());
        m_hReady = ::CreateEventA(nullptr, TRUE, FALSE, names[0]);
        m_hDone = ::CreateEventA(nullptr, TRUE, FALSE, names[1]);
        char exe[MAX_PATH];
        ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
        char commandLine[MAX_PATH + 160];
        std::snprintf(commandLine, sizeof(commandLine), "\"%s\" --host %d %d %s %s", exe, count, nDialogs,
                      names[0], names[1]);
        STARTUPINFOA si = {};
        si.cb = sizeof(si);
        if (::CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_pi))
            ::WaitForSingleObject(m_hReady, 60000);
    }
    ~WindowHost()
    {
        ::SetEvent(m_hDone);
        ::WaitForSingleObject(m_pi.hProcess, 60000);
        ::CloseHandle(m_pi.hProcess);
        ::CloseHandle(m_pi.hThread);
        ::CloseHandle(m_hReady);
        ::CloseHandle(m_hDone);
    }

private:
    HANDLE m_hReady = nullptr, m_hDone = nullptr;
    PROCESS_INFORMATION m_pi = {};
};

// First thing in main: a benchmark started by WindowHost is that other program, and this is its
// exit code; -1 in the benchmark itself.
inline int RunWindowHost(int argc, char** argv)
{
    if (argc != 6 || std::strcmp(argv[1], "--host") != 0)
        return -1;
    return HostWindows(std::atoi(argv[2]), std::atoi(argv[3]), argv[4], argv[5]);
}
