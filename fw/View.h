// Views: the child window of a frame that shows its document; the form view is built on a dialog template.
#pragma once

#include "fw/Wnd.h"

class CDocument;
class CFrameWnd;

class CView : public CWnd {
public:
    CDocument* m_pDocument = nullptr;

    virtual BOOL Create(CFrameWnd* pParent, UINT nID) = 0;
    virtual void OnInitialUpdate() {}
    CFrameWnd* GetParentFrame() const;

protected:
    void PostNcDestroy() override { delete this; }
};

class CFormView : public CView {
public:
    explicit CFormView(UINT nIDTemplate) : m_nIDTemplate(nIDTemplate) { m_bDialog = true; }
    BOOL Create(CFrameWnd* pParent, UINT nID) override;
    void OnInitialUpdate() override { UpdateData(FALSE); }

protected:
    UINT m_nIDTemplate;
};
