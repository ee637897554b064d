// The table of folder sources and the reads a menu makes of them.
#include "watcher/FolderSources.h"
#include "fw/NestedLoop.h"
#include "fw/TextConv.h"
#include "watcher/PathInjection.h"
#include "watcher/RecentFolders.h"

namespace {

// The file manager's windows: the one just left, and the others open in front-most order.
void ReadExplorerWindows(const FolderSource& source, FolderSourceRead& read)
{
    const bool bJustLeft = FileManagerSourceOf(read.hJustLeft) == &source;
    const bool bList = read.settings.*source.pbListed != FALSE;
    if ((!bJustLeft && !bList) || read.shellWindows == nullptr ||
        (read.pbShellCannotCount != nullptr && *read.pbShellCannotCount))
        return;
    const std::vector<OpenFolder> found =
        ReadOpenWindows(read.shellWindows, read.pShellContext, source.dwBound, read.pbShellCannotCount);
    if (bJustLeft)
        read.listed.strJustLeft = ShownFolderOf(found, read.hJustLeft);
    if (bList)
        read.listed.openFolders = OrderOpenFolders(found, source.nMax);
}

// The recent items: only folders not listed above them.
void ReadRecentItems(const FolderSource& source, FolderSourceRead& read)
{
    if (read.settings.*source.pbListed == FALSE)
        return;
    std::vector<std::string> above = read.listedAbove;
    above.push_back(read.listed.strJustLeft);
    above.insert(above.end(), read.listed.openFolders.begin(), read.listed.openFolders.end());
    read.listed.recentFolders = ReadRecentFolders(above, source.nMax, source.dwBound, read.recentFolder);
}

} // namespace

// Explorer's windows have one class or the other by their style (with or without the folder tree).
const FolderSource kFolderSources[] = {
    {"Explorer", {L"CabinetWClass", L"ExploreWClass"}, &DialogSettings::bListOpenFolders, kForeignReplyTimeout,
     kOpenFoldersMax, &ReadExplorerWindows},
    {"Recent items", {nullptr, nullptr}, &DialogSettings::bListRecentFolders, kForeignReplyTimeout, kRecentFoldersMax,
     &ReadRecentItems},
};
const int kFolderSourceCount = (int)(sizeof(kFolderSources) / sizeof(kFolderSources[0]));

const FolderSource* FileManagerSourceOf(HWND hWnd)
{
    wchar_t szClass[64] = {};
    if (hWnd == nullptr || ::GetParent(hWnd) != nullptr || ::GetClassNameW(hWnd, szClass, 64) == 0)
        return nullptr;
    for (const FolderSource& source : kFolderSources) {
        for (const wchar_t* pszClass : source.frameClasses) {
            if (pszClass != nullptr && ::lstrcmpW(szClass, pszClass) == 0)
                return &source;
        }
    }
    return nullptr;
}

void ReadFolderSources(FolderSourceRead& read)
{
    for (const FolderSource& source : kFolderSources)
        source.pfnRead(source, read);
}

std::string FolderShownIn(HWND hFrame, FolderSourceRead& read)
{
    const FolderSource* pSource = FileManagerSourceOf(hFrame);
    if (pSource == nullptr)
        return std::string();
    FolderSourceRead one = read;
    one.hJustLeft = hFrame;
    one.settings.*pSource->pbListed = FALSE; // only that window's folder
    pSource->pfnRead(*pSource, one);
    return one.listed.strJustLeft;
}

BOOL CFrontHistory::OnFrontChanged(HWND hFront, bool bFileDialog, HWND* phFrom)
{
    if (hFront != m_hNow) {
        m_hBefore = m_hNow;
        m_hNow = hFront;
        m_bSwitchTold = false;
    }
    if (FileManagerSourceOf(hFront) != nullptr)
        m_hFileManager = hFront;
    // A dialog may first come to the front hidden or not yet recognisable: the switch is told when it
    // is first seen as a file dialog, and only once.
    if (!bFileDialog || m_bSwitchTold || FileManagerSourceOf(m_hBefore) == nullptr)
        return FALSE;
    m_bSwitchTold = true;
    if (phFrom != nullptr)
        *phFrom = m_hBefore;
    return TRUE;
}

HWND CFrontHistory::JustLeft() const
{
    return FileManagerSourceOf(m_hFileManager) != nullptr ? m_hFileManager : nullptr;
}
