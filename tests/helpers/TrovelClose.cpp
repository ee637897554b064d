// Asks a running Trovel to end, the way another program would: WM_APP+0x20 to its main frame.
// Usage: trovel_close [seconds]   waits that long (default 10) for the process to exit.
// Exit code: 0 ended, 1 no Trovel window, 2 still running after the wait.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
const UINT kAppClose = WM_APP + 0x20;
}

int main(int argc, char** argv)
{
    const DWORD seconds = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 10;
    HANDLE processes[MAXIMUM_WAIT_OBJECTS];
    DWORD count = 0;
    // The frame's class is not fixed, and dialogs may share the title; only those are skipped.
    for (HWND hWnd = nullptr; (hWnd = ::FindWindowExA(nullptr, hWnd, nullptr, "Trovel")) != nullptr;) {
        char className[64] = {};
        ::GetClassNameA(hWnd, className, sizeof(className));
        if (std::strcmp(className, "#32770") == 0)
            continue;
        DWORD pid = 0;
        ::GetWindowThreadProcessId(hWnd, &pid);
        if (::PostMessageA(hWnd, kAppClose, 0, 0) && count < MAXIMUM_WAIT_OBJECTS) {
            HANDLE hProcess = ::OpenProcess(SYNCHRONIZE, FALSE, pid);
            if (hProcess != nullptr)
                processes[count++] = hProcess;
        }
    }
    if (count == 0) {
        std::fprintf(stderr, "trovel_close: no Trovel window\n");
        return 1;
    }
    const DWORD result = ::WaitForMultipleObjects(count, processes, TRUE, seconds * 1000);
    for (DWORD i = 0; i < count; ++i)
        ::CloseHandle(processes[i]);
    if (result == WAIT_TIMEOUT) {
        std::fprintf(stderr, "trovel_close: Trovel still running after %lu s\n", seconds);
        return 2;
    }
    return 0;
}
