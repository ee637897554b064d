// The hidden main frame: start-up timer, operating-system gate and close rules.
#pragma once

#include "fw/ControlBars.h"
#include "fw/FrameWnd.h"

// Close request accepted from any other process.
#define WM_APP_CLOSE (WM_APP + 0x20)
// From a second start of the program: bring up Preferences, as a double-click on the icon does.
#define WM_APP_PREFERENCES (WM_APP + 0x21)

class CMainFrame : public CFrameWnd {
public:
    static constexpr UINT_PTR IDT_STARTUP = 105;
    static constexpr UINT kStartupDelay = 200; // ms

    CStatusBar m_statusBar;
    CToolBar m_toolBar;
    BOOL m_bStartTimerSet = FALSE;
    BOOL m_bShutdown = FALSE;
    BOOL m_bOsRejected = FALSE;

    // Arms the one-shot start-up timer, at most once per process.
    void ArmStartTimer();

protected:
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    int OnCreate(LPCREATESTRUCTW lpcs) override;
    void OnClose() override;
    void OnTimer(UINT_PTR nIDEvent);
    void OnGetMinMaxInfo(MINMAXINFO* pInfo);
    LRESULT OnExternalShutdown(WPARAM wParam, LPARAM lParam);
    LRESULT OnShowPreferences(WPARAM wParam, LPARAM lParam);
    void OnEndSessionWhileBusy();
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    // Lets a process of lower integrity (a second start without elevation) post this message.
    void AcceptFromLowerIntegrity(UINT msg);
};
