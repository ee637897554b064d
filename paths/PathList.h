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
    int nRow = -1; // the "PathList" row it was read from or last written to; -1 for a new one
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

// Appends the rows stored under "PtrList" and the entries stored under "PathList". A path row with a
// path or name of another type is skipped (pSkippedRows, when given, receives its index) and the
// list goes on; the first row without a path or name ends it. Ids are made whole (MakeIdsWhole).
void LoadPathLists(const CRegistryKey& reg, CDialogList& dialogList, CPathList& pathList,
                   std::vector<int>* pSkippedRows = nullptr);
// Writes both lists whole, each closed by a terminator row ("", "", 0), around the path rows a read
// skips; every value is written even when one fails, and only where the registry holds something
// else (a value that reads the same keeps its type). FALSE when any write failed.
BOOL SavePathLists(const CRegistryKey& reg, const CDialogList& dialogList, const CPathList& pathList);
// The path list alone, into the rows not in skippedRows, in order, then its terminator; each entry's
// nRow becomes the row it went to. An entry without a path id keeps the id its row holds.
BOOL WritePathRows(const CRegistryKey& reg, CPathList& pathList, const std::vector<int>& skippedRows);

// Whether an id is one of the favourites' commands, 5000 to 5004.
bool IsPathCommandId(int nID);
// Ids as the menu needs them: an id unique and in 5000 to 5004 stays; a missing, repeated or other
// one gets the lowest free id while one is left, else 0 (no menu item). Entries flagged in bKeepFirst
// keep their ids before the others are looked at.
void MakeIdsWhole(CPathList& pathList, const std::vector<bool>& bKeepFirst = {});

// The list to store when this copy changed its list from base (as last read or written) while the
// store came to hold stored: each of mine's entries that the user did not change (same path and name
// as its base row) is taken as stored now; one changed, or new, is taken as mine; rows stored that
// base never had (another writer's new ones) are kept after them. Ids made whole, stored ones first.
CPathList MergePathLists(const std::vector<PathEntry>& base, const CPathList& mine, const CPathList& stored);

// A row of the dialog table; its texts are kept whole, so a save gives back what was read.
std::unique_ptr<DialogEntry> MakeDialogEntry(const std::string& title, const std::string& className, int nID);

// Both lists as they were last read from or written to the registry.
struct PathListsSnapshot {
    std::vector<DialogEntry> dialogs;
    std::vector<PathEntry> paths;
    bool operator==(const PathListsSnapshot& other) const { return dialogs == other.dialogs && paths == other.paths; }
};
PathListsSnapshot SnapshotOf(const CDialogList& dialogList, const CPathList& pathList);
