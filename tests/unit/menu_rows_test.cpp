// One builder for the folder items of both menus: favourites, a separator, the open folders, their
// ids apart from every command, and the rows filling the real tray menu resource.
#include "fw/TextConv.h"
#include "res/resource.h"
#include "tray/MenuRows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

CPathList Favourites(const std::vector<std::string>& names)
{
    CPathList list;
    int nID = ID_PATH_FIRST;
    for (const std::string& name : names)
        list.push_back(std::make_unique<PathEntry>(PathEntry{"C:\\" + name + "\\", name, nID++}));
    return list;
}

// Each item as "id text", separators as "-".
std::vector<std::string> MenuItems(HMENU hMenu)
{
    std::vector<std::string> items;
    for (int i = 0; i < ::GetMenuItemCount(hMenu); ++i) {
        wchar_t szText[256] = {};
        ::GetMenuStringW(hMenu, i, szText, 256, MF_BYPOSITION);
        UINT nID = ::GetMenuItemID(hMenu, i);
        items.push_back(nID == 0 ? "-" : std::to_string(nID) + " " + WideToUtf8(szText));
    }
    return items;
}

} // namespace

TEST(MenuRows, TrayMenuHoldsFavouritesThenOpenFoldersThenItsCommands)
{
    CPathList favourites = Favourites({"X", "Y", "Z"});
    std::vector<MenuRow> rows = BuildFolderRows(favourites, {"C:\\Tom & Jerry\\", "D:\\\xd0\x9f\xd1\x80\xd0\xbe\\"});
    HMENU hMenu = ::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_TRAYMENU));
    ASSERT_NE(nullptr, hMenu);
    HMENU hPopup = ::GetSubMenu(hMenu, 0);
    EXPECT_EQ(6, InsertMenuRows(hPopup, 0, rows));
    const std::vector<std::string> expected = {
        "5002 Z", "5001 Y", "5000 X", "-", "5100 C:\\Tom && Jerry\\", "5101 D:\\\xd0\x9f\xd1\x80\xd0\xbe\\", "-",
        "32771 &Preferences...", "350 &Help Topics", "57664 &About Trovel...", "-", "32775 &Shutdown Trovel",
    };
    EXPECT_EQ(expected, MenuItems(hPopup));

    // A pick finds its folder again, exactly as it was read, not as the menu spells it.
    const MenuRow* pRow = FindMenuRow(rows, 5100);
    ASSERT_NE(nullptr, pRow);
    EXPECT_EQ(MenuPick::OpenFolder, pRow->pick);
    EXPECT_EQ("C:\\Tom & Jerry\\", pRow->strFolder);
    pRow = FindMenuRow(rows, 5001);
    ASSERT_NE(nullptr, pRow);
    EXPECT_EQ(MenuPick::Favourite, pRow->pick);
    EXPECT_EQ("C:\\Y\\", pRow->strFolder);
    EXPECT_EQ(nullptr, FindMenuRow(rows, 0)) << "a separator is no pick";
    EXPECT_EQ(nullptr, FindMenuRow(rows, 5102));
    ::DestroyMenu(hMenu);
}

TEST(MenuRows, SeparatorOnlyBetweenTwoPartsAndNoMoreOpenFoldersThanIds)
{
    std::vector<std::string> twelve;
    for (int i = 0; i < 12; ++i)
        twelve.push_back("C:\\F" + std::to_string(i) + "\\");
    std::vector<MenuRow> rows = BuildFolderRows(CPathList(), twelve);
    ASSERT_EQ(10u, rows.size());
    EXPECT_EQ(MenuPick::OpenFolder, rows.front().pick) << "no separator above the open folders alone";
    EXPECT_EQ(kOpenFolderIdLast, rows.back().nID);

    rows = BuildFolderRows(Favourites({"X"}), {});
    ASSERT_EQ(1u, rows.size()) << "no separator under the favourites alone";
    EXPECT_TRUE(BuildFolderRows(CPathList(), {}).empty());
}

TEST(MenuRows, OpenFolderIdsMeetNoCommandAndNoFavourite)
{
    HMENU hMenu = ::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_TRAYMENU));
    ASSERT_NE(nullptr, hMenu);
    HMENU hPopup = ::GetSubMenu(hMenu, 0);
    for (UINT nID = kOpenFolderIdFirst; nID <= kOpenFolderIdLast; ++nID) {
        EXPECT_TRUE(IsOpenFolderId(nID));
        EXPECT_FALSE(nID >= ID_PATH_FIRST && nID <= ID_PATH_LAST) << nID;
        for (int i = 0; i < ::GetMenuItemCount(hPopup); ++i)
            EXPECT_NE(::GetMenuItemID(hPopup, i), nID);
    }
    EXPECT_FALSE(IsOpenFolderId(kOpenFolderIdFirst - 1));
    EXPECT_FALSE(IsOpenFolderId(kOpenFolderIdLast + 1));
    ::DestroyMenu(hMenu);
}
