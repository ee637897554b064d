// Data exchange routines for the control kinds the program's dialogs use.
#include "fw/DataExchange.h"

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (rControl.m_hWnd == nullptr)
        rControl.Attach(pDX->m_pDlgWnd->GetDlgItem(nIDC));
}

void DDX_Text(CDataExchange* pDX, int nIDC, std::string& value)
{
    HWND hCtl = pDX->m_pDlgWnd->GetDlgItem(nIDC);
    if (pDX->m_bSaveAndValidate) {
        value = AfxGetWindowText(hCtl);
    } else {
        AfxSetWindowText(hCtl, value);
    }
}

void DDX_Check(CDataExchange* pDX, int nIDC, BOOL& value)
{
    HWND hCtl = pDX->m_pDlgWnd->GetDlgItem(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = (int)::SendMessageW(hCtl, BM_GETCHECK, 0, 0);
    else
        ::SendMessageW(hCtl, BM_SETCHECK, (WPARAM)(value ? BST_CHECKED : BST_UNCHECKED), 0);
}
