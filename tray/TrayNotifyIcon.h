// The one notification-area icon: add, tool tip, remove, and the pop-up menu of its callback.
#pragma once

#include "fw/Menu.h"
#include "fw/Wnd.h"

#include <string>

class CTrovelView;

// The message the shell broadcasts to top-level windows when the notification area is re-created.
UINT TaskbarCreatedMessage();

// Callback message the shell sends the view for mouse events on the icon.
#define WM_TRAY_NOTIFY (WM_APP + 100)

class CTrayNotifyIcon {
public:
    CTrayNotifyIcon();
    virtual ~CTrayNotifyIcon();
    CTrayNotifyIcon(const CTrayNotifyIcon&) = delete;
    CTrayNotifyIcon& operator=(const CTrayNotifyIcon&) = delete;

    // Every request to the shell goes through here; a test puts a recorder in its place.
    static BOOL(WINAPI* s_pfnShellNotify)(DWORD, PNOTIFYICONDATAW);

    NOTIFYICONDATAW m_nid;
    BOOL m_bEnabled = FALSE;

    BOOL Create(CWnd* pNotifyWnd, UINT uID, const std::string& tip, HICON hIcon, UINT uCallbackMessage);
    BOOL SetTooltipText(const std::string& tip);
    BOOL SetIcon(HICON hIcon);
    BOOL SetIcon(UINT nIDResource, UINT dpi = 0); // the small image, for that DPI (0: the current one)
    void RemoveIcon();
    // Adds the icon again, as it stands, after the notification area was re-created by the shell.
    BOOL Readd();

    // A balloon over the icon. FALSE (and nothing shown) without the icon, with a shell older than
    // 5.0, or when the text does not fit the balloon whole; the caller then tells the user otherwise.
    // A request only: the balloon counts as shown when the callback brings kBalloonShown.
    BOOL ShowBalloon(const std::string& title, const std::string& text);
    static constexpr UINT kIconVersion = 3;              // NOTIFYICON_VERSION
    // What the shell sends from that version on, as the callback's lParam: the icon chosen with the
    // mouse or the keyboard and activated (Enter, Space), and a balloon shown.
    static constexpr UINT kSelect = WM_USER + 0;         // NIN_SELECT
    static constexpr UINT kKeySelect = WM_USER + 1;      // NIN_KEYSELECT
    static constexpr UINT kBalloonShown = WM_USER + 2;   // NIN_BALLOONSHOW
    static bool ShellShowsBalloons();

    // One callback message: wParam is the icon id, lParam the mouse message. The menu opens on the
    // right button's release, or on WM_CONTEXTMENU (the keyboard, from version 3 on); the default
    // command runs on a double click, or on NIN_SELECT and NIN_KEYSELECT. Nothing else does anything.
    virtual LRESULT OnTrayNotification(WPARAM wParam, LPARAM lParam);
    // The messages that open the menu.
    static bool OpensMenu(UINT uMouse) { return uMouse == WM_RBUTTONUP || uMouse == WM_CONTEXTMENU; }

    // Loads the menu resource of the icon id, lets the view put the path entries (and, when asked, the
    // folders open in Explorer) on top of its first pop-up and makes the view's default item the
    // default. FALSE when there is no such pop-up.
    BOOL BuildPopupMenu(CLoadedMenu& menu, CMenu& popup, int& nDefaultPos, CTrovelView* pView,
                        bool bOpenFolders = true) const;

    // The small image loaded by SetIcon(UINT); this object destroys it.
    HICON m_hOwnedIcon = nullptr;

    // Record size of the first layout (64-byte tip), which every shell version accepts.
    static constexpr DWORD kRecordSize = NOTIFYICONDATAW_V1_SIZE;
    static constexpr int kTipChars = 64;

private:
    void CopyTip(const std::string& tip);
};
