// The menu rows of the favourites and the listed folders, and their insertion into a menu.
#include "tray/MenuRows.h"
#include "fw/TextConv.h"

namespace {


// Adds sections one by one, each below a separator when something is above it, and each folder only
// where it first comes.
class CRowsBuilder {
public:
    // Rows that keep their ids (the favourites: two of the same folder are still two entries).
    void Section(const std::vector<MenuRow>& rows) { Add(rows, false, 0, 0); }
    // Folders read from a source, numbered from nFirst while ids up to nLast last.
    void Folders(const std::vector<std::string>& folders, UINT nFirst, UINT nLast)
    {
        std::vector<MenuRow> rows;
        for (const std::string& folder : folders)
            rows.push_back({MenuPick::OpenFolder, 0, MenuText(folder), folder});
        Add(rows, true, nFirst, nLast);
    }
    std::vector<MenuRow> Take() { return std::move(m_rows); }

private:
    void Add(std::vector<MenuRow> rows, bool bNumber, UINT nFirst, UINT nLast)
    {
        const size_t nSeenAbove = m_seen.size();
        const size_t nRowsAbove = m_rows.size();
        UINT nID = nFirst;
        for (MenuRow& row : rows) {
            if (row.strFolder.empty() || Listed(row.strFolder, bNumber ? m_seen.size() : nSeenAbove))
                continue;
            if (bNumber) {
                if (nID > nLast)
                    break;
                row.nID = nID++;
            }
            if (m_rows.size() == nRowsAbove && nRowsAbove != 0)
                m_rows.push_back(MenuRow());
            m_seen.push_back(FolderKey(row.strFolder));
            m_rows.push_back(row);
        }
    }
    // Among the first nCount folders listed.
    bool Listed(const std::string& folder, size_t nCount) const
    {
        const std::string key = FolderKey(folder);
        for (size_t i = 0; i < nCount; ++i) {
            if (m_seen[i] == key)
                return true;
        }
        return false;
    }

    std::vector<MenuRow> m_rows;
    std::vector<std::string> m_seen; // folder keys, in the order listed
};

} // namespace

std::string MenuText(const std::string& text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        escaped += c;
        if (c == '&')
            escaped += '&';
    }
    return escaped;
}

bool IsOpenFolderId(UINT nID)
{
    return nID == kJustLeftFolderId || nID - kOpenFolderIdFirst <= kOpenFolderIdLast - kOpenFolderIdFirst ||
           nID - kRecentFolderIdFirst <= kRecentFolderIdLast - kRecentFolderIdFirst;
}

std::vector<MenuRow> BuildFolderRows(const CPathList& favourites, const ListedFolders& listed, MenuFor menu)
{
    // A favourite no id was left for stays in the store, out of the menus.
    std::vector<MenuRow> favouriteRows;
    if (menu == MenuFor::Tray) {
        for (auto it = favourites.rbegin(); it != favourites.rend(); ++it) {
            if (IsPathCommandId((*it)->nID))
                favouriteRows.push_back({MenuPick::Favourite, (UINT)(*it)->nID, MenuText((*it)->strName), (*it)->strPath});
        }
    } else {
        // The digit of its place in the list is its key; the user's name follows as typed.
        int nPlace = 0;
        for (const auto& entry : favourites) {
            if (!IsPathCommandId(entry->nID))
                continue;
            const std::string key = ++nPlace <= 9 ? "&" + std::to_string(nPlace) + " " : "";
            favouriteRows.push_back({MenuPick::Favourite, (UINT)entry->nID, key + MenuText(entry->strName), entry->strPath});
        }
    }
    const std::vector<std::string> justLeft = {listed.strJustLeft};

    CRowsBuilder builder;
    if (menu == MenuFor::Dialog)
        builder.Folders(justLeft, kJustLeftFolderId, kJustLeftFolderId);
    builder.Section(favouriteRows);
    if (menu == MenuFor::Tray)
        builder.Folders(justLeft, kJustLeftFolderId, kJustLeftFolderId);
    builder.Folders(listed.openFolders, kOpenFolderIdFirst, kOpenFolderIdLast);
    builder.Folders(listed.recentFolders, kRecentFolderIdFirst, kRecentFolderIdLast);
    return builder.Take();
}

int InsertMenuRows(HMENU hMenu, UINT nPos, const std::vector<MenuRow>& rows)
{
    int nInserted = 0;
    for (const MenuRow& row : rows) {
        BOOL bDone = row.pick == MenuPick::Separator
                         ? ::InsertMenuW(hMenu, nPos, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr)
                         : ::InsertMenuW(hMenu, nPos, MF_BYPOSITION | MF_STRING, row.nID, Utf8ToWide(row.strText).c_str());
        if (bDone) {
            ++nPos;
            ++nInserted;
        }
    }
    return nInserted;
}

const MenuRow* FindMenuRow(const std::vector<MenuRow>& rows, UINT nID)
{
    for (const MenuRow& row : rows) {
        if (row.pick != MenuPick::Separator && row.nID == nID)
            return &row;
    }
    return nullptr;
}
