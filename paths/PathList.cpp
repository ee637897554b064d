// Registry form of the path list ("PathList": P, SN, ID) and of the dialog table ("PtrList": WT, CN, ID).
#include "paths/PathList.h"
#include "app/RegistryKey.h"
#include "prefs/FolderTree.h"
#include "res/resource.h"

#include <algorithm>
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

}

bool IsPathCommandId(int nID)
{
    // Compared unsigned, so a negative id is outside the range.
    return (unsigned)nID - ID_PATH_FIRST <= (unsigned)(ID_PATH_LAST - ID_PATH_FIRST);
}

void MakeIdsWhole(CPathList& pathList, const std::vector<bool>& bKeepFirst)
{
    bool used[ID_PATH_LAST - ID_PATH_FIRST + 1] = {};
    std::vector<bool> kept(pathList.size(), false);
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t i = 0; i < pathList.size(); ++i) {
            const bool first = i < bKeepFirst.size() && bKeepFirst[i];
            const int nID = pathList[i]->nID;
            if ((pass == 0) == first && IsPathCommandId(nID) && !used[nID - ID_PATH_FIRST])
                kept[i] = used[nID - ID_PATH_FIRST] = true;
        }
    }
    for (size_t i = 0; i < pathList.size(); ++i) {
        if (kept[i])
            continue;
        int nFree = 0; // none left: the entry stays in the store but has no menu item
        for (int k = 0; k <= ID_PATH_LAST - ID_PATH_FIRST && nFree == 0; ++k) {
            if (!used[k]) {
                used[k] = true;
                nFree = ID_PATH_FIRST + k;
            }
        }
        pathList[i]->nID = nFree;
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

namespace {
enum class RowRead { Entry, Skipped, End };

RowRead ReadPathRow(const CRegistryKey& reg, int i, PathEntry& entry)
{
    using TextRead = CRegistryKey::TextRead;
    const TextRead path = reg.ReadText(kPathListKey, ValueName("P", i).c_str(), entry.strPath);
    if (path == TextRead::Missing || (path == TextRead::Text && entry.strPath.empty()))
        return RowRead::End;
    const TextRead name = reg.ReadText(kPathListKey, ValueName("SN", i).c_str(), entry.strName);
    if (name == TextRead::Missing || (name == TextRead::Text && entry.strName.empty()))
        return RowRead::End;
    if (path == TextRead::NotText || name == TextRead::NotText)
        return RowRead::Skipped; // kept as it is: no save writes over it
    entry.nID = reg.ReadInt(kPathListKey, ValueName("ID", i).c_str(), 0);
    entry.nRow = i;
    return RowRead::Entry;
}
}

void LoadPathLists(const CRegistryKey& reg, CDialogList& dialogList, CPathList& pathList, std::vector<int>* pSkippedRows)
{
    for (size_t i = 0;; ++i) {
        std::string title = reg.ReadString(kDialogListKey, ValueName("WT", i).c_str(), "");
        std::string className = reg.ReadString(kDialogListKey, ValueName("CN", i).c_str(), "");
        int nID = reg.ReadInt(kDialogListKey, ValueName("ID", i).c_str(), 0);
        if (title.empty() || className.empty() || !IsPathCommandId(nID))
            break;
        dialogList.push_back(MakeDialogEntry(title, className, nID));
    }
    for (int i = 0;; ++i) {
        PathEntry entry;
        const RowRead read = ReadPathRow(reg, i, entry);
        if (read == RowRead::End)
            break;
        if (read == RowRead::Skipped && pSkippedRows != nullptr)
            pSkippedRows->push_back(i);
        if (read == RowRead::Entry)
            pathList.push_back(std::make_unique<PathEntry>(std::move(entry)));
    }
    // Two favourites of one id would paste the first one's folder; one without an id, nothing.
    MakeIdsWhole(pathList);
}

BOOL WritePathRows(const CRegistryKey& reg, CPathList& pathList, const std::vector<int>& skippedRows)
{
    auto skipped = [&](int row) { return std::find(skippedRows.begin(), skippedRows.end(), row) != skippedRows.end(); };
    BOOL ok = TRUE;
    int row = 0;
    for (auto& entry : pathList) {
        while (skipped(row))
            ++row;
        ok &= reg.UpdateString(kPathListKey, ValueName("P", row).c_str(), entry->strPath);
        ok &= reg.UpdateString(kPathListKey, ValueName("SN", row).c_str(), entry->strName);
        // An entry left without an id keeps what its own row holds; anywhere else it has none.
        if (IsPathCommandId(entry->nID) || entry->nRow != row)
            ok &= reg.UpdateInt(kPathListKey, ValueName("ID", row).c_str(), entry->nID, false); // as text
        entry->nRow = row++;
    }
    while (skipped(row))
        ++row;
    ok &= WriteRow(reg, kPathListKey, "P", "SN", row, "", "", 0);
    return ok;
}

BOOL SavePathLists(const CRegistryKey& reg, const CDialogList& dialogList, const CPathList& pathList)
{
    reg.RestoreIfGone();
    BOOL ok = TRUE;
    size_t i = 0;
    for (const auto& row : dialogList)
        ok &= WriteRow(reg, kDialogListKey, "WT", "CN", i++, row->strTitle, row->strClass, row->nID);
    ok &= WriteRow(reg, kDialogListKey, "WT", "CN", i, "", "", 0);

    CDialogList storedDialogs;
    CPathList stored, copy;
    std::vector<int> skippedRows;
    LoadPathLists(reg, storedDialogs, stored, &skippedRows);
    for (const auto& entry : pathList)
        copy.push_back(std::make_unique<PathEntry>(*entry));
    ok &= WritePathRows(reg, copy, skippedRows);
    return ok;
}

CPathList MergePathLists(const std::vector<PathEntry>& base, const CPathList& mine, const CPathList& stored)
{
    auto inBase = [&](int nRow) -> const PathEntry* {
        for (const PathEntry& entry : base)
            if (nRow >= 0 && entry.nRow == nRow)
                return &entry;
        return nullptr;
    };
    auto inStore = [&](int nRow) -> const PathEntry* {
        for (const auto& entry : stored)
            if (nRow >= 0 && entry->nRow == nRow)
                return entry.get();
        return nullptr;
    };
    CPathList merged;
    std::vector<bool> bStoredAsIs;
    for (const auto& entry : mine) {
        const PathEntry* pBase = inBase(entry->nRow);
        const PathEntry* pStored = inStore(entry->nRow);
        const bool untouched =
            pBase != nullptr && pBase->strPath == entry->strPath && pBase->strName == entry->strName;
        merged.push_back(std::make_unique<PathEntry>(untouched && pStored != nullptr ? *pStored : *entry));
        bStoredAsIs.push_back(untouched && pStored != nullptr);
    }
    for (const auto& entry : stored) {
        if (inBase(entry->nRow) == nullptr) {
            merged.push_back(std::make_unique<PathEntry>(*entry));
            bStoredAsIs.push_back(true);
        }
    }
    MakeIdsWhole(merged, bStoredAsIs);
    return merged;
}
