// Window base: binding, dispatch, reflection and default processing.
#include "fw/Wnd.h"
#include "fw/DataExchange.h"

namespace {
// The bound object is kept in a window property so that any window, ours or subclassed, can carry one.
const wchar_t kBoundObjectProp[] = L"Trovel.CWnd";
}

CWnd::~CWnd()
{
    if (m_pbAlive != nullptr)
        *m_pbAlive = false;
    if (m_hWnd == nullptr)
        return;
    if (FromHandlePermanent(m_hWnd) != this) {
        m_hWnd = nullptr; // only borrowed
        return;
    }
    if (m_pfnSuper != nullptr) {
        // A subclassed control outliving its object goes back to its own procedure.
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, (LONG_PTR)m_pfnSuper);
        Unbind();
    } else {
        ::DestroyWindow(m_hWnd);
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    return hWnd != nullptr ? static_cast<CWnd*>(::GetPropW(hWnd, kBoundObjectProp)) : nullptr;
}

CWnd*& CWnd::PendingCreation()
{
    static thread_local CWnd* pending = nullptr;
    return pending;
}

void CWnd::Bind(HWND hWnd)
{
    m_hWnd = hWnd;
    ::SetPropW(hWnd, kBoundObjectProp, this);
}

void CWnd::Unbind()
{
    if (m_hWnd != nullptr)
        ::RemovePropW(m_hWnd, kBoundObjectProp);
    m_hWnd = nullptr;
    m_pfnSuper = nullptr;
}

HWND CWnd::Detach()
{
    HWND hWnd = m_hWnd;
    m_hWnd = nullptr;
    return hWnd;
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (hWnd == nullptr || FromHandlePermanent(hWnd) != nullptr)
        return FALSE;
    Bind(hWnd);
    m_pfnSuper = (WNDPROC)::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, (LONG_PTR)&CWnd::StdWndProc);
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    return pParent != nullptr && SubclassWindow(::GetDlgItem(pParent->m_hWnd, (int)nID));
}

BOOL CWnd::DestroyWindow()
{
    return m_hWnd != nullptr && ::DestroyWindow(m_hWnd);
}

std::string CWnd::GetWindowText() const
{
    return AfxGetWindowText(m_hWnd);
}

void CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd)
{
    DWORD style = GetStyle();
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, (LONG_PTR)((style & ~dwRemove) | dwAdd));
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
    // The controls' change notifications caused by filling them are not the user's doing.
    bool saved = m_bLockoutNotify;
    m_bLockoutNotify = true;
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    m_bLockoutNotify = saved;
    return TRUE;
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper != nullptr)
        return ::CallWindowProcW(m_pfnSuper, m_hWnd, msg, wParam, lParam);
    if (m_bDialog) {
        m_bUnhandled = true; // the dialog manager does the default work
        return 0;
    }
    return ::DefWindowProcW(m_hWnd, msg, wParam, lParam);
}

LRESULT CWnd::Default()
{
    return DefWindowProc(m_current.msg, m_current.wParam, m_current.lParam);
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    switch (msg) {
    case WM_COMMAND:
        if (lParam != 0) {
            if (m_bLockoutNotify)
                return 0;
            CWnd* pChild = FromHandlePermanent((HWND)lParam);
            if (pChild != nullptr && pChild != this && pChild->OnChildNotify(msg, wParam, lParam, &result))
                return result;
        }
        if (OnCmdMsg(LOWORD(wParam), HIWORD(wParam)))
            return 0;
        break;
    case WM_NOTIFY: {
        const NMHDR* pHdr = reinterpret_cast<const NMHDR*>(lParam);
        CWnd* pChild = FromHandlePermanent(pHdr->hwndFrom);
        if (pChild != nullptr && pChild != this && pChild->OnChildNotify(msg, wParam, lParam, &result))
            return result;
        if (OnNotify(wParam, lParam, &result))
            return result;
        break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
        CWnd* pChild = FromHandlePermanent((HWND)lParam);
        if (pChild != nullptr && pChild != this && pChild->OnChildNotify(msg, wParam, lParam, &result))
            return result;
        break;
    }
    default:
        break;
    }
    return Default();
}

bool CWnd::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result, bool& bUnhandled)
{
    bool alive = true;
    bool* pOuterAlive = m_pbAlive;
    m_pbAlive = &alive;
    Message savedMessage = m_current;
    bool savedUnhandled = m_bUnhandled;
    m_current = Message{msg, wParam, lParam};
    m_bUnhandled = false;

    result = WindowProc(msg, wParam, lParam);

    if (!alive) {
        if (pOuterAlive != nullptr)
            *pOuterAlive = false; // outer dispatches of the same object must not touch it either
        bUnhandled = false;
        return false;
    }
    bUnhandled = m_bUnhandled;
    m_bUnhandled = savedUnhandled;
    m_current = savedMessage;
    m_pbAlive = pOuterAlive;
    return true;
}

LRESULT CALLBACK CWnd::StdWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = FromHandlePermanent(hWnd);
    if (pWnd == nullptr && PendingCreation() != nullptr) {
        // First message of a window this layer is creating (may come before WM_NCCREATE).
        pWnd = PendingCreation();
        PendingCreation() = nullptr;
        pWnd->Bind(hWnd);
    }
    if (pWnd == nullptr)
        return ::DefWindowProcW(hWnd, msg, wParam, lParam);

    LRESULT result = 0;
    bool unhandled = false;
    if (pWnd->Dispatch(msg, wParam, lParam, result, unhandled) && msg == WM_NCDESTROY) {
        pWnd->Unbind();
        pWnd->PostNcDestroy(); // may delete the object
    }
    return result;
}

INT_PTR CALLBACK CWnd::DlgProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = FromHandlePermanent(hWnd);
    if (pWnd == nullptr && PendingCreation() != nullptr) {
        pWnd = PendingCreation();
        PendingCreation() = nullptr;
        pWnd->Bind(hWnd);
    }
    return DispatchDialogMessage(pWnd, hWnd, msg, wParam, lParam);
}

INT_PTR CWnd::DispatchDialogMessage(CWnd* pWnd, HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (pWnd == nullptr)
        return FALSE;

    LRESULT result = 0;
    bool unhandled = false;
    bool alive = pWnd->Dispatch(msg, wParam, lParam, result, unhandled);

    if (alive && msg == WM_NCDESTROY) {
        pWnd->Unbind();
        pWnd->PostNcDestroy();
        return FALSE;
    }
    if (unhandled)
        return FALSE;
    switch (msg) {
    // These few return their result directly from a dialog procedure.
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM: case WM_VKEYTOITEM: case WM_CHARTOITEM: case WM_QUERYDRAGICON:
        return (INT_PTR)result;
    default:
        ::SetWindowLongPtrW(hWnd, DWLP_MSGRESULT, (LONG_PTR)result);
        return TRUE;
    }
}
