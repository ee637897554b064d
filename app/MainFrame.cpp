// The hidden main frame.
#include "app/MainFrame.h"
#include "app/FrameGeometry.h"
#include "watcher/TrovelView.h"
#include "fw/NestedLoop.h"
#include "fw/WinApp.h"
#include "res/resource.h"

void CMainFrame::ArmStartTimer()
{
    if (m_bStartTimerSet)
        return;
    m_bStartTimerSet = TRUE;
    SetTimer(IDT_STARTUP, kStartupDelay);
}

BOOL CMainFrame::PreCreateWindow(CREATESTRUCTW& cs)
{
    cs.style &= ~(FWS_ADDTOTITLE | WS_MAXIMIZEBOX | WS_MINIMIZEBOX);
    cs.style &= ~WS_THICKFRAME;
    RECT rc = InitialFrameRect(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
    cs.x = rc.left;
    cs.y = rc.top;
    cs.cx = rc.right - rc.left;
    cs.cy = rc.bottom - rc.top;
    return CFrameWnd::PreCreateWindow(cs);
}

int CMainFrame::OnCreate(LPCREATESTRUCTW lpcs)
{
    if (CFrameWnd::OnCreate(lpcs) == -1)
        return -1;
    const RECT noBorders = {0, 0, 0, 0};
    if (!m_toolBar.CreateEx(this, TBSTYLE_FLAT,
                            WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC,
                            noBorders, AFX_IDW_TOOLBAR) ||
        !m_toolBar.LoadToolBar(IDR_MAINFRAME))
        return -1;
    static const UINT indicators[] = {0}; // one message pane
    if (!m_statusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR) ||
        !m_statusBar.SetIndicators(indicators, 1))
        return -1;
    m_toolBar.EnableDocking(CBRS_ALIGN_ANY);
    EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&m_toolBar);
    AcceptFromLowerIntegrity(WM_APP_PREFERENCES);
    // An elevated copy would otherwise never hear that Explorer restarted, and lose its icon for good.
    AcceptFromLowerIntegrity(TaskbarCreatedMessage());
    return 0;
}

void CMainFrame::AcceptFromLowerIntegrity(UINT msg)
{
    // A copy started with elevation would otherwise never hear a second start made without it.
    // Windows 7 filters per window, Vista per process; earlier systems have no filter at all.
    typedef BOOL(WINAPI * FilterExFn)(HWND, UINT, DWORD, void*);
    typedef BOOL(WINAPI * FilterFn)(UINT, DWORD);
    if (auto pfnEx = AfxGetSystemProc<FilterExFn>("user32.dll", "ChangeWindowMessageFilterEx"))
        pfnEx(m_hWnd, msg, 1 /* MSGFLT_ALLOW */, nullptr);
    else if (auto pfn = AfxGetSystemProc<FilterFn>("user32.dll", "ChangeWindowMessageFilter"))
        pfn(msg, 1 /* MSGFLT_ADD */);
}

void CMainFrame::OnClose()
{
    if (m_bOsRejected) {
        m_bOsRejected = FALSE;
        CFrameWnd::OnClose();
    } else if (m_bShutdown && CNestedLoop::Depth() > 0) {
        // A loop of the program (a menu, a box, a dialog, a wait on another program) runs inside a
        // handler that still uses the view: the loops are asked to end, and the close comes again
        // once the outermost has returned.
        CNestedLoop::AskToEnd();
        CNestedLoop::PostWhenDone(m_hWnd, WM_CLOSE);
    } else if (m_bShutdown) {
        CFrameWnd::OnClose();
    } else {
        // A plain close (from anywhere) only hides: the program lives on in the tray.
        ShowWindow(SW_HIDE);
    }
}

