// The watcher view: the program's central object. It owns the lists, the tray icon and the
// watcher state, receives every tray event and command, and finishes start-up.
#pragma once

#include "app/OsGate.h"
#include "fw/GdiObjects.h"
#include "fw/Menu.h"
#include "fw/View.h"
#include "paths/PathList.h"
#include "tray/MenuRows.h"
#include "tray/TrayNotifyIcon.h"
#include "watcher/DialogField.h"
#include "watcher/DialogHotkey.h"
#include "watcher/DialogSettings.h"
#include "watcher/ExplorerFolders.h"
#include "watcher/FolderSources.h"
#include "watcher/PasteFailure.h"
#include "watcher/TargetProcess.h"

#include <cstdio>
#include <memory>
#include <string_view>

// Private messages the view posts to itself.
#define WM_PASTE_PATH  (WM_APP + 2)  // the paste, after a scan found a dialog
#define WM_FIND_DIALOG (WM_APP + 3)  // the scan; wParam = lParam = path command id
#define WM_FOLLOW_FILE_MANAGER (WM_APP + 4) // a file dialog came to the front from a file manager;
                                            // wParam = the dialog, lParam = the file manager's window

class CPropertySheet;

// The one pick under way, from a menu's choice to the text in the dialog: the tray's (a scan, a
// second for the dialog to settle, the paste) and the one at the dialog (the folder in its field,
// the press that takes it there, the typed name back). A new pick from either replaces it, at
// whatever step it is; a timer or message the older one left behind then finds nothing to do.
struct PickInProgress {
    enum class Step {
        None,
        Settling, // the tray's: the settle timer runs
        Pasting,  // the tray's: the paste is posted
        Going,    // at the dialog: pressed with the folder in its field, the typed name to come back
    };
    Step step = Step::None;
    // Going: the dialog, its kind and field, the folder text written, what the field held before
    // and what goes back into it, and how often it has been looked at.
    HWND hDialog = nullptr;
    int nKind = -1;
    HWND hField = nullptr;
    std::string strFolderText;
    std::string strTyped;
    std::string strKept;
    int nLooks = 0;
};

class CTrovelView : public CFormView {
public:
    CTrovelView();
    ~CTrovelView() override;

    static constexpr DWORD_PTR kNewUserHelpContext = 131172; // 0x20064
    static constexpr UINT kTrayIconId = 109;
    // The dialog settles after the tray menu closes and the focus returns to it; the program answers
    // its messages meanwhile.
    static constexpr UINT_PTR kSettleTimerId = 110;
    static constexpr UINT kSettleDelay = 1000; // ms
    // A dialog pressed with a folder in its field is looked at on this timer until it has gone there.
    static constexpr UINT_PTR kGoingTimerId = 112;
    static constexpr UINT kGoingDelay = 20; // ms
    static constexpr int kGoingLooks = 50;  // then the name goes back whatever the dialog shows
    // How long a requested balloon may take to be reported shown before a message box says it instead.
    static constexpr UINT_PTR kBalloonTimerId = 111;
    static constexpr UINT kBalloonWait = 4000; // ms

