// Views of the single-document pattern.
#include "fw/View.h"
#include "fw/FrameWnd.h"

CFrameWnd* CView::GetParentFrame() const
{
    return dynamic_cast<CFrameWnd*>(FromHandlePermanent(::GetParent(m_hWnd)));
}

BOOL CFormView::Create(CFrameWnd* pParent, UINT nID)
{
    PendingCreation() = this;
    HWND hWnd = ::CreateDialogParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIDTemplate), pParent->m_hWnd,
                                     &CWnd::DlgProc, 0);
    PendingCreation() = nullptr;
    if (hWnd == nullptr)
        return FALSE;
    ::SetWindowLongPtrW(hWnd, GWLP_ID, (LONG_PTR)nID);
    ::ShowWindow(hWnd, SW_SHOW);
    return TRUE;
}
