// The hidden main frame.
#include "app/MainFrame.h"
#include "app/FrameGeometry.h"
#include "watcher/TrovelView.h"
#include "fw/WinApp.h"
#include "res/resource.h"

void CMainFrame::ArmStartTimer()
{
    if (m_bStartTimerSet)
        return;
    m_bStartTimerSet = TRUE;
    SetTimer(IDT_STARTUP, kStartupDelay);
}

BOOL CMainFrame::PreCreateWindow(CREATESTRUCTA& cs)
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

int CMainFrame::OnCreate(LPCREATESTRUCTA lpcs)
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
    return 0;
}

void CMainFrame::OnClose()
{
    if (m_bOsRejected) {
        m_bOsRejected = FALSE;
        CFrameWnd::OnClose();
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
    ::MessageBoxA(m_hWnd, "Trovel is not designed for Win9x/ME", AfxGetApp()->m_strAppName.c_str(),
                  MB_OK | MB_ICONEXCLAMATION);
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

LRESULT CMainFrame::OnExternalShutdown(WPARAM, LPARAM)
{
    m_bShutdown = TRUE;
    OnClose();
    return 0;
}

LRESULT CMainFrame::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
        return 0;
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_APP_CLOSE:
        return OnExternalShutdown(wParam, lParam);
    default:
        return CFrameWnd::WindowProc(msg, wParam, lParam);
    }
}
