// The favourite folders and the dialog table, in memory and in their registry form.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

class CRegistryKey;

constexpr int MAX_LIST_SIZE = 5;

// One favourite folder: full path ending in a backslash, display name, command id.
struct PathEntry {
    std::string strPath;
    std::string strName;
    int nID = 0;
};

// One row of the dialog table, carried along with the path list untouched.
struct DialogEntry {
    std::string strTitle;
    std::string strClass;
    int nID = 0;
};

bool operator==(const PathEntry& a, const PathEntry& b);
bool operator==(const DialogEntry& a, const DialogEntry& b);

// Each list owns its records; order is significant (list box, tray menu, registry indices).
using CPathList = std::vector<std::unique_ptr<PathEntry>>;
using CDialogList = std::vector<std::unique_ptr<DialogEntry>>;

// Appends the rows stored under "PtrList" and the entries stored under "PathList".
void LoadPathLists(const CRegistryKey& reg, CDialogList& dialogList, CPathList& pathList);
// Writes both lists, each closed by a terminator row ("", "", 0); every value is written even when
// one fails, and only where the registry holds something else (a value that reads the same keeps its
// type). FALSE when any write failed.
BOOL SavePathLists(const CRegistryKey& reg, const CDialogList& dialogList, const CPathList& pathList);

// Whether a path entry's id would run some command other than its own when its item is picked:
// one of the program's commands, or another path entry's.
bool IsOtherCommandId(int nID);
// Gives each entry whose id is another command the lowest path id no entry has (0 when all are taken).
void GiveCommandIdsFreePathIds(CPathList& pathList);

// A row of the dialog table; its texts are kept whole, so a save gives back what was read.
std::unique_ptr<DialogEntry> MakeDialogEntry(const std::string& title, const std::string& className, int nID);

// Both lists as they were last read from or written to the registry.
struct PathListsSnapshot {
    std::vector<DialogEntry> dialogs;
    std::vector<PathEntry> paths;
    bool operator==(const PathListsSnapshot& other) const { return dialogs == other.dialogs && paths == other.paths; }
};
PathListsSnapshot SnapshotOf(const CDialogList& dialogList, const CPathList& pathList);
