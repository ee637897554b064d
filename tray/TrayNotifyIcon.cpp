// The notification-area icon and its pop-up menu.
#include "tray/TrayNotifyIcon.h"
#include "fw/FrameWnd.h"
#include "fw/NestedLoop.h"
#include "fw/WinApp.h"
#include "watcher/TrovelView.h"

#include <cstring>
#include <cwchar>


CTrayNotifyIcon::CTrayNotifyIcon()
{
    std::memset(&m_nid, 0, sizeof(m_nid));
}

CTrayNotifyIcon::~CTrayNotifyIcon()
{
    RemoveIcon();
    if (m_hOwnedIcon != nullptr)
        ::DestroyIcon(m_hOwnedIcon);
}

BOOL(WINAPI* CTrayNotifyIcon::s_pfnShellNotify)(DWORD, PNOTIFYICONDATAW) = &::Shell_NotifyIconW;

UINT TaskbarCreatedMessage()
{
    return ::RegisterWindowMessageW(L"TaskbarCreated");
}

void CTrayNotifyIcon::CopyTip(const std::string& tip)
{
    std::memset(m_nid.szTip, 0, sizeof(m_nid.szTip));
    std::wstring wide = Utf8ToWide(tip);
    size_t len = wide.size() < (size_t)kTipChars - 1 ? wide.size() : (size_t)kTipChars - 1;
    // A tip is only ever cut, never a character: not between the two halves of a surrogate pair.
    if (len > 0 && len < wide.size() && wide[len - 1] >= 0xD800 && wide[len - 1] < 0xDC00)
        --len;
    std::wmemcpy(m_nid.szTip, wide.data(), len);
}

BOOL CTrayNotifyIcon::Create(CWnd* pNotifyWnd, UINT uID, const std::string& tip, HICON hIcon, UINT uCallbackMessage)
{
    m_nid.cbSize = kRecordSize;
    m_nid.hWnd = pNotifyWnd != nullptr ? pNotifyWnd->m_hWnd : nullptr;
    m_nid.uID = uID;
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_nid.uCallbackMessage = uCallbackMessage;
    m_nid.hIcon = hIcon;
    CopyTip(tip);
    m_bEnabled = s_pfnShellNotify(NIM_ADD, &m_nid);
    return m_bEnabled;
}

BOOL CTrayNotifyIcon::Readd()
{
    if (m_nid.cbSize == 0)
        return FALSE; // never created: nothing to bring back
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    // Any process can send the broadcast. When the shell still shows the icon an add fails as a
    // duplicate; bringing it up to date succeeds instead, and the icon stays known as shown.
    m_bEnabled = s_pfnShellNotify(NIM_MODIFY, &m_nid) || s_pfnShellNotify(NIM_ADD, &m_nid);
    return m_bEnabled;
}

BOOL CTrayNotifyIcon::SetTooltipText(const std::string& tip)
{
    if (!m_bEnabled)
        return FALSE;
    m_nid.uFlags = NIF_TIP;
    CopyTip(tip);
    return s_pfnShellNotify(NIM_MODIFY, &m_nid);
}

BOOL CTrayNotifyIcon::SetIcon(HICON hIcon)
{
    if (!m_bEnabled)
        return FALSE;
    m_nid.uFlags = NIF_ICON;
    m_nid.hIcon = hIcon;
    return s_pfnShellNotify(NIM_MODIFY, &m_nid);
}

BOOL CTrayNotifyIcon::SetIcon(UINT nIDResource, UINT dpi)
{
    HICON hIcon = AfxLoadSmallIcon(nIDResource, dpi);
    BOOL bResult = SetIcon(hIcon);
    // Once the record names the new image (a re-add shows it again) the previous one can go.
    HICON hUnused = m_nid.hIcon == hIcon ? m_hOwnedIcon : hIcon;
    if (m_nid.hIcon == hIcon)
        m_hOwnedIcon = hIcon;
    if (hUnused != nullptr)
        ::DestroyIcon(hUnused);
    return bResult;
}

void CTrayNotifyIcon::RemoveIcon()
{
    if (!m_bEnabled)
        return;
    m_nid.uFlags = 0;
    s_pfnShellNotify(NIM_DELETE, &m_nid);
    m_bEnabled = FALSE;
}

