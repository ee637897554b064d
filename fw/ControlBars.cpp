// Tool bar and status bar built on the common controls.
#include "fw/ControlBars.h"

namespace {
// Layout of a tool bar resource: version, button size, count, then one command id per button (0 = gap).
struct ToolBarResource {
    WORD wVersion;
    WORD wWidth;
    WORD wHeight;
    WORD wItemCount;
    WORD items[1];
};
}

int CControlBar::GetHeight() const
{
    RECT rc = {};
    if (m_hWnd == nullptr || !::IsWindowVisible(m_hWnd))
        return 0;
    ::GetWindowRect(m_hWnd, &rc);
    return rc.bottom - rc.top;
}

BOOL CToolBar::CreateEx(CWnd* pParent, DWORD dwCtrlStyle, DWORD dwStyle, const RECT& rcBorders, UINT nID)
{
    m_dwStyle = dwStyle & CBRS_ALL;
    DWORD style = WindowStyleOf(dwStyle) | dwCtrlStyle | CCS_NODIVIDER | CCS_TOP;
    if (dwStyle & CBRS_TOOLTIPS)
        style |= TBSTYLE_TOOLTIPS;
    HWND hWnd = ::CreateWindowExW(0, TOOLBARCLASSNAMEW, L"", style, rcBorders.left, rcBorders.top, 0, 0,
                                  pParent->m_hWnd, (HMENU)(UINT_PTR)nID, AfxGetResourceHandle(), nullptr);
    if (hWnd == nullptr)
        return FALSE;
    Attach(hWnd); // the frame owns the child window; nothing of it is routed here
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    return TRUE;
}

BOOL CToolBar::LoadToolBar(UINT nIDResource)
{
    HINSTANCE hInst = AfxGetResourceHandle();
    HRSRC hRsrc = ::FindResourceW(hInst, MAKEINTRESOURCEW(nIDResource), MAKEINTRESOURCEW(241)); // RT_TOOLBAR
    if (hRsrc == nullptr || m_hWnd == nullptr)
        return FALSE;
    const ToolBarResource* pData = static_cast<const ToolBarResource*>(::LockResource(::LoadResource(hInst, hRsrc)));
    if (pData == nullptr || pData->wVersion != 1)
        return FALSE;

    SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(pData->wWidth, pData->wHeight));
    int imageCount = 0;
    for (WORD i = 0; i < pData->wItemCount; ++i)
        imageCount += pData->items[i] != 0;
    TBADDBITMAP bitmap = {hInst, (UINT_PTR)nIDResource};
    if (SendMessage(TB_ADDBITMAP, (WPARAM)imageCount, (LPARAM)&bitmap) == -1)
        return FALSE;

    int image = 0;
    for (WORD i = 0; i < pData->wItemCount; ++i) {
        TBBUTTON button = {};
        if (pData->items[i] == 0) {
            button.fsStyle = TBSTYLE_SEP;
        } else {
            button.iBitmap = image++;
            button.idCommand = pData->items[i];
            button.fsState = TBSTATE_ENABLED;
            button.fsStyle = TBSTYLE_BUTTON;
        }
        if (!SendMessage(TB_ADDBUTTONSW, 1, (LPARAM)&button))
            return FALSE;
    }
    SendMessage(TB_AUTOSIZE);
    return TRUE;
}

BOOL CStatusBar::Create(CWnd* pParent, DWORD dwStyle, UINT nID)
{
    m_dwStyle = dwStyle & CBRS_ALL;
    HWND hWnd = ::CreateWindowExW(0, STATUSCLASSNAMEW, L"", WindowStyleOf(dwStyle) | CCS_BOTTOM, 0, 0, 0, 0,
                                  pParent->m_hWnd, (HMENU)(UINT_PTR)nID, AfxGetResourceHandle(), nullptr);
    if (hWnd == nullptr)
        return FALSE;
    Attach(hWnd);
    return TRUE;
}

BOOL CStatusBar::SetIndicators(const UINT* lpIDArray, int nIDCount)
{
    if (m_hWnd == nullptr || nIDCount < 1)
        return FALSE;
    // A separator id gives the stretching message pane; it takes the whole width here.
    int edges[1] = {-1};
    return (BOOL)SendMessage(SB_SETPARTS, 1, (LPARAM)edges);
}
