// Hyperlink control: link colours and underline at paint, hand cursor while hovered, shell open on click.
#include "about/StaticLink.h"
#include "res/resource.h"

#include <windowsx.h>

const char kContactMailMarker[] = "trovel@";

namespace {
const char kMailtoPrefix[] = "mailto:";
}

std::string LinkShellText(const std::string& link)
{
    if (link.find(kContactMailMarker) == std::string::npos)
        return link;
    // A target that already names the scheme would otherwise become "mailto:mailto:...".
    const size_t prefixLength = sizeof(kMailtoPrefix) - 1;
    if (link.size() >= prefixLength &&
        ::CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, Utf8ToWide(link.substr(0, prefixLength)).c_str(),
                         (int)prefixLength, Utf8ToWide(kMailtoPrefix).c_str(), (int)prefixLength) == CSTR_EQUAL)
        return link;
    return kMailtoPrefix + link;
}

COLORREF LinkTextColor(const int* pbVisited, COLORREF colorUnvisited, COLORREF colorVisited)
{
    return pbVisited != nullptr && *pbVisited == 1 ? colorVisited : colorUnvisited;
}

bool IsLinkTextStyle(DWORD dwStyle)
{
    // Only the type field: SS_NOPREFIX also sits in the low byte, and a link text may well need it.
    return (dwStyle & SS_TYPEMASK) <= SS_RIGHT;
}

HINSTANCE CStaticLink::ShellOpen(const char* pszText)
{
    return ::ShellExecuteW(nullptr, L"open", Utf8ToWide(pszText).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

HINSTANCE (*CStaticLink::s_pfnShellOpen)(const char*) = &CStaticLink::ShellOpen;
BOOL (WINAPI* CStaticLink::s_pfnBeep)(UINT) = &::MessageBeep;

CStaticLink::~CStaticLink()
{
    if (m_hWnd != nullptr && m_font.GetSafeHandle() != nullptr &&
        (HFONT)SendMessage(WM_GETFONT) == m_font.GetSafeHandle())
        SendMessage(WM_SETFONT, (WPARAM)m_hFontOriginal, FALSE);
}

HBRUSH CStaticLink::CtlColor(HDC hDC)
{
    // Without SS_NOTIFY a static neither reports clicks nor receives the mouse at all.
    DWORD dwStyle = GetStyle();
    if ((dwStyle & SS_NOTIFY) == 0)
        ModifyStyle(0, SS_NOTIFY);
    if (!IsLinkTextStyle(dwStyle))
        return nullptr;

    if (m_font.GetSafeHandle() == nullptr) {
        m_hFontOriginal = (HFONT)SendMessage(WM_GETFONT);
        LOGFONTW lf;
        if (::GetObjectW(m_hFontOriginal, sizeof(lf), &lf) == sizeof(lf)) {
            lf.lfUnderline = TRUE;
            m_font.CreateFontIndirect(&lf);
        }
        // Some static implementations select the control's own font after asking for colours: as
        // that font too, the underline shows everywhere, from this first paint on.
        if (m_font.GetSafeHandle() != nullptr)
            SendMessage(WM_SETFONT, (WPARAM)m_font.GetSafeHandle(), FALSE);
    }
    if (m_font.GetSafeHandle() != nullptr)
        ::SelectObject(hDC, m_font.GetSafeHandle());
    ::SetTextColor(hDC, LinkTextColor(m_pbVisited, m_colorUnvisited, m_colorVisited));
    ::SetBkMode(hDC, TRANSPARENT);
    return (HBRUSH)::GetStockObject(NULL_BRUSH);
}

void CStaticLink::OnClicked()
{
    if (m_link.empty())
        m_link = GetWindowText();
    // m_link itself never gets the prefix, so every click opens the same address.
    std::string text = LinkShellText(m_link);

    m_bCaptured = FALSE;
    ::ReleaseCapture();
    m_bClickHoldoff = TRUE;
    SetTimer(kHoldoffTimerId, kHoldoffPeriod);

    HINSTANCE hResult = s_pfnShellOpen(text.c_str());
    if ((INT_PTR)hResult <= 32) {
        AfxTrace("*** WARNING: CStaticLink: unable to execute file %s\n", m_link.c_str());
        s_pfnBeep(0);
        return;
    }
    if (m_pbVisited != nullptr)
        *m_pbVisited = 1;
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    Invalidate(TRUE);
}

void CStaticLink::OnMouseMove(UINT nFlags, POINT point)
{
    Default();
    if (m_bClickHoldoff)
        return;
    RECT rc;
    GetClientRect(&rc);
    bool bInside = ::PtInRect(&rc, point) != FALSE;
    if (bInside && !m_bCaptured) {
        // The capture lets the control hear the move that takes the pointer out again.
        m_bCaptured = TRUE;
        ::SetCapture(m_hWnd);
        ::SetCursor(::LoadCursorW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDC_HAND_POINTER)));
    } else if (!bInside && m_bCaptured) {
        ::ReleaseCapture();
        m_bCaptured = FALSE;
        ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    }
}

void CStaticLink::OnTimer(UINT_PTR nIDEvent)
{
    Default();
    if (nIDEvent == kHoldoffTimerId) {
        KillTimer(kHoldoffTimerId);
        m_bClickHoldoff = FALSE;
    }
}

void CStaticLink::OnCaptureChanged(HWND hWndNew)
{
    Default();
    // Capture taken away (another window, task switch): without this the link would believe it still
    // holds it and never show the hand again.
    if (hWndNew != m_hWnd)
        m_bCaptured = FALSE;
}

BOOL CStaticLink::OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    switch (msg) {
    case WM_CTLCOLORSTATIC: {
        HBRUSH hBrush = CtlColor((HDC)wParam);
        if (hBrush == nullptr)
            return FALSE; // the dialog draws it as usual
        *pResult = (LRESULT)hBrush;
        return TRUE;
    }
    case WM_COMMAND:
        if (HIWORD(wParam) == STN_CLICKED) {
            OnClicked();
            *pResult = 0;
            return TRUE;
        }
        return FALSE;
    default:
        return CStatic::OnChildNotify(msg, wParam, lParam, pResult);
    }
}

LRESULT CStaticLink::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_MOUSEMOVE:
        OnMouseMove((UINT)wParam, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_TIMER:
        OnTimer((UINT_PTR)wParam);
        return 0;
    case WM_CAPTURECHANGED:
        OnCaptureChanged((HWND)lParam);
        return 0;
    default:
        return CStatic::WindowProc(msg, wParam, lParam);
    }
}
