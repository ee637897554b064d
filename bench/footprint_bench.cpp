// Trovel's memory at rest against a bare tray program (a window, a tray icon and the same start-up
// timer, nothing else): both started afresh, left idle, and their working sets and private bytes
// read. Goal: Trovel idle within 4 MB of resident memory of the bare program.
#include "bench/BenchClock.h"
#include "fw/TextConv.h"

#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kRuns = 5;
constexpr DWORD kIdleWait = 3000; // ms after the start before reading
constexpr UINT kAppClose = WM_APP + 0x20;
const wchar_t kBareClass[] = L"TrovelBareTray";

LRESULT CALLBACK BareProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_TIMER)
        ::KillTimer(hWnd, wParam); // as the program's one start-up tick
    else if (msg == WM_DESTROY)
        ::PostQuitMessage(0);
    return ::DefWindowProcW(hWnd, msg, wParam, lParam);
}

// The bare program: what any tray program has, and no more.
int RunBareTray()
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &BareProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kBareClass;
    ::RegisterClassW(&wc);
    HWND hWnd = ::CreateWindowExW(0, kBareClass, L"Bare", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                  wc.hInstance, nullptr);
    NOTIFYICONDATAW nid = {};
    nid.cbSize = sizeof(nid);
    nid.hWnd = hWnd;
    nid.uID = 1;
    nid.uFlags = NIF_ICON | NIF_TIP;
    nid.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
    lstrcpyW(nid.szTip, L"Bare");
    ::Shell_NotifyIconW(NIM_ADD, &nid);
    ::SetTimer(hWnd, 1, 200, nullptr);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&msg);
    ::Shell_NotifyIconW(NIM_DELETE, &nid);
    return 0;
}

struct Footprint {
    double resident = 0; // MB
    double priv = 0;     // MB
};

Footprint Measure(const std::wstring& commandLine, bool bTrovel)
{
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    std::wstring line = commandLine;
    Footprint footprint;
    if (!::CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return footprint;
    ::WaitForInputIdle(pi.hProcess, 10000);
    ::Sleep(kIdleWait);
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    if (::GetProcessMemoryInfo(pi.hProcess, &counters, sizeof(counters))) {
        footprint.resident = counters.WorkingSetSize / 1048576.0;
        footprint.priv = counters.PagefileUsage / 1048576.0;
    }
    // Trovel ends on its setup's close message; the bare program has nothing to keep.
    HWND hWnd = nullptr;
    while ((hWnd = ::FindWindowExW(nullptr, hWnd, nullptr, nullptr)) != nullptr) {
        DWORD dwProcessId = 0;
        ::GetWindowThreadProcessId(hWnd, &dwProcessId);
        if (dwProcessId == pi.dwProcessId)
            ::PostMessageW(hWnd, bTrovel ? kAppClose : WM_CLOSE, 0, 0);
    }
    if (::WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0)
        ::TerminateProcess(pi.hProcess, 1);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return footprint;
}

// The settings of a user who has seen the new-user help, so that nothing but the icon shows.
void SetHelpShown()
{
    // The settings key lives in the machine key's 32-bit view, for both flavours.
    HKEY hKey = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Larkfield Software\\Trovel\\Newbie", 0, nullptr, 0,
                          KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr, &hKey, nullptr) == ERROR_SUCCESS) {
        ::RegSetValueExW(hKey, L"Help", 0, REG_SZ, (const BYTE*)L"1", 4);
        ::RegCloseKey(hKey);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::string(argv[1]) == "--bare")
        return RunBareTray();
    wchar_t szSelf[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, szSelf, MAX_PATH);
    std::wstring dir = szSelf;
    dir.erase(dir.find_last_of(L'\\'));
    const std::wstring trovel = L"\"" + dir.substr(0, dir.find_last_of(L'\\')) + L"\\Trovel.exe\"";
    const std::wstring bare = L"\"" + std::wstring(szSelf) + L"\" --bare";
    SetHelpShown();

    std::vector<double> trovelResident, bareResident, trovelPrivate, barePrivate;
    for (int run = 0; run < kRuns; ++run) {
        const Footprint t = Measure(trovel, true), b = Measure(bare, false);
        if (t.resident <= 0 || b.resident <= 0) {
            std::printf("could not start or read the programs\n");
            return 1;
        }
        trovelResident.push_back(t.resident);
        bareResident.push_back(b.resident);
        trovelPrivate.push_back(t.priv);
        barePrivate.push_back(b.priv);
        std::printf("  run %d: Trovel %.1f MB resident, %.1f MB private; bare %.1f MB, %.1f MB\n", run + 1, t.resident,
                    t.priv, b.resident, b.priv);
    }
    const double resident = Median(trovelResident) - Median(bareResident);
    const double priv = Median(trovelPrivate) - Median(barePrivate);
    std::printf("idle, median of %d runs: resident +%.1f MB, private +%.1f MB against the bare tray program\n", kRuns,
                resident, priv);
    std::printf("goal: resident within +4 MB: %s\n", resident <= 4.0 ? "met" : "NOT met");
    return 0;
}
