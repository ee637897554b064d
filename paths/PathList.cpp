// Registry form of the path list ("PathList": P, SN, ID) and of the dialog table ("PtrList": WT, CN, ID).
#include "paths/PathList.h"
#include "app/RegistryKey.h"
#include "prefs/FolderTree.h"
#include "res/resource.h"

#include <cstdio>

namespace {
const char kPathListKey[] = "PathList";
const char kDialogListKey[] = "PtrList";

std::string ValueName(const char* pszPrefix, size_t index)
{
    char name[32];
    std::snprintf(name, sizeof(name), "%s%d", pszPrefix, (int)index);
    return name;
}

// One row: two texts and an id, each value written on its own; a failed write does not stop the rest.
BOOL WriteRow(const CRegistryKey& reg, const char* pszKey, const char* pszTextPrefix1, const char* pszTextPrefix2,
              size_t index, const std::string& text1, const std::string& text2, int nID)
{
    BOOL ok = reg.UpdateString(pszKey, ValueName(pszTextPrefix1, index).c_str(), text1);
    ok &= reg.UpdateString(pszKey, ValueName(pszTextPrefix2, index).c_str(), text2);
    ok &= reg.UpdateInt(pszKey, ValueName("ID", index).c_str(), nID);
    return ok;
}

// What a name read gives when the stored name is there but no text (a value of another type): not a
// text a name can hold, so it is told apart from the empty name that ends the list.
const char kNameUnreadable[] = "\n";

// The folder's own name, for a favourite whose stored name cannot be read as text; it would
// otherwise end the list and lose every later one.
std::string NameForUnreadable(const std::string& path)
{
    std::string folder = path;
    if (!folder.empty() && folder.back() == '\\')
        folder.erase(folder.size() - 1);
    return EntryNameForPath(folder);
}

bool IsPathCommandId(int nID)
{
    // Compared unsigned, so a negative id is outside the range.
    return (unsigned)nID - ID_PATH_FIRST <= (unsigned)(ID_PATH_LAST - ID_PATH_FIRST);
}
}

bool IsOtherCommandId(int nID)
{
    // A menu item's choice reaches the view as the low word of its id.
    const UINT command = LOWORD((UINT)nID);
    if (command == ID_PREFERENCES || command == ID_HELP_TOPICS || command == ID_SHUTDOWN)
        return true;
    if (command >= 0xE000 && command <= 0xEFFF) // the framework's standard commands (About, Exit, help...)
        return true;
    if (command == ID_JUST_LEFT_FOLDER || (command >= ID_OPEN_FOLDER_FIRST && command <= ID_OPEN_FOLDER_LAST) ||
        (command >= ID_RECENT_FOLDER_FIRST && command <= ID_RECENT_FOLDER_LAST)) // the listed folders
        return true;
    return IsPathCommandId((int)command) && command != (UINT)nID; // another entry's command
}

void GiveCommandIdsFreePathIds(CPathList& pathList)
{
    bool used[ID_PATH_LAST - ID_PATH_FIRST + 1] = {};
    for (const auto& entry : pathList)
        if (IsPathCommandId(entry->nID))
            used[entry->nID - ID_PATH_FIRST] = true;
    for (auto& entry : pathList) {
        if (!IsOtherCommandId(entry->nID))
            continue;
        int nFree = 0; // with every path id taken, an id no command has: the item then does nothing
        for (int i = 0; i <= ID_PATH_LAST - ID_PATH_FIRST && nFree == 0; ++i) {
            if (!used[i]) {
                used[i] = true;
                nFree = ID_PATH_FIRST + i;
            }
        }
        entry->nID = nFree;
    }
}

std::unique_ptr<DialogEntry> MakeDialogEntry(const std::string& title, const std::string& className, int nID)
{
    return std::make_unique<DialogEntry>(DialogEntry{title, className, nID});
}

bool operator==(const PathEntry& a, const PathEntry& b)
{
    return a.strPath == b.strPath && a.strName == b.strName && a.nID == b.nID;
}

bool operator==(const DialogEntry& a, const DialogEntry& b)
{
    return a.strTitle == b.strTitle && a.strClass == b.strClass && a.nID == b.nID;
}

PathListsSnapshot SnapshotOf(const CDialogList& dialogList, const CPathList& pathList)
{
    PathListsSnapshot snapshot;
    for (const auto& row : dialogList)
        snapshot.dialogs.push_back(*row);
    for (const auto& entry : pathList)
        snapshot.paths.push_back(*entry);
    return snapshot;
}

void LoadPathLists(const CRegistryKey& reg, CDialogList& dialogList, CPathList& pathList)
{
    for (size_t i = 0;; ++i) {
        std::string title = reg.ReadString(kDialogListKey, ValueName("WT", i).c_str(), "");
        std::string className = reg.ReadString(kDialogListKey, ValueName("CN", i).c_str(), "");
        int nID = reg.ReadInt(kDialogListKey, ValueName("ID", i).c_str(), 0);
        if (title.empty() || className.empty() || !IsPathCommandId(nID))
            break;
        dialogList.push_back(MakeDialogEntry(title, className, nID));
    }
    for (size_t i = 0;; ++i) {
        std::string path = reg.ReadString(kPathListKey, ValueName("P", i).c_str(), "");
        std::string name = reg.ReadString(kPathListKey, ValueName("SN", i).c_str(), kNameUnreadable);
        int nID = reg.ReadInt(kPathListKey, ValueName("ID", i).c_str(), 0);
        if (path.empty() || name.empty())
            break;
        if (name == kNameUnreadable) {
            // A missing name ends the list as before; one that is no text keeps its favourite.
            if (!reg.ValueExists(kPathListKey, ValueName("SN", i).c_str()))
                break;
            name = NameForUnreadable(path);
        }
        pathList.push_back(std::make_unique<PathEntry>(PathEntry{path, name, nID}));
    }
    // A stored id that is a command of the program would run it when the favourite is picked
    // (32775 shuts the program down).
    GiveCommandIdsFreePathIds(pathList);
}

BOOL SavePathLists(const CRegistryKey& reg, const CDialogList& dialogList, const CPathList& pathList)
{
    BOOL ok = TRUE;
    size_t i = 0;
    for (const auto& row : dialogList)
        ok &= WriteRow(reg, kDialogListKey, "WT", "CN", i++, row->strTitle, row->strClass, row->nID);
    ok &= WriteRow(reg, kDialogListKey, "WT", "CN", i, "", "", 0);

    i = 0;
    for (const auto& entry : pathList)
        ok &= WriteRow(reg, kPathListKey, "P", "SN", i++, entry->strPath, entry->strName, entry->nID);
    ok &= WriteRow(reg, kPathListKey, "P", "SN", i, "", "", 0);
    return ok;
}
