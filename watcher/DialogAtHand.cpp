// The hotkey at the file dialog: the menu beside its field, a pick filling that very dialog, and the
// folders open in Explorer that both menus list.
#include "watcher/TrovelView.h"
#include "watcher/DialogMenu.h"
#include "watcher/PathInjection.h"
#include "watcher/ScanCandidates.h"

std::vector<std::string> CTrovelView::OpenFolders()
{
    if (!m_dialogSettings.bListOpenFolders || m_pfnShellWindows == nullptr || m_bShellListCannotCount)
        return {};
    // Read when a menu opens, never in the background; bounded as the paste's sends are.
    return ReadOpenFolders(m_pfnShellWindows, m_pShellWindowsContext, kForeignReplyTimeout, kOpenFoldersMax,
                           &m_bShellListCannotCount);
}

void CTrovelView::StartDialogHotkey()
{
    m_dialogHotkey.Start(m_hWnd, m_dialogSettings.wHotkey, &CTrovelView::FrontWindowOf,
                         &CTrovelView::TellHotkeyTaken, this);
    // A stored key the program does not use: the user learns why the key does nothing, once a run.
    if (m_dialogSettings.wUnusableHotkey != 0) {
        const WORD wUnusable = m_dialogSettings.wUnusableHotkey;
        m_dialogSettings.wUnusableHotkey = 0;
        TellUser(HotkeyUnusableText(wUnusable));
    }
}

FrontWindow CTrovelView::FrontWindowOf(void* pContext, HWND hForeground)
{
    // This program's own windows in front (the menu at the dialog, and the window that owns it) are
    // there for the dialog: the key stays as it was.
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(hForeground, &dwProcessId);
    if (dwProcessId == static_cast<const CTrovelView*>(pContext)->m_dwOwnProcessId)
        return FrontWindow::PassedOver;
    return IsDialogInFront(pContext, hForeground) ? FrontWindow::FileDialog : FrontWindow::Other;
}

bool CTrovelView::IsDialogInFront(void* pContext, HWND hForeground)
{
    const CTrovelView* pView = static_cast<const CTrovelView*>(pContext);
    if (!IsCandidateWindow(hForeground, pView->m_dwOwnProcessId))
        return false;
    // A box over its own file dialog: the dialog is busy with it, and the key stays free meanwhile.
    // (A file dialog itself disables the window it belongs to.)
    HWND hOwner = DisabledOwnerUnderBox(hForeground, pView->m_dwOwnProcessId);
    if (hOwner != nullptr && pView->RecogniseWindow(hOwner, nullptr).nKind >= 0)
        return false;
    return pView->RecogniseWindow(hForeground, nullptr).nKind >= 0;
}

void CTrovelView::TellHotkeyTaken(void* pContext, const std::string& text)
{
    static_cast<CTrovelView*>(pContext)->TellUser(text);
}

void CTrovelView::OnHotkey(WPARAM wParam)
{
    if (wParam != (WPARAM)CDialogHotkey::kHotkeyId || m_bDialogShowing || m_bPasting)
        return;
    // The dialog is the one in front now: found from its handle, no scan and no settle wait.
    const HWND hDialog = ::GetForegroundWindow();
    if (!IsDialogInFront(this, hDialog))
        return;
    const DialogMatch match = RecogniseWindow(hDialog, nullptr);
    const HWND hField = FindFileNameField(hDialog, kDialogKinds[match.nKind], match.nCtrlId);
    const std::vector<MenuRow> rows = BuildFolderRows(m_pathList, OpenFolders());
    if (hField == nullptr || rows.empty())
        return;
    const UINT nPicked = TrackMenuBesideField(hField, rows);
    const MenuRow* pRow = FindMenuRow(rows, nPicked);
    if (pRow != nullptr) {
        // A copy: whatever runs during the paste's sends may change the lists.
        const std::string folder = pRow->strFolder;
        PasteInto(hDialog, match.nKind, match.nCtrlId, folder);
    }
    ReturnToDialog(hDialog, hField);
}
