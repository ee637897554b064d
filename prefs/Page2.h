// The "Other Settings" page: restore the new-user help, start with Windows, open the About box.
#pragma once

#include "fw/PropertySheet.h"
#include "res/resource.h"

class CPage2 : public CPropertyPage {
public:
    CPage2();

    BOOL m_bRestoreTips = FALSE; // read by the sheet after OK; never loaded from the registry
    WORD m_wHotkey = 0;          // the hotkey at the file dialog (kHotkeyFlagWin kept), 0 for none; set by the sheet
    BOOL m_bListOpenFolders = TRUE; // the menus list the folders open in Explorer; set by the sheet
    BOOL m_bGoToFolder = TRUE;      // a pick at the dialog goes to the folder; set by the sheet
    BOOL m_bListRecentFolders = TRUE;  // the menus list the folders used recently; set by the sheet
    BOOL m_bFollowFileManager = FALSE; // a dialog follows the file manager left for it; set by the sheet
    BOOL m_bStartWithWindows = FALSE; // the user's Run value, set by the sheet before and applied after OK

    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnAboutButton();
    BOOL OnCmdMsg(UINT nID, int nCode) override;
};
