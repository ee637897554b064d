// Dialogs on a template: modal, with OK and Cancel handling and data exchange.
#pragma once

#include "fw/Wnd.h"

class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr)
        : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) { m_bDialog = true; }

    // Runs the dialog modally; returns the code given to EndDialog, or -1 when it cannot be shown.
    virtual INT_PTR DoModal();
    void EndDialog(int nResult) { ::EndDialog(m_hWnd, nResult); }

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    BOOL OnCmdMsg(UINT nID, int nCode) override;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Owner when none was given: the main window's last active pop-up (the main window when it has none).
    HWND GetOwnerWindow() const;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
};
