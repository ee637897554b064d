// The folder items of the tray menu and of the menu at the file dialog, built by one builder from
// rows: the text shown, the command id, and the folder a pick puts into the dialog.
#pragma once

#include "paths/PathList.h"
#include "res/resource.h"

#include <windows.h>

#include <string>
#include <vector>

// Ids of the listed folders that are no favourites: apart from every command and every favourite's id.
constexpr UINT kJustLeftFolderId = ID_JUST_LEFT_FOLDER;
constexpr UINT kOpenFolderIdFirst = ID_OPEN_FOLDER_FIRST;
constexpr UINT kOpenFolderIdLast = ID_OPEN_FOLDER_LAST;
constexpr UINT kRecentFolderIdFirst = ID_RECENT_FOLDER_FIRST;
constexpr UINT kRecentFolderIdLast = ID_RECENT_FOLDER_LAST;
// Any of them: the folder just left, an open folder or a recent one.
bool IsOpenFolderId(UINT nID);

// What picking a row does.
enum class MenuPick {
    Separator,  // nothing: a line between two sections
    Favourite,  // puts a favourite folder into the dialog
    OpenFolder, // puts a listed folder into the dialog (just left, open in a file manager, or recent)
};

struct MenuRow {
    MenuPick pick = MenuPick::Separator;
    UINT nID = 0;
    std::string strText;   // UTF-8, as the menu shows it
    std::string strFolder; // the folder a pick puts into the dialog
};

// The folders the menus list besides the favourites, as the sources read them.
struct ListedFolders {
    std::string strJustLeft;                // the folder of the file-manager window left for the dialog
    std::vector<std::string> openFolders;   // open in file managers, front-most first
    std::vector<std::string> recentFolders; // used lately, newest first
};

enum class MenuFor {
    Tray,   // the favourites on top, last entry first, as the tray menu has always shown them
    Dialog, // the folder just left first, then the favourites in the list's order, keyed 1 to 5
};

// The sections, each below a separator and each folder in the first that has it (letter case aside):
// for the tray the favourites, then the folder just left, the open and the recent folders; at the
// dialog the folder just left, then the favourites, the open and the recent folders. No more rows in
// a section than it has ids; no separator at either end.
std::vector<MenuRow> BuildFolderRows(const CPathList& favourites, const ListedFolders& listed, MenuFor menu);

// A name as a menu shows it: '&' doubled, since the menu would take it for a mnemonic.
std::string MenuText(const std::string& text);

// Inserts the rows by position from nPos on; returns how many went in.
int InsertMenuRows(HMENU hMenu, UINT nPos, const std::vector<MenuRow>& rows);

// The row of a picked id, or null.
const MenuRow* FindMenuRow(const std::vector<MenuRow>& rows, UINT nID);
