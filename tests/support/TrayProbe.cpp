// The notification area as the tests see it.
#include "tests/support/TrayProbe.h"

#include <shellapi.h>

bool TrayKnowsIcon(HWND hWnd, UINT uID)
{
    NOTIFYICONDATAA nid = {};
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = hWnd;
    nid.uID = uID;
    return ::Shell_NotifyIconA(NIM_MODIFY, &nid) != FALSE;
}

void KeepTrayShown()
{
    static bool s_bShown = false;
    if (s_bShown)
        return;
    s_bShown = true;
    // Never deleted here: the shell drops it on its own once the window is gone with the process,
    // and nothing of this program then waits for the tray.
    NOTIFYICONDATAA nid = {};
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = ::CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    nid.uID = 1;
    nid.uFlags = NIF_ICON;
    nid.hIcon = ::LoadIconA(nullptr, (LPCSTR)IDI_APPLICATION);
    ::Shell_NotifyIconA(NIM_ADD, &nid);
}
