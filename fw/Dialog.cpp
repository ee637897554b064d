// Modal dialog of the framework layer.
#include "fw/Dialog.h"
#include "fw/NestedLoop.h"

HWND CDialog::GetOwnerWindow() const
{
    if (m_pParentWnd != nullptr)
        return m_pParentWnd->m_hWnd;
    CWnd* pMain = AfxGetMainWnd();
    // The main window's last active pop-up: a dialog opened from another modal one must disable
    // that one, not only the main window below it.
    return pMain != nullptr ? ::GetLastActivePopup(pMain->m_hWnd) : nullptr;
}

INT_PTR CDialog::DoModal()
{
    CNestedLoop loop(CNestedLoop::Modal);
    PendingCreation() = this;
    INT_PTR result = ::DialogBoxParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIDTemplate), GetOwnerWindow(),
                                       &CWnd::DlgProc, 0);
    PendingCreation() = nullptr;
    return result;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    // A box placed from its owner's corner can reach past the screen at large scales.
    if ((::GetWindowLongW(m_hWnd, GWL_STYLE) & WS_CHILD) == 0)
        AfxKeepInsideWorkArea(m_hWnd);
    return TRUE;
}

void CDialog::OnOK()
{
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

BOOL CDialog::OnCmdMsg(UINT nID, int nCode)
{
    if (nCode == BN_CLICKED && nID == IDOK) {
        OnOK();
        return TRUE;
    }
    if (nCode == BN_CLICKED && nID == IDCANCEL) {
        OnCancel();
        return TRUE;
    }
    return CWnd::OnCmdMsg(nID, nCode);
}

LRESULT CDialog::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITDIALOG)
        return OnInitDialog();
    return CWnd::WindowProc(msg, wParam, lParam);
}
