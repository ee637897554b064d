// The folder items of the tray menu and of the menu at the file dialog, built by one builder from
// rows: the text shown, the command id, and the folder a pick puts into the dialog.
#pragma once

#include "paths/PathList.h"
#include "res/resource.h"

#include <windows.h>

#include <string>
#include <vector>

// Ids of the folders open in Explorer: apart from every command and from every favourite's id.
constexpr UINT kOpenFolderIdFirst = ID_OPEN_FOLDER_FIRST;
constexpr UINT kOpenFolderIdLast = ID_OPEN_FOLDER_LAST;
bool IsOpenFolderId(UINT nID);

// What picking a row does.
enum class MenuPick {
    Separator,  // nothing: a line between the favourites and the open folders
    Favourite,  // puts a favourite folder into the dialog
    OpenFolder, // puts a folder open in Explorer into the dialog
};

struct MenuRow {
    MenuPick pick = MenuPick::Separator;
    UINT nID = 0;
    std::string strText;   // UTF-8, as the menu shows it
    std::string strFolder; // the folder a pick puts into the dialog
};

// The favourites, last entry first as the tray menu has always shown them; below a separator, the
// open folders in their order, up to the id block's size. No separator without favourites.
std::vector<MenuRow> BuildFolderRows(const CPathList& favourites, const std::vector<std::string>& openFolders);

// Inserts the rows by position from nPos on; returns how many went in.
int InsertMenuRows(HMENU hMenu, UINT nPos, const std::vector<MenuRow>& rows);

// The row of a picked id, or null.
const MenuRow* FindMenuRow(const std::vector<MenuRow>& rows, UINT nID);