    std::string m_strFileName;       // file-name text read from the dialog, whole
    std::string m_strPathName;       // composed folder and file name, whole at any length
    std::string m_strWindowInfo;     // description line of the last inspected window
    int m_bHelpShown = 0;            // registry "Newbie"/"Help" as read at construction
    FILE* m_pTraceFile = nullptr;    // "windows.txt", open only during a scan
    std::string m_strTraceLines;     // the running scan's trace, written to m_pTraceFile in one piece
    HWND m_hFoundWnd = nullptr;      // the recognised dialog
    int m_nFoundCtrlId = -1;         // its file-name control id
    int m_nFoundKind = -1;           // its row of kDialogKinds
    bool m_bFound = false;           // the last scan recognised a dialog
    PathEntry* m_pSelectedPath = nullptr; // entry of the last path command; cleared whenever the list is rebuilt
    std::string m_strSelectedOpenFolder; // or the open folder the last pick named
    PickInProgress m_pick;           // the pick under way, from the tray or at the dialog
    // The dialog last taken to a folder and that folder, so that following the file manager does not
    // send it again where it already is.
    struct {
        HWND hDialog = nullptr;
        std::string strFolder;
    } m_lastTaken;
    CFrontHistory m_frontHistory;    // the windows in front: the file manager left for the dialog
    std::wstring m_strRecentFolder;  // the recent items' folder; empty for the platform's own
    DWORD m_dwOwnProcessId = ::GetCurrentProcessId(); // the scan passes this process's windows by
    DialogSettings m_dialogSettings = DefaultDialogSettings();
    CDialogHotkey m_dialogHotkey;
    std::vector<MenuRow> m_menuRows; // the folder items of the tray menu shown last
    // Where the folders open in Explorer come from; a test gives its own.
    ShellWindowsSource m_pfnShellWindows = &CreateShellWindows;
    void* m_pShellWindowsContext = nullptr;
    bool m_bShellListCannotCount = false; // the shell's list said it cannot count (Wine): not asked again
    bool m_bDialogShowing = false;   // one of the program's modal dialogs is open
    int m_nFrameWidth = 0;
    int m_nFrameHeight = 0;
    bool m_bFrameSizeKnown = false;
    OSClass m_nOSClass = OSCLASS_WIN2000;
    std::unique_ptr<CImageList> m_pImageList; // the folder tree's icons
    CDialogList m_dialogList;
    CPathList m_pathList;
    PathListsSnapshot m_savedLists;  // the lists as last read or written: the exit writes only a change
    CTrayNotifyIcon m_trayIcon;
    HICON m_hIcon = nullptr;         // small image of icon 107, owned; the icon is added with it
    CPropertySheet* m_pPreferencesSheet = nullptr; // the Preferences sheet while it is up
    std::string m_strLastNotice;     // what the user was last told about a paste that failed
    std::string m_strBalloonPending; // a balloon's text the shell has not yet reported shown
    IntegrityLevelReader m_pfnIntegrityLevel = &ReadIntegrityLevel; // replaceable where levels cannot be made

    // Start-up.
    void OnInitialUpdate() override;
    BOOL IsWindowsNT();
    void Start();
    RECT CalcFrameRect();

    // Path list and dialog table.
    void LoadPathLists();
    // Writes the path list when it differs from what was last read or written, merged with what is
    // stored now: only the rows this copy changed are written. FALSE when a write failed.
    BOOL SavePathLists();
    // Reads both lists afresh, as they are stored now, unless this copy has a change not yet saved.
    void ReloadPathLists();
    void OnDpiChanged(UINT dpi); // WM_DPICHANGED, from the frame: the tray icon at the new scale
    void FreePathList();
    void FreeDialogList();
    // The favourites, and below them the folders open in Explorer when asked for (read now).
    int InsertPathItems(CMenu* pPopup, bool bOpenFolders = true);

    // Dialog-showing protocol: flag and tool tip follow the modal dialogs of the program.
    void SetDialogShowing(bool bShowing);
    // Tells the user that the first-run settings file could not be decoded, naming it.
    void ReportUndecodableSettingsFile();
    // Tells the user, once per run, when settings could not be saved (the store refused or failed).
    void ReportUnsavedSettings();
    static constexpr const char* kSettingsNotSavedText =
        "Trovel cannot save its settings. It keeps working, but changes made now are lost when it ends.";

    // The scan, the recogniser and the paste.
    void OnPathCommand(UINT nID);
    LRESULT OnFindDialog(WPARAM wParam, LPARAM lParam);
    static BOOL CALLBACK FindDialogEnumProc(HWND hWnd, LPARAM lParam);
    void InspectWindow(HWND hWnd);
    int RecognizeDialog(std::string_view title, std::string_view className, std::string_view ownerTitle) const;
    // One window as the scan and the hotkey see it: its kind and field id, or nKind -1. Its
    // description line is made only when asked for.
    // phDialogOwner, when given, receives the owner of a window of the dialog class ("#32770");
    // *pbDescribed is set when the window got its line.
    DialogMatch RecogniseWindow(HWND hWnd, std::string* pTraceLine, HWND* phDialogOwner = nullptr,
                                bool* pbDescribed = nullptr) const;
    LRESULT OnTrovelMsg(WPARAM wParam, LPARAM lParam);
    void OnTimer(UINT_PTR nIDEvent);