void CMainFrame::OnTimer(UINT_PTR nIDEvent)
{
    Default();
    if (nIDEvent != IDT_STARTUP)
        return;
    KillTimer(IDT_STARTUP);
    CTrovelView* pView = dynamic_cast<CTrovelView*>(GetActiveView());
    if (pView != nullptr && pView->IsWindowsNT()) {
        pView->Start();
        return;
    }
    AfxMessageBox(m_hWnd, "Trovel is not designed for Win9x/ME", AfxGetApp()->m_strAppName, MB_OK | MB_ICONEXCLAMATION);
    m_bOsRejected = TRUE;
    PostMessage(WM_CLOSE);
}

void CMainFrame::OnGetMinMaxInfo(MINMAXINFO* pInfo)
{
    CTrovelView* pView = dynamic_cast<CTrovelView*>(GetActiveView());
    if (pView != nullptr && pView->m_bFrameSizeKnown) {
        pInfo->ptMinTrackSize.x = pInfo->ptMaxTrackSize.x = pView->m_nFrameWidth;
        pInfo->ptMinTrackSize.y = pInfo->ptMaxTrackSize.y = pView->m_nFrameHeight;
    }
    Default();
}

void CMainFrame::OnEndSessionWhileBusy()
{
    // A loop of the program runs inside a view handler: the view's teardown waits for it. What the
    // teardown keeps is kept now, since the system may end the process once this message returns;
    // a session end that does not end it (the Restart Manager's) then ends it as a shutdown does.
    if (CTrovelView* pView = dynamic_cast<CTrovelView*>(GetActiveView())) {
        pView->SavePathLists();
        pView->m_trayIcon.RemoveIcon();
    }
    m_bShutdown = TRUE;
    OnClose();
}

LRESULT CMainFrame::OnShowPreferences(WPARAM, LPARAM)
{
    CTrovelView* pView = dynamic_cast<CTrovelView*>(GetActiveView());
    if (pView == nullptr || m_bShutdown)
        return 0;
    if (pView->m_bDialogShowing) {
        // A dialog of the program is up already: bring it forward rather than stack another.
        HWND hPopup = ::GetLastActivePopup(m_hWnd);
        if (hPopup != m_hWnd)
            ::SetForegroundWindow(hPopup);
        return 0;
    }
    // The tray menu's default command, carried out from the view's queue as a double-click would.
    pView->PostMessage(WM_COMMAND, MAKEWPARAM(ID_PREFERENCES, 0), 0);
    return 0;
}

LRESULT CMainFrame::OnExternalShutdown(WPARAM, LPARAM)
{
    m_bShutdown = TRUE;
    // A request sent from another process may arrive while this thread waits inside a call of its
    // own: closing there would destroy the view under its running handler. It is carried out from
    // the queue (and after the program's loops, by the close's own rule).
    if (::InSendMessage())
        PostMessage(WM_CLOSE);
    else
        OnClose();
    return 0;
}

LRESULT CMainFrame::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    // The shell announces a re-created notification area to top-level windows only; the view,
    // a child window, owns the icon and would never hear of it.
    static const UINT s_uTaskbarCreated = TaskbarCreatedMessage();
    if (msg == s_uTaskbarCreated && msg != 0) {
        if (GetActiveView() != nullptr)
            GetActiveView()->SendMessage(msg, wParam, lParam);
        return 0;
    }
    switch (msg) {
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
        return 0;
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_APP_CLOSE:
        return OnExternalShutdown(wParam, lParam);
    case WM_APP_PREFERENCES:
        return OnShowPreferences(wParam, lParam);
    case 0x02E0: // WM_DPICHANGED, which the headers of the oldest Windows lack
        if (auto pView = dynamic_cast<CTrovelView*>(GetActiveView()))
            pView->OnDpiChanged(LOWORD(wParam));
        return 0;
    case WM_ENDSESSION:
        if (wParam && CNestedLoop::Depth() > 0) {
            OnEndSessionWhileBusy();
            return 0;
        }
        [[fallthrough]];
    default:
        return CFrameWnd::WindowProc(msg, wParam, lParam);
    }
}
