// The watcher view: construction, start routine, lists, tray events and commands.
#include "watcher/TrovelView.h"
#include "app/FrameGeometry.h"
#include "app/MainFrame.h"
#include "app/TrovelApp.h"
#include "res/resource.h"

#include <cstring>

namespace {
const char kTipNormal[] = "Trovel";
const char kTipDialogShowing[] = "Trovel Dialog Showing";
}

CTrovelView* GetTrovelView()
{
    CFrameWnd* pFrame = dynamic_cast<CFrameWnd*>(AfxGetMainWnd());
    return pFrame != nullptr ? dynamic_cast<CTrovelView*>(pFrame->GetActiveView()) : nullptr;
}

CTrovelView::CTrovelView()
    : CFormView(IDD_TROVEL_FORM)
{
    m_bDialogShowing = false;
    m_bFrameSizeKnown = false;
    m_hIcon = AfxLoadSmallIcon(IDR_MAINFRAME); // the notification area shows the small image
    m_bHelpShown = AppRegistry().ReadInt("Newbie", "Help", 0);

    OSVERSIONINFOW info;
    QueryOsVersion(info);
    m_nOSClass = OSClassFromVersion(info);

    // The folder tree's images, at the small-icon size of the display, in 32-bit colour where
    // the common controls draw alpha.
    m_pImageList = std::make_unique<CImageList>();
    const int size = AfxSmallIconSize();
    if (m_pImageList->Create(size, size, AfxImageListColour() | ILC_MASK, 8, 4)) {
        for (UINT id = IDI_DRIVE_REMOVABLE; id <= IDI_COMPUTER; ++id) {
            HICON hIcon = (HICON)::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0);
            m_pImageList->Add(hIcon);
            if (hIcon != nullptr)
                ::DestroyIcon(hIcon); // the image list keeps its own copy
        }
    }

    LoadPathLists();
    m_dialogSettings = ReadDialogSettings(AppRegistry());

    m_pSelectedPath = nullptr;
    m_hFoundWnd = nullptr;
    m_nFoundCtrlId = -1;
    m_bFound = false;
    m_uTaskbarCreatedMsg = TaskbarCreatedMessage();
}

CTrovelView::~CTrovelView()
{
    SavePathLists();
    FreeDialogList();
    FreePathList();
    m_pImageList.reset();
    // The icon goes before the image it was added with; the tray icon member would remove it too.
    m_trayIcon.RemoveIcon();
    if (m_hIcon != nullptr)
        ::DestroyIcon(m_hIcon);
}

void CTrovelView::OnInitialUpdate()
{
    CFormView::OnInitialUpdate();
    CMainFrame* pFrame = dynamic_cast<CMainFrame*>(GetParentFrame());
    if (pFrame != nullptr)
        pFrame->ArmStartTimer();
}

BOOL CTrovelView::IsWindowsNT()
{
    OSVERSIONINFOW info;
    BOOL queried = QueryOsVersion(info);
    return PassesOsGate(queried, info);
}