bool CTrayNotifyIcon::ShellShowsBalloons()
{
    struct DllVersionInfo { // DLLVERSIONINFO
        DWORD cbSize, dwMajorVersion, dwMinorVersion, dwBuildNumber, dwPlatformID;
    };
    using DllGetVersionFn = HRESULT(CALLBACK*)(DllVersionInfo*);
    auto pfnVersion = AfxGetSystemProc<DllGetVersionFn>("shell32.dll", "DllGetVersion");
    DllVersionInfo version = {sizeof(version), 0, 0, 0, 0};
    return pfnVersion != nullptr && SUCCEEDED(pfnVersion(&version)) && version.dwMajorVersion >= 5;
}

BOOL CTrayNotifyIcon::ShowBalloon(const std::string& title, const std::string& text)
{
    // The icon's own record keeps the first layout every shell takes; the balloon needs the second.
    NOTIFYICONDATAW balloon;
    const std::wstring wideText = Utf8ToWide(text), wideTitle = Utf8ToWide(title);
    const size_t infoChars = sizeof(balloon.szInfo) / sizeof(balloon.szInfo[0]);
    const size_t titleChars = sizeof(balloon.szInfoTitle) / sizeof(balloon.szInfoTitle[0]);
    if (!m_bEnabled || wideText.size() >= infoChars || !ShellShowsBalloons())
        return FALSE;
    std::memset(&balloon, 0, sizeof(balloon));
    balloon.cbSize = NOTIFYICONDATAW_V2_SIZE;
    balloon.hWnd = m_nid.hWnd;
    balloon.uID = m_nid.uID;
    balloon.uFlags = NIF_INFO;
    std::wmemcpy(balloon.szInfo, wideText.data(), wideText.size());
    std::wmemcpy(balloon.szInfoTitle, wideTitle.data(), wideTitle.size() < titleChars ? wideTitle.size() : titleChars - 1);
    balloon.dwInfoFlags = NIIF_WARNING;
    // From version 3 on the shell reports a balloon it really shows (kBalloonShown); without the
    // report the caller tells the user another way.
    balloon.uVersion = kIconVersion;
    s_pfnShellNotify(NIM_SETVERSION, &balloon);
    balloon.uTimeout = 0; // the same field: the shell's own time
    return s_pfnShellNotify(NIM_MODIFY, &balloon);
}

BOOL CTrayNotifyIcon::BuildPopupMenu(CLoadedMenu& menu, CMenu& popup, int& nDefaultPos, CTrovelView* pView,
                                     bool bOpenFolders) const
{
    if (!menu.LoadMenu(m_nid.uID))
        return FALSE;
    popup = menu.GetSubMenu(0);
    if (popup.m_hMenu == nullptr)
        return FALSE;
    nDefaultPos = pView != nullptr ? pView->InsertPathItems(&popup, bOpenFolders) : 1;
    popup.SetDefaultItem((UINT)nDefaultPos, TRUE);
    return TRUE;
}

LRESULT CTrayNotifyIcon::OnTrayNotification(WPARAM wParam, LPARAM lParam)
{
    if ((UINT)wParam != m_nid.uID)
        return 0;
    const UINT uMouse = (UINT)lParam;
    const bool bMenu = OpensMenu(uMouse);
    const bool bDefault = uMouse == WM_LBUTTONDBLCLK || uMouse == kSelect || uMouse == kKeySelect;
    // A mouse move reads nothing. From version 3 on the shell follows the right button's release
    // with WM_CONTEXTMENU, which comes while that menu is open: one menu is enough.
    if ((!bMenu && !bDefault) || (bMenu && CNestedLoop::InMenu()))
        return 1;

    CFrameWnd* pFrame = dynamic_cast<CFrameWnd*>(AfxGetMainWnd());
    CTrovelView* pView = pFrame != nullptr ? dynamic_cast<CTrovelView*>(pFrame->GetActiveView()) : nullptr;
    CLoadedMenu menu;
    CMenu popup;
    int nDefaultPos = 0;
    // Only a menu that opens lists the folders open in Explorer; the default command needs none.
    if (!BuildPopupMenu(menu, popup, nDefaultPos, pView, bMenu))
        return 0;

    if (bMenu) {
        POINT pt;
        ::GetCursorPos(&pt);
        // Without its top-level window in the foreground the menu would not close when the user
        // clicks elsewhere, and without a message after it, it would not open the next time.
        HWND hTop = AfxTopLevelOf(m_nid.hWnd); // the notify window is the view, a child
        ::SetForegroundWindow(hTop);
        popup.TrackPopupMenu(0, pt.x, pt.y, m_nid.hWnd);
        ::PostMessageW(hTop, WM_NULL, 0, 0);
    } else {
        ::SendMessageW(m_nid.hWnd, WM_COMMAND, MAKEWPARAM(popup.GetMenuItemID(nDefaultPos), 0), 0);
    }
    return 1;
}
