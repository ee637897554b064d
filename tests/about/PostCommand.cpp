// Demo driver: sends a command to the running Trovel's view, as its tray menu does, and waits for the
// window that command opens.
// Usage: trovel_post_command COMMAND_ID WINDOW_TITLE SECONDS [RESULT_FILE]
// Writes "x y width height" of that window in screen pixels to the file (else prints it): a program
// started into a Wine desktop does not always keep its caller's output. Exit code 1: nothing showed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace {

HWND WaitFor(const std::function<HWND()>& find, DWORD seconds)
{
    for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < seconds * 1000; ::Sleep(100)) {
        if (HWND hWnd = find())
            return hWnd;
    }
    return nullptr;
}

// The view: the child built on a dialog template inside the hidden top-level "Trovel" frame.
HWND FindView()
{
    for (HWND hFrame = nullptr; (hFrame = ::FindWindowExA(nullptr, hFrame, nullptr, "Trovel")) != nullptr;) {
        if (HWND hView = ::FindWindowExA(hFrame, nullptr, "#32770", nullptr))
            return hView;
    }
    return nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: trovel_post_command COMMAND_ID WINDOW_TITLE SECONDS [RESULT_FILE]\n");
        return 2;
    }
    const UINT nID = (UINT)std::strtoul(argv[1], nullptr, 0);
    const char* pszTitle = argv[2];
    const DWORD seconds = std::strtoul(argv[3], nullptr, 10);

    HWND hView = WaitFor(&FindView, seconds);
    if (hView == nullptr || !::PostMessageA(hView, WM_COMMAND, MAKEWPARAM(nID, 0), 0)) {
        std::fprintf(stderr, "trovel_post_command: Trovel's view not found\n");
        return 1;
    }
    HWND hShown = WaitFor([pszTitle] {
        HWND hWnd = ::FindWindowA(nullptr, pszTitle);
        return hWnd != nullptr && ::IsWindowVisible(hWnd) ? hWnd : nullptr;
    }, seconds);
    if (hShown == nullptr) {
        std::fprintf(stderr, "trovel_post_command: no window \"%s\" showed\n", pszTitle);
        return 1;
    }
    ::Sleep(500); // time to paint
    RECT rc;
    ::GetWindowRect(hShown, &rc);
    FILE* pOut = argc > 4 ? std::fopen(argv[4], "w") : stdout;
    if (pOut == nullptr)
        return 1;
    std::fprintf(pOut, "%ld %ld %ld %ld\n", rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    return std::fclose(pOut) == 0 ? 0 : 1;
}
