// The "Other Settings" page.
#include "prefs/Page2.h"
#include "app/TrovelApp.h"
#include "fw/DataExchange.h"

CPage2::CPage2()
    : CPropertyPage(IDD_PAGE2)
{
    m_bRestoreTips = FALSE;
}

void CPage2::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_CHECK_RESTORE_TIPS, m_bRestoreTips);
    DDX_HotKey(pDX, IDC_HOTKEY_DIALOG, m_wHotkey);
    DDX_Check(pDX, IDC_CHECK_OPEN_FOLDERS, m_bListOpenFolders);
    DDX_Check(pDX, IDC_CHECK_GO_TO_FOLDER, m_bGoToFolder);
    DDX_Check(pDX, IDC_CHECK_START_WITH_WINDOWS, m_bStartWithWindows);
}

void CPage2::OnAboutButton()
{
    // Modal over the sheet; the About box keeps the dialog-showing state it finds.
    GetTrovelApp()->OnAppAbout();
}

BOOL CPage2::OnCmdMsg(UINT nID, int nCode)
{
    if (nID == IDC_BTN_ABOUT && nCode == BN_CLICKED) {
        OnAboutButton();
        return TRUE;
    }
    return CPropertyPage::OnCmdMsg(nID, nCode);
}