    // The pick in progress. A new one replaces what was under way; a pick at the dialog that was
    // waiting for its dialog to go to the folder gives the typed name back first.
    void BeginPick();
    // Fills the dialog of that kind with the folder and the typed name, as the tray does, and checks
    // the result; a failure is told. TRUE when the field holds the new text.
    BOOL PasteInto(HWND hDialog, int nKind, int nCtrlId, const std::string& folder);
    // A pick at the dialog: takes it to the folder and keeps the typed name where its kind allows
    // and the setting asks for it, else fills it as the tray does.
    void PickAtDialog(HWND hDialog, int nKind, int nCtrlId, const std::string& folder);
    // Takes the dialog to the folder and keeps the typed name: the folder in its field, its default
    // button pressed, and the name back once it is there.
    void GoToFolder(HWND hDialog, int nKind, int nCtrlId, const std::string& folder);
    // The dialog pressed with a folder: looked at until it has gone there, then the name goes back.
    void OnGoing();
    void FinishGoing();
    // Finds the field and reads it, after making sure the folder is there; None, or why not.
    PasteFailure ReachField(HWND hDialog, const DialogKind& kind, int nCtrlId, const std::string& folder,
                            HWND& hField, std::string& typed);
    // Tells a failed pick: what failed, in which program, and the path put on the clipboard.
    void TellPickFailure(PasteFailure failure, HWND hDialog, const std::string& path);
    bool TargetRunsHigher(HWND hDialog) const;
    // A failed paste is never silent: a balloon where the shell shows one, else a message box.
    void TellUser(const std::string& text);
    void OnBalloonShown();
    void ShowNoticeBox(const std::string& text);
    // The frame was asked to end; the close waits for the program's loops (see CNestedLoop).
    bool ShutdownPending() const;

    // The folders the menus list besides the favourites, read from the sources now (bounded).
    ListedFolders ListedFoldersNow();
    FolderSourceRead SourceRead();
    // The hotkey at the dialog: the menu beside its field, and a pick filling that dialog.
    void StartDialogHotkey();
    void OnHotkey(WPARAM wParam);
    static bool IsDialogInFront(void* pContext, HWND hForeground);
    static FrontWindow FrontWindowOf(void* pContext, HWND hForeground);
    static void TellHotkeyTaken(void* pContext, const std::string& text);
    static void NoteFront(void* pContext, HWND hFront, bool bFileDialog);
    // A file dialog reached straight from a file manager: taken to that window's folder when the
    // setting asks for it, once per switch.
    LRESULT OnFollowFileManager(WPARAM wParam, LPARAM lParam);

    // Commands and tray events.
    void OnPreferences();
    void OnHelpTopics();
    void OnShutdown();
    LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
    void OnTaskbarCreated();
    BOOL OnCmdMsg(UINT nID, int nCode) override;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    UINT m_uTaskbarCreatedMsg = 0;
};

// Sets the dialog-showing state for the life of a modal dialog and restores the state it found,
// so a dialog opened over another keeps the one below protected.
class CDialogShowingScope {
public:
    explicit CDialogShowingScope(CTrovelView* pView);
    ~CDialogShowingScope();
    CDialogShowingScope(const CDialogShowingScope&) = delete;
    CDialogShowingScope& operator=(const CDialogShowingScope&) = delete;

private:
    CTrovelView* m_pView;
    bool m_bWasShowing;
};

// What the user is told of a first-run settings file that could not be decoded.
std::string UndecodableFileText(const std::string& fileName);

// The watcher view: the active view of the main frame, or null.
CTrovelView* GetTrovelView();
