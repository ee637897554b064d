// The "Other Settings" page.
#include "prefs/Page2.h"
#include "app/TrovelApp.h"
#include "fw/DataExchange.h"
#include "watcher/DialogHotkey.h"

CPage2::CPage2()
    : CPropertyPage(IDD_PAGE2)
{
    m_bRestoreTips = FALSE;
}

void CPage2::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_CHECK_RESTORE_TIPS, m_bRestoreTips);
    // The control has no Windows key: it shows the rest, and a key left as shown keeps it.
    const WORD wShown = m_wHotkey & ~MAKEWORD(0, kHotkeyFlagWin);
    WORD wControl = wShown;
    DDX_HotKey(pDX, IDC_HOTKEY_DIALOG, wControl);
    if (pDX->m_bSaveAndValidate && wControl != wShown)
        m_wHotkey = wControl;
    DDX_Check(pDX, IDC_CHECK_OPEN_FOLDERS, m_bListOpenFolders);
    DDX_Check(pDX, IDC_CHECK_GO_TO_FOLDER, m_bGoToFolder);
    DDX_Check(pDX, IDC_CHECK_RECENT_FOLDERS, m_bListRecentFolders);
    DDX_Check(pDX, IDC_CHECK_FOLLOW_FILE_MANAGER, m_bFollowFileManager);
    DDX_Check(pDX, IDC_CHECK_START_WITH_WINDOWS, m_bStartWithWindows);
}

BOOL CPage2::OnInitDialog()
{
    // A key alone or with Shift alone gets Ctrl, as the control does with a combination it is told to refuse.
    ::SendMessageW(GetDlgItem(IDC_HOTKEY_DIALOG), HKM_SETRULES, HKCOMB_NONE | HKCOMB_S, MAKELPARAM(HOTKEYF_CONTROL, 0));
    return CPropertyPage::OnInitDialog();
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
