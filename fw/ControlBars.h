// Tool bar and status bar of a frame window.
#pragma once

#include "fw/Wnd.h"

// Control-bar styles: placement and behaviour bits kept by the bar, not window styles.
#define CBRS_ALIGN_LEFT     0x1000L
#define CBRS_ALIGN_TOP      0x2000L
#define CBRS_ALIGN_RIGHT    0x4000L
#define CBRS_ALIGN_BOTTOM   0x8000L
#define CBRS_ALIGN_ANY      0xF000L
#define CBRS_BORDER_TOP     0x0200L
#define CBRS_BORDER_BOTTOM  0x0800L
#define CBRS_TOOLTIPS       0x0010L
#define CBRS_FLYBY          0x0020L
#define CBRS_SIZE_DYNAMIC   0x0004L
#define CBRS_GRIPPER        0x00400000L
#define CBRS_TOP            (CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM)
#define CBRS_BOTTOM         (CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP)
#define CBRS_ALL            0x0040FFFFL

#define AFX_IDW_TOOLBAR     0xE800
#define AFX_IDW_STATUS_BAR  0xE801
#define AFX_IDW_PANE_FIRST  0xE900

class CControlBar : public CWnd {
public:
    DWORD m_dwStyle = 0;       // CBRS_ bits
    DWORD m_dwDockStyle = 0;   // sides the bar may dock to
    void EnableDocking(DWORD dwDockStyle) { m_dwDockStyle = dwDockStyle & CBRS_ALIGN_ANY; }
    // Height the bar takes at the top or bottom of the frame.
    int GetHeight() const;
protected:
    static DWORD WindowStyleOf(DWORD dwStyle) { return dwStyle & ~(DWORD)CBRS_ALL; }
};

class CToolBar : public CControlBar {
public:
    BOOL CreateEx(CWnd* pParent, DWORD dwCtrlStyle, DWORD dwStyle, const RECT& rcBorders, UINT nID);
    // Loads a tool bar resource (button size and command ids) and its bitmap of the same id.
    BOOL LoadToolBar(UINT nIDResource);
};

class CStatusBar : public CControlBar {
public:
    BOOL Create(CWnd* pParent, DWORD dwStyle, UINT nID);
    BOOL SetIndicators(const UINT* lpIDArray, int nIDCount);
};
