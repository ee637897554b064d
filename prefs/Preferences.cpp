// The Preferences command: builds the sheet with both pages, runs it, writes the settings after OK.
#include "watcher/TrovelView.h"
#include "app/StartWithWindows.h"
#include "app/TrovelApp.h"
#include "fw/PropertySheet.h"
#include "prefs/Page1.h"
#include "prefs/Page2.h"

void CTrovelView::OnPreferences()
{
    if (m_pPreferencesSheet != nullptr) {
        // A double-click on the icon while the sheet is up (the tray lets it through): show the open
        // sheet, or the box open over it, instead of stacking a second sheet.
        HWND hSheet = m_pPreferencesSheet->m_hWnd;
        if (hSheet != nullptr)
            ::SetForegroundWindow(::GetLastActivePopup(hSheet));
        return;
    }

    // The sheet shows what is stored now: another copy or the user in regedit may have changed it.
    ReloadPathLists();

    CPropertySheet sheet;
    sheet.m_psh.dwFlags |= PSH_NOAPPLYNOW;
    sheet.SetTitle("Preferences");

    CPage1 page1;
    page1.m_bShowNetwork = AppRegistry().ReadInt("Tree", "Net", 1);
    page1.m_bShowRemovable = AppRegistry().ReadInt("Tree", "Remov", 1);
    sheet.AddPage(&page1);

    CPage2 page2;
    page2.m_wHotkey = m_dialogSettings.wHotkey;
    page2.m_bListOpenFolders = m_dialogSettings.bListOpenFolders;
    page2.m_bGoToFolder = m_dialogSettings.bGoToFolder;
    page2.m_bListRecentFolders = m_dialogSettings.bListRecentFolders;
    page2.m_bFollowFileManager = m_dialogSettings.bFollowFileManager;
    const BOOL startedWithWindows = StartsWithWindows();
    page2.m_bStartWithWindows = startedWithWindows;
    sheet.AddPage(&page2);

    // Restores the state it found, so Preferences opened over the About box leaves it protected.
    CDialogShowingScope showing(this);
    m_pPreferencesSheet = &sheet;
    INT_PTR result = sheet.DoModal();
    m_pPreferencesSheet = nullptr;

    if (result == IDOK) {
        // Only what changed: a value an administrator set (a REG_DWORD) keeps its form.
        AppRegistry().UpdateInt("Tree", "Net", page1.m_bShowNetwork);
        AppRegistry().UpdateInt("Tree", "Remov", page1.m_bShowRemovable);
        if (page2.m_bRestoreTips)
            AppRegistry().UpdateInt("Newbie", "Help", 0);
        // Only a changed box writes, so a Run value that names another copy stays until the user asks.
        if (page2.m_bStartWithWindows != startedWithWindows && !SetStartsWithWindows(page2.m_bStartWithWindows != FALSE))
            AfxMessageBox(m_hWnd, "Trovel could not change whether it starts when Windows starts.",
                          GetTrovelApp()->m_strAppName, MB_OK | MB_ICONEXCLAMATION);
        const DialogSettings shown = m_dialogSettings;
        m_dialogSettings = {page2.m_wHotkey, page2.m_bListOpenFolders, page2.m_bGoToFolder, page2.m_bListRecentFolders,
                            page2.m_bFollowFileManager};
        WriteDialogSettings(AppRegistry(), m_dialogSettings, &shown);
        StartDialogHotkey(); // the key may have changed: it is registered afresh
    }
    ReportUnsavedSettings();
}
