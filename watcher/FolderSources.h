// Where the menus' folders besides the favourites come from: one row per source (a file manager's
// windows, the platform's recent items), each saying how to find its windows or items, how to read
// their folders (the shown one first) and how long a read may take. One more file manager is one
// more row.
#pragma once

#include "tray/MenuRows.h"
#include "watcher/DialogSettings.h"
#include "watcher/ExplorerFolders.h"

#include <windows.h>

#include <string>
#include <vector>

// What a read of the sources works from, and where it puts what it finds.
struct FolderSourceRead {
    DialogSettings settings = DefaultDialogSettings(); // which sources the menus list
    ShellWindowsSource shellWindows = &CreateShellWindows; // the shell's window list; a test gives its own
    void* pShellContext = nullptr;
    bool* pbShellCannotCount = nullptr; // set once the shell's list says it cannot count (not asked again)
    HWND hJustLeft = nullptr;           // the file manager's window in front before the dialog
    std::vector<std::string> listedAbove; // the favourites: a recent folder among them is not listed again
    std::wstring recentFolder;          // the recent items' folder; empty for the platform's own
    ListedFolders listed;               // what the reads found
};

struct FolderSource {
    const char* pszName;
    const wchar_t* frameClasses[2];   // classes of its top-level windows; none for a list of items
    BOOL DialogSettings::*pbListed;   // the setting that lists its folders in the menus
    DWORD dwBound;                    // the longest a read may take, ms
    int nMax;                         // at most this many folders
    // Reads its folders into read.listed; when hJustLeft is one of its windows, that window's shown
    // folder too.
    void (*pfnRead)(const FolderSource& source, FolderSourceRead& read);
};

extern const FolderSource kFolderSources[];
extern const int kFolderSourceCount;

// The source whose top-level windows hWnd is one of, or null.
const FolderSource* FileManagerSourceOf(HWND hWnd);
// Every source in the table's order, for a menu opening now.
void ReadFolderSources(FolderSourceRead& read);
// The folder one file-manager window shows now (its shown tab's), or empty; bounded as a menu's read.
std::string FolderShownIn(HWND hFrame, FolderSourceRead& read);

// The windows in front, as far as the folder just left needs them: the last file-manager window in
// front, and whether the front has just switched from one straight to a file dialog (once per switch).
class CFrontHistory {
public:
    // The window now in front (the program's own are not told); TRUE when it is a file dialog the
    // user has just come to straight from a file-manager window, which *phFrom then receives.
    BOOL OnFrontChanged(HWND hFront, bool bFileDialog, HWND* phFrom = nullptr);
    // The last file-manager window that was in front, while it exists; else null.
    HWND JustLeft() const;

private:
    HWND m_hNow = nullptr;
    HWND m_hBefore = nullptr;
    HWND m_hFileManager = nullptr;
    bool m_bSwitchTold = false;
};
