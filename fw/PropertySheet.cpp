// Property sheet and pages over the common controls' PropertySheetW.
#include "fw/PropertySheet.h"
#include "fw/NestedLoop.h"

#include <cstring>

BOOL CPropertyPage::OnApply()
{
    if (!UpdateData(TRUE))
        return FALSE;
    OnOK();
    return TRUE;
}

BOOL CPropertyPage::OnCmdMsg(UINT nID, int nCode)
{
    // IDOK and IDCANCEL belong to the sheet; a page must not treat them as its own OK or Cancel.
    return CWnd::OnCmdMsg(nID, nCode);
}

BOOL CPropertyPage::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    const NMHDR* pHdr = reinterpret_cast<const NMHDR*>(lParam);
    if (pHdr->hwndFrom != GetSheetWindow())
        return CDialog::OnNotify(wParam, lParam, pResult);
    switch (pHdr->code) {
    case PSN_SETACTIVE:
        *pResult = OnSetActive() ? 0 : -1;
        return TRUE;
    case PSN_KILLACTIVE:
        *pResult = OnKillActive() ? FALSE : TRUE;
        return TRUE;
    case PSN_APPLY:
        if (OnApply()) {
            // The sheet's own result tells "changes saved", not "OK pressed"; the sheet notes it here.
            if (auto* pSheet = dynamic_cast<CPropertySheet*>(FromHandlePermanent(GetSheetWindow())))
                pSheet->m_bApplied = true;
            *pResult = PSNRET_NOERROR;
        } else {
            *pResult = PSNRET_INVALID_NOCHANGEPAGE;
        }
        return TRUE;
    case PSN_RESET:
        OnReset();
        *pResult = 0;
        return TRUE;
    default:
        return CDialog::OnNotify(wParam, lParam, pResult);
    }
}

void CPropertyPage::FillPageRecord(PROPSHEETPAGEW& psp)
{
    psp = PROPSHEETPAGEW{};
    // The first layout is understood by every version of the common controls.
    psp.dwSize = PROPSHEETPAGEW_V1_SIZE;
    psp.dwFlags = PSP_DEFAULT; // no PSP_USETITLE: the tab takes the template's caption
    psp.hInstance = AfxGetResourceHandle();
    psp.pszTemplate = MAKEINTRESOURCEW(m_nIDTemplate);
    psp.pfnDlgProc = &CPropertyPage::PageDlgProc;
    psp.lParam = reinterpret_cast<LPARAM>(this);
}

INT_PTR CALLBACK CPropertyPage::PageDlgProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = FromHandlePermanent(hWnd);
    if (pWnd == nullptr && msg == WM_INITDIALOG) {
        // The sheet hands each page a copy of its record; the page object travels in its lParam.
        const PROPSHEETPAGEW* psp = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
        CPropertyPage* pPage = psp != nullptr ? reinterpret_cast<CPropertyPage*>(psp->lParam) : nullptr;
        if (pPage != nullptr)
            pPage->Bind(hWnd);
        pWnd = pPage;
    }
    return DispatchDialogMessage(pWnd, hWnd, msg, wParam, lParam);
}

CPropertySheet::CPropertySheet(const char* pszCaption, CWnd* pParentWnd, UINT iSelectPage)
    : m_psh{}, m_strCaption(pszCaption != nullptr ? pszCaption : ""), m_pParentWnd(pParentWnd)
{
    m_psh.dwSize = PROPSHEETHEADERW_V1_SIZE;
    m_psh.dwFlags = PSH_PROPSHEETPAGE | PSH_USECALLBACK;
    m_psh.nStartPage = iSelectPage;
}

CPropertySheet::~CPropertySheet()
{
    m_hWnd = nullptr; // borrowed only, and gone with the modal loop
}

CPropertySheet*& CPropertySheet::PendingSheet()
{
    static thread_local CPropertySheet* pending = nullptr;
    return pending;
}

int CALLBACK CPropertySheet::SheetCallback(HWND hWnd, UINT uMsg, LPARAM lParam)
{
    switch (uMsg) {
    case PSCB_PRECREATE: {
        // The pages offer no context help, so the sheet shows no "?" button.
        DLGTEMPLATE* pTemplate = reinterpret_cast<DLGTEMPLATE*>(lParam);
        if (pTemplate == nullptr)
            break;
        if (reinterpret_cast<const WORD*>(pTemplate)[1] == 0xFFFF) {
            // Extended template: help id, extended style, style follow the version and signature words.
            DWORD* pFields = reinterpret_cast<DWORD*>(reinterpret_cast<BYTE*>(pTemplate) + 4);
            pFields[1] &= ~(DWORD)WS_EX_CONTEXTHELP;
            pFields[2] &= ~(DWORD)DS_CONTEXTHELP;
        } else {
            pTemplate->style &= ~(DWORD)DS_CONTEXTHELP;
            pTemplate->dwExtendedStyle &= ~(DWORD)WS_EX_CONTEXTHELP;
        }
        break;
    }
    case PSCB_INITIALIZED:
        if (PendingSheet() != nullptr) {
            PendingSheet()->Attach(hWnd);
            PendingSheet() = nullptr;
        }
        // Placed from the hidden frame's corner, the sheet would reach past the screen at 150 %.
        AfxKeepInsideWorkArea(hWnd);
        break;
    default:
        break;
    }
    return 0;
}

INT_PTR CPropertySheet::DoModal()
{
    // The sheet steps through the records by their dwSize, so they are packed at the first layout's size.
    const size_t stride = PROPSHEETPAGEW_V1_SIZE;
    std::vector<BYTE> records(m_pages.size() * stride);
    for (size_t i = 0; i < m_pages.size(); ++i) {
        PROPSHEETPAGEW psp;
        m_pages[i]->FillPageRecord(psp);
        std::memcpy(&records[i * stride], &psp, stride);
    }

    m_psh.dwFlags |= PSH_PROPSHEETPAGE | PSH_USECALLBACK;
    m_psh.dwFlags &= ~(DWORD)PSH_MODELESS;
    m_psh.hwndParent = m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd
                                              : (AfxGetMainWnd() != nullptr ? AfxGetMainWnd()->m_hWnd : nullptr);
    m_psh.hInstance = AfxGetResourceHandle();
    const std::wstring caption = Utf8ToWide(m_strCaption);
    m_psh.pszCaption = caption.c_str();
    m_psh.nPages = (UINT)m_pages.size();
    if (m_psh.nStartPage >= m_psh.nPages)
        m_psh.nStartPage = 0;
    m_psh.ppsp = reinterpret_cast<LPCPROPSHEETPAGEW>(records.data());
    m_psh.pfnCallback = &CPropertySheet::SheetCallback;

    // Claimed by the callback as soon as the sheet window exists.
    m_bApplied = false;
    PendingSheet() = this;
    INT_PTR result = 0;
    {
        CNestedLoop loop(CNestedLoop::Modal);
        result = ::PropertySheetW(&m_psh);
    }
    if (PendingSheet() == this)
        PendingSheet() = nullptr;
    m_hWnd = nullptr;
    m_psh.ppsp = nullptr;
    m_psh.pszCaption = nullptr;

    if (result < 0 && !m_bApplied)
        return -1;
    // A positive value (1, or a restart request) means OK; so does an OK the pages applied, since some
    // versions of the sheet answer 0 when no page reported a change.
    return result > 0 || m_bApplied ? IDOK : IDCANCEL;
}
