// The hotkey at the file dialog: the menu beside its field, a pick filling that very dialog, and the
// folders open in Explorer that both menus list.
#include "watcher/TrovelView.h"
#include "fw/NestedLoop.h"
#include "watcher/DialogMenu.h"
#include "watcher/PathInjection.h"
#include "watcher/ScanCandidates.h"

FolderSourceRead CTrovelView::SourceRead()
{
    FolderSourceRead read;
    read.settings = m_dialogSettings;
    read.shellWindows = m_pfnShellWindows;
    read.pShellContext = m_pShellWindowsContext;
    read.pbShellCannotCount = &m_bShellListCannotCount;
    read.hJustLeft = m_frontHistory.JustLeft();
    read.recentFolder = m_strRecentFolder;
    for (const auto& entry : m_pathList)
        read.listedAbove.push_back(entry->strPath);
    return read;
}

ListedFolders CTrovelView::ListedFoldersNow()
{
    // Read when a menu opens, never in the background; each source bounded as the paste's sends are.
    FolderSourceRead read = SourceRead();
    ReadFolderSources(read);
    return read.listed;
}

void CTrovelView::StartDialogHotkey()
{
    // The front is followed even without a key: the menus name the file manager just left.
    m_dialogHotkey.Start(m_hWnd, m_dialogSettings.wHotkey, &CTrovelView::FrontWindowOf,
                         &CTrovelView::TellHotkeyTaken, this, &CTrovelView::NoteFront);
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

void CTrovelView::NoteFront(void* pContext, HWND hFront, bool bFileDialog)
{
    auto* pView = static_cast<CTrovelView*>(pContext);
    HWND hFrom = nullptr;
    // Posted: the hook's report is no place to call into Explorer and the dialog.
    if (pView->m_frontHistory.OnFrontChanged(hFront, bFileDialog, &hFrom) && pView->m_dialogSettings.bFollowFileManager)
        pView->PostMessage(WM_FOLLOW_FILE_MANAGER, (WPARAM)hFront, (LPARAM)hFrom);
}

LRESULT CTrovelView::OnFollowFileManager(WPARAM wParam, LPARAM lParam)
{
    const HWND hDialog = (HWND)wParam;
    // Only while the user is still at that dialog, and never under a loop of the program's.
    if (!m_dialogSettings.bFollowFileManager || CNestedLoop::Depth() > 0 || ShutdownPending() ||
        ::GetForegroundWindow() != hDialog || !IsDialogInFront(this, hDialog))
        return 0;
    const DialogMatch match = RecogniseWindow(hDialog, nullptr);
    // A dialog that would choose the folder rather than go there (a folder picker) is left alone.
    if (match.nKind < 0 || !GoesToFolder(kDialogKinds[match.nKind], hDialog))
        return 0;
    FolderSourceRead read = SourceRead();
    const std::string folder = FolderShownIn((HWND)lParam, read);
    if (folder.empty() || ::GetForegroundWindow() != hDialog)
        return 0;
    if (m_lastTaken.hDialog == hDialog && FolderKey(m_lastTaken.strFolder) == FolderKey(folder))
        return 0; // it is there already
    BeginPick();
    GoToFolder(hDialog, match.nKind, match.nCtrlId, folder);
    return 0;
}

void CTrovelView::OnHotkey(WPARAM wParam)
{
    // Not over a menu, box or dialog of the program's, nor while it waits on another program.
    if (wParam != (WPARAM)CDialogHotkey::kHotkeyId || CNestedLoop::Depth() > 0 || ShutdownPending())
        return;
    // The dialog is the one in front now: found from its handle, no scan and no settle wait.
    const HWND hDialog = ::GetForegroundWindow();
    if (!IsDialogInFront(this, hDialog))
        return;
    const DialogMatch match = RecogniseWindow(hDialog, nullptr);
    const HWND hField = FindFileNameField(hDialog, kDialogKinds[match.nKind], match.nCtrlId);
    const std::vector<MenuRow> rows = BuildFolderRows(m_pathList, ListedFoldersNow(), MenuFor::Dialog);
    if (hField == nullptr || rows.empty())
        return;
    bool bLeftFor = false;
    const UINT nPicked = TrackMenuBesideField(hField, rows, &bLeftFor);
    // A close that came while the menu was open goes on once this handler has returned; the
    // dialog is left as it is.
    if (ShutdownPending() || bLeftFor)
        return;
    const MenuRow* pRow = FindMenuRow(rows, nPicked);
    ReturnToDialog(hDialog, hField);
    if (pRow != nullptr)
        PickAtDialog(hDialog, match.nKind, match.nCtrlId, pRow->strFolder);
}
