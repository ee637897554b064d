// Frame window of the single-document pattern.
#include "fw/FrameWnd.h"
#include "fw/ControlBars.h"
#include "fw/DocTemplate.h"
#include "fw/View.h"
#include "fw/WinApp.h"
#include "res/resource.h"

namespace {
const char kFrameClass[] = "TrovelFrameWnd";
}

const char* CFrameWnd::WindowClassName()
{
    return kFrameClass;
}

BOOL CFrameWnd::RegisterFrameClass(UINT nIconID)
{
    const std::wstring className = Utf8ToWide(kFrameClass);
    WNDCLASSEXW wc = {};
    if (::GetClassInfoExW(AfxGetResourceHandle(), className.c_str(), &wc))
        return TRUE;
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &CWnd::StdWndProc;
    wc.hInstance = AfxGetResourceHandle();
    wc.hIcon = ::LoadIconW(wc.hInstance, MAKEINTRESOURCEW(nIconID));
    wc.hCursor = ::LoadCursorW(nullptr, (LPCWSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = className.c_str();
    return ::RegisterClassExW(&wc) != 0;
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CCreateContext* pContext)
{
    std::string title = AfxLoadString(nIDResource);
    title = title.substr(0, title.find('\n'));

    if (!RegisterFrameClass(nIDResource)) {
        delete this;
        return FALSE;
    }
    const std::wstring wideTitle = Utf8ToWide(title);
    const std::wstring className = Utf8ToWide(kFrameClass);
    CREATESTRUCTW cs = {};
    cs.style = dwDefaultStyle;
    cs.x = cs.y = cs.cx = cs.cy = CW_USEDEFAULT;
    cs.hMenu = ::LoadMenuW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nIDResource));
    cs.hInstance = AfxGetResourceHandle();
    cs.lpszName = wideTitle.c_str();
    cs.lpszClass = className.c_str();
    cs.lpCreateParams = pContext;
    if (!PreCreateWindow(cs)) {
        if (cs.hMenu != nullptr)
            ::DestroyMenu(cs.hMenu);
        delete this;
        return FALSE;
    }
    cs.style &= ~(DWORD)FWS_ADDTOTITLE;

    m_pCreateContext = pContext;
    PendingCreation() = this;
    HWND hWnd = ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy,
                                  cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    bool bound = PendingCreation() != this;
    PendingCreation() = nullptr;
    if (hWnd == nullptr) {
        // When the window got as far as its first message, its own teardown has deleted this object.
        if (!bound)
            delete this;
        return FALSE;
    }
    m_pCreateContext = nullptr;
    return TRUE;
}

void CFrameWnd::InitialUpdateFrame(CDocument* pDoc)
{
    if (m_pActiveView != nullptr)
        m_pActiveView->OnInitialUpdate();
    CWinApp* pApp = AfxGetApp();
    int nCmdShow = SW_SHOW;
    if (pApp != nullptr && pApp->m_pMainWnd == this) {
        nCmdShow = pApp->m_nCmdShow;
        pApp->m_nCmdShow = SW_SHOW; // the start-up show command is used once
    }
    ActivateFrame(nCmdShow);
}

void CFrameWnd::ActivateFrame(int nCmdShow)
{
    ShowWindow(nCmdShow);
    if (IsWindowVisible())
        ::BringWindowToTop(m_hWnd);
}

void CFrameWnd::DockControlBar(CControlBar* pBar)
{
    m_pTopBar = pBar;
    RecalcLayout();
}

void CFrameWnd::RecalcLayout()
{
    if (m_hWnd == nullptr)
        return;
    RECT rc;
    GetClientRect(&rc);
    if (m_pTopBar != nullptr && m_pTopBar->m_hWnd != nullptr) {
        m_pTopBar->SendMessage(TB_AUTOSIZE);
        rc.top += m_pTopBar->GetHeight();
    }
    HWND hStatus = GetDlgItem(AFX_IDW_STATUS_BAR);
    if (hStatus != nullptr) {
        ::SendMessageW(hStatus, WM_SIZE, 0, 0);
        RECT rcStatus;
        ::GetWindowRect(hStatus, &rcStatus);
        rc.bottom -= rcStatus.bottom - rcStatus.top;
    }
    if (m_pActiveView != nullptr && m_pActiveView->m_hWnd != nullptr)
        m_pActiveView->MoveWindow(rc.left, rc.top, rc.right - rc.left, rc.bottom > rc.top ? rc.bottom - rc.top : 0);
}

int CFrameWnd::OnCreate(LPCREATESTRUCTW lpcs)
{
    CCreateContext* pContext = static_cast<CCreateContext*>(lpcs->lpCreateParams);
    if (pContext == nullptr || pContext->m_pfnNewView == nullptr)
        return 0;
    CView* pView = pContext->m_pfnNewView();
    pView->m_pDocument = pContext->m_pCurrentDoc;
    if (!pView->Create(this, AFX_IDW_PANE_FIRST)) {
        delete pView;
        return -1;
    }
    SetActiveView(pView);
    return 0;
}

void CFrameWnd::OnClose()
{
    CWinApp* pApp = AfxGetApp();
    if (pApp != nullptr && pApp->m_pMainWnd == this) {
        // Closing the document destroys this frame; it is gone once the main window is cleared.
        pApp->CloseAllDocuments(FALSE);
        if (pApp->m_pMainWnd == nullptr)
            return;
    }
    DestroyWindow();
}

void CFrameWnd::OnHelpFinder()
{
    if (AfxGetApp() != nullptr)
        AfxGetApp()->WinHelp(0, HELP_FINDER);
}

void CFrameWnd::OnHelp()
{
    if (AfxGetApp() != nullptr)
        AfxGetApp()->WinHelp(0, HELP_CONTENTS);
}

void CFrameWnd::OnContextHelp()
{
    // No window of this program is ever shown for a help pointer to point at; offer the contents.
    OnHelp();
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode)
{
    if (m_pActiveView != nullptr && m_pActiveView->OnCmdMsg(nID, nCode))
        return TRUE;
    if (nCode == 0) {
        switch (nID) {
        case ID_HELP_FINDER:
        case ID_DEFAULT_HELP:
            OnHelpFinder();
            return TRUE;
        case ID_HELP:
            OnHelp();
            return TRUE;
        case ID_CONTEXT_HELP:
            OnContextHelp();
            return TRUE;
        default:
            break;
        }
    }
    return AfxGetApp() != nullptr && AfxGetApp()->OnCmdMsg(nID, nCode);
}

LRESULT CFrameWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        return OnCreate(reinterpret_cast<LPCREATESTRUCTW>(lParam));
    case WM_SIZE:
        RecalcLayout();
        return 0;
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        // Log-off or system shutdown: close the document as a real close does, so teardown runs.
        if (wParam && AfxGetApp() != nullptr)
            AfxGetApp()->CloseAllDocuments(TRUE);
        return 0;
    case WM_NCDESTROY:
        if (AfxGetApp() != nullptr && AfxGetApp()->m_pMainWnd == this) {
            AfxGetApp()->CloseHelp();
            AfxGetApp()->m_pMainWnd = nullptr;
            ::PostQuitMessage(0);
        }
        break;
    default:
        break;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}
