// The menu rows of the favourites and the open folders, and their insertion into a menu.
#include "tray/MenuRows.h"
#include "fw/TextConv.h"

namespace {

// A folder's or favourite's name may hold '&', which a menu would take for a mnemonic.
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

} // namespace

bool IsOpenFolderId(UINT nID)
{
    return nID - kOpenFolderIdFirst <= kOpenFolderIdLast - kOpenFolderIdFirst;
}

std::vector<MenuRow> BuildFolderRows(const CPathList& favourites, const std::vector<std::string>& openFolders)
{
    std::vector<MenuRow> rows;
    for (auto it = favourites.rbegin(); it != favourites.rend(); ++it) {
        const PathEntry& entry = **it;
        if (!IsPathCommandId(entry.nID))
            continue; // no id was left for it: it stays in the store, out of the menu
        rows.push_back({MenuPick::Favourite, (UINT)entry.nID, MenuText(entry.strName), entry.strPath});
    }
    if (!openFolders.empty() && !rows.empty())
        rows.push_back(MenuRow());
    UINT nID = kOpenFolderIdFirst;
    for (const std::string& folder : openFolders) {
        if (nID > kOpenFolderIdLast)
            break;
        rows.push_back({MenuPick::OpenFolder, nID++, MenuText(folder), folder});
    }
    return rows;
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
