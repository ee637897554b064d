// Property sheets on the common controls' sheet, and the pages that run inside them.
#pragma once

#include "fw/Dialog.h"

#include <vector>

class CPropertySheet;

// One page: a child dialog on a template, bound at WM_INITDIALOG. The tab shows the template's caption.
class CPropertyPage : public CDialog {
public:
    explicit CPropertyPage(UINT nIDTemplate) : CDialog(nIDTemplate) {}

    // Sheet notifications. OnKillActive and OnApply return FALSE to keep the page open.
    virtual BOOL OnSetActive() { return TRUE; }
    virtual BOOL OnKillActive() { return UpdateData(TRUE); }
    // OK pressed: the page's controls go to its members first, then OnOK commits.
    virtual BOOL OnApply();
    virtual void OnReset() { OnCancel(); }
    // A page does not end the dialog itself; the sheet does.
    void OnOK() override {}
    void OnCancel() override {}
    BOOL OnCmdMsg(UINT nID, int nCode) override;

    // The sheet window the page lives in, or null before the page is created.
    HWND GetSheetWindow() const { return m_hWnd != nullptr ? ::GetParent(m_hWnd) : nullptr; }

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

private:
    friend class CPropertySheet;
    void FillPageRecord(PROPSHEETPAGEW& psp);
    static INT_PTR CALLBACK PageDlgProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
};

// A modal sheet of pages with OK and Cancel. With no parent the owner is the application's main window.
// The window is only borrowed: the sheet's own code owns and destroys it, and the pages with it.
class CPropertySheet : public CWnd {
public:
    explicit CPropertySheet(const char* pszCaption = nullptr, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    ~CPropertySheet() override;

    // Header given to the common controls; callers may add flags (PSH_NOAPPLYNOW) before DoModal.
    PROPSHEETHEADERW m_psh;

    void AddPage(CPropertyPage* pPage) { m_pages.push_back(pPage); }
    void SetTitle(const char* pszText) { m_strCaption = pszText != nullptr ? pszText : ""; }

    // Runs the sheet; IDOK when it was closed with OK, IDCANCEL otherwise, -1 when it could not be shown.
    // m_hWnd holds the sheet's window while it is up.
    INT_PTR DoModal();

private:
    friend class CPropertyPage;
    static int CALLBACK SheetCallback(HWND hWnd, UINT uMsg, LPARAM lParam);
    static CPropertySheet*& PendingSheet();

    std::vector<CPropertyPage*> m_pages;
    std::string m_strCaption;
    CWnd* m_pParentWnd;
    bool m_bApplied = false; // the pages accepted OK during this showing
};
