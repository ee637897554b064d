// The notification area as the tests see it.
#include "tests/support/TrayProbe.h"
#include "fw/TextConv.h"

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

std::vector<std::string> DescribeMenu(HMENU hMenu)
{
    std::vector<std::string> items;
    for (int pos = 0; pos < ::GetMenuItemCount(hMenu); ++pos) {
        wchar_t text[512] = {};
        MENUITEMINFOW mii = {};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING;
        mii.dwTypeData = text;
        mii.cch = 512;
        ::GetMenuItemInfoW(hMenu, pos, TRUE, &mii);
        if (mii.fType & MFT_SEPARATOR)
            items.push_back("-");
        else
            items.push_back(WideToUtf8(text) + " #" + std::to_string(mii.wID) +
                            ((mii.fState & MFS_DEFAULT) ? " (default)" : ""));
    }
    return items;
}