void CTrovelView::Start()
{
    if (m_trayIcon.Create(this, kTrayIconId, kTipNormal, m_hIcon, WM_TRAY_NOTIFY)) {
        m_trayIcon.SetIcon(IDR_MAINFRAME);
        CFrameWnd* pFrame = GetParentFrame();
        RECT rc = CalcFrameRect();
        if (pFrame != nullptr)
            pFrame->MoveWindow(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
        m_nFrameWidth = rc.right - rc.left;
        m_nFrameHeight = rc.bottom - rc.top;
        m_bFrameSizeKnown = true;
        m_trayIcon.SetTooltipText(kTipNormal);
    } else {
        // A close or session end that arrives while the box is up waits for it (see CNestedLoop).
        CDialogShowingScope showing(this);
        AfxMessageBox(m_hWnd, "Failed to create tray icon", GetTrovelApp()->m_strAppName, MB_OK | MB_ICONHAND);
    }
    if (ShutdownPending())
        return; // a close came while the box was up; it goes on from the queue
    StartDialogHotkey();

    // The flag says the user has seen the help: set only when it really opened (a missing file, or a
    // viewer that refuses it, leaves it for the next start).
    if (m_bHelpShown == 0 && AfxGetApp()->WinHelp(kNewUserHelpContext, HELP_CONTEXT))
        AppRegistry().WriteInt("Newbie", "Help", 1);
    ReportUndecodableSettingsFile();
    ReportUnsavedSettings();
}

void CTrovelView::ReportUndecodableSettingsFile()
{
    const CRegistryKey& reg = AppRegistry();
    if (reg.m_strUndecodableFile.empty() || ShutdownPending())
        return;
    const std::string text = UndecodableFileText(reg.m_strUndecodableFile);
    reg.m_strUndecodableFile.clear(); // the import ran once; so is it told
    CDialogShowingScope showing(this);
    AfxMessageBox(m_hWnd, text, GetTrovelApp()->m_strAppName, MB_OK | MB_ICONEXCLAMATION);
}

std::string UndecodableFileText(const std::string& fileName)
{
    return "Trovel could not read the settings file " + fileName +
           ": it is not text in an encoding Trovel knows. Nothing was taken from it; save it again as "
           "UTF-8 or ANSI text to use it.";
}

void CTrovelView::ReportUnsavedSettings()
{
    const CRegistryKey& reg = AppRegistry();
    CTrovelApp* pApp = GetTrovelApp();
    if ((!reg.m_bReadOnly && !reg.m_bWriteFailed) || pApp->m_bSettingsLossReported || ShutdownPending())
        return;
    pApp->m_bSettingsLossReported = TRUE; // once per run; the program keeps working without them
    CDialogShowingScope showing(this);
    AfxMessageBox(m_hWnd, kSettingsNotSavedText, pApp->m_strAppName, MB_OK | MB_ICONEXCLAMATION);
}

RECT CTrovelView::CalcFrameRect()
{
    RECT rcFrame = {}, rcGroup = {};
    CFrameWnd* pFrame = GetParentFrame();
    if (pFrame != nullptr)
        pFrame->GetWindowRect(&rcFrame);
    ::GetWindowRect(GetDlgItem(IDC_FRAME_MEASURE), &rcGroup);
    return FrameRectAroundGroup(rcFrame, rcGroup, CurrentFrameMetrics());
}

void CTrovelView::LoadPathLists()
{
    ::LoadPathLists(AppRegistry(), m_dialogList, m_pathList);
    m_savedLists = SnapshotOf(m_dialogList, m_pathList);
}

BOOL CTrovelView::SavePathLists()
{
    const CRegistryKey& reg = AppRegistry();
    if (SnapshotOf(m_dialogList, m_pathList) == m_savedLists)
        return TRUE;
    // Merged with what the store holds now, so another writer's change to a row this copy did not
    // change stays; the dialog table is never changed here, so it is left as stored.
    reg.RestoreIfGone();
    CDialogList storedDialogs;
    CPathList stored;
    std::vector<int> skippedRows;
    ::LoadPathLists(reg, storedDialogs, stored, &skippedRows);
    CPathList merged = MergePathLists(m_savedLists.paths, m_pathList, stored);
    if (!WritePathRows(reg, merged, skippedRows))
        return FALSE; // still different: the exit tries again
    FreePathList();
    m_pathList = std::move(merged);
    m_savedLists = SnapshotOf(m_dialogList, m_pathList);
    return TRUE;
}

void CTrovelView::ReloadPathLists()
{
    // A change not saved yet (the store refused it) is kept rather than read over, and so is
    // everything when the key has gone: the next write puts it back whole.
    if (!(SnapshotOf(m_dialogList, m_pathList) == m_savedLists) || !AppRegistry().RootExists())
        return;
    FreePathList();
    FreeDialogList();
    LoadPathLists();
}

void CTrovelView::FreePathList()
{
    // The selected entry refers into the list: it must not outlive it.
    m_pSelectedPath = nullptr;
    m_pathList.clear();
}

void CTrovelView::FreeDialogList()
{
    m_dialogList.clear();
}

int CTrovelView::InsertPathItems(CMenu* pPopup, bool bOpenFolders)
{
    // The same sections as the menu at the dialog, in the tray's order: the favourites on top.
    m_menuRows = BuildFolderRows(m_pathList, bOpenFolders ? ListedFoldersNow() : ListedFolders(), MenuFor::Tray);
    if (pPopup == nullptr)
        return 1;
    // Above the resource's leading separator; the count ends on "&Preferences...".
    return 1 + InsertMenuRows(pPopup->m_hMenu, 0, m_menuRows);
}

void CTrovelView::SetDialogShowing(bool bShowing)
{
    m_bDialogShowing = bShowing;
    m_trayIcon.SetTooltipText(bShowing ? kTipDialogShowing : kTipNormal);
}

CDialogShowingScope::CDialogShowingScope(CTrovelView* pView)
    : m_pView(pView), m_bWasShowing(pView != nullptr && pView->m_bDialogShowing)
{
    if (m_pView != nullptr)
        m_pView->SetDialogShowing(true);
}

CDialogShowingScope::~CDialogShowingScope()
{
    if (m_pView != nullptr)
        m_pView->SetDialogShowing(m_bWasShowing);
}

bool CTrovelView::ShutdownPending() const
{
    const CMainFrame* pFrame = dynamic_cast<const CMainFrame*>(GetParentFrame());
    return pFrame != nullptr && pFrame->m_bShutdown;
}

void CTrovelView::OnPathCommand(UINT nID)
{
    PostMessage(WM_FIND_DIALOG, nID, nID);
}

void CTrovelView::OnHelpTopics()
{
    CFrameWnd* pFrame = GetParentFrame();
    if (pFrame != nullptr)
        pFrame->OnHelpFinder();
}

void CTrovelView::OnShutdown()
{
    CMainFrame* pFrame = dynamic_cast<CMainFrame*>(GetParentFrame());
    if (pFrame == nullptr)
        return;
    pFrame->m_bShutdown = TRUE;
    // This view is destroyed inside the call; nothing of it may be used afterwards.
    pFrame->SendMessage(WM_CLOSE);
}

LRESULT CTrovelView::OnTrayNotify(WPARAM wParam, LPARAM lParam)
{
    if (CTrayNotifyIcon::OpensMenu((UINT)lParam) && m_bDialogShowing)
        return 1;
    if ((UINT)lParam == CTrayNotifyIcon::kBalloonShown && (UINT)wParam == kTrayIconId) {
        OnBalloonShown();
        return 0;
    }
    return m_trayIcon.OnTrayNotification(wParam, lParam);
}

void CTrovelView::OnTaskbarCreated()
{
    // A restarted shell has forgotten the icon; without it the program could not be reached.
    m_trayIcon.Readd();
}

BOOL CTrovelView::OnCmdMsg(UINT nID, int nCode)
{
    if (nCode == 0) {
        switch (nID) {
        case ID_PREFERENCES:
            OnPreferences();
            return TRUE;
        case ID_HELP_TOPICS:
            OnHelpTopics();
            return TRUE;
        case ID_APP_ABOUT:
            GetTrovelApp()->OnAppAbout();
            return TRUE;
        case ID_SHUTDOWN:
            OnShutdown();
            return TRUE;
        default:
            if ((nID >= ID_PATH_FIRST && nID <= ID_PATH_LAST) || IsOpenFolderId(nID)) {
                OnPathCommand(nID);
                return TRUE;
            }
            break;
        }
    }
    return CFormView::OnCmdMsg(nID, nCode);
}

LRESULT CTrovelView::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_FIND_DIALOG:
        return OnFindDialog(wParam, lParam);
    case WM_PASTE_PATH:
        return OnTrovelMsg(wParam, lParam);
    case WM_FOLLOW_FILE_MANAGER:
        return OnFollowFileManager(wParam, lParam);
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_HOTKEY:
        OnHotkey(wParam);
        return 0;
    case WM_TRAY_NOTIFY:
        return OnTrayNotify(wParam, lParam);
    default:
        if (msg == m_uTaskbarCreatedMsg && msg != 0) {
            OnTaskbarCreated();
            return 0;
        }
        return CFormView::WindowProc(msg, wParam, lParam);
    }
}

void CTrovelView::OnDpiChanged(UINT dpi)
{
    // The notification area shows the small image of the new scale, not a stretched one.
    m_trayIcon.SetIcon(IDR_MAINFRAME, dpi);
}
