// The favourite folders and the dialog table, in memory and in their registry form.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

class CRegistryKey;

constexpr int MAX_LIST_SIZE = 5;
constexpr int kDialogTextMax = 50;

// One favourite folder: full path ending in a backslash, display name, command id.
struct PathEntry {
    std::string strPath;
    std::string strName;
    int nID = 0;
};

// One row of the dialog table, carried along with the path list untouched.
struct DialogEntry {
    char szTitle[kDialogTextMax + 1];
    char szClass[kDialogTextMax + 1];
    int nID;
};

// Each list owns its records; order is significant (list box, tray menu, registry indices).
using CPathList = std::vector<std::unique_ptr<PathEntry>>;
using CDialogList = std::vector<std::unique_ptr<DialogEntry>>;

// Appends the rows stored under "PtrList" and the entries stored under "PathList".
void LoadPathLists(const CRegistryKey& reg, CDialogList& dialogList, CPathList& pathList);
// Writes both lists, each closed by a terminator row ("", "", 0); every value is written even when
// one fails. FALSE when any write failed.
BOOL SavePathLists(const CRegistryKey& reg, const CDialogList& dialogList, const CPathList& pathList);

// Whether a path entry's id would run some command other than its own when its item is picked:
// one of the program's commands, or another path entry's.
bool IsOtherCommandId(int nID);
// Gives each entry whose id is another command the lowest path id no entry has (0 when all are taken).
void GiveCommandIdsFreePathIds(CPathList& pathList);

// A zero-filled row with both texts cut to 50 characters.
std::unique_ptr<DialogEntry> MakeDialogEntry(const std::string& title, const std::string& className, int nID);
