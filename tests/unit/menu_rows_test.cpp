// One builder for the folder items of both menus: the sections in each menu's order, each folder
// once, their ids apart from every command, and the rows filling the real tray menu resource.
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

std::vector<std::string> Numbered(const char* pszStem, int nCount)
{
    std::vector<std::string> folders;
    for (int i = 0; i < nCount; ++i)
        folders.push_back(std::string("C:\\") + pszStem + std::to_string(i) + "\\");
    return folders;
}

// Each row as "id text", separators as "-".
std::vector<std::string> RowItems(const std::vector<MenuRow>& rows)
{
    std::vector<std::string> items;
    for (const MenuRow& row : rows)
        items.push_back(row.pick == MenuPick::Separator ? "-" : std::to_string(row.nID) + " " + row.strText);
    return items;
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

TEST(MenuRows, EachMenuListsItsSectionsInItsOrderAndEachFolderOnce)
{
    const std::string cyrillic = "D:\\\xd0\x9f\xd1\x80\xd0\xbe\\";
    const ListedFolders listed = {"C:\\Left\\",
                                  {"C:\\Tom & Jerry\\", cyrillic, "c:\\y", "C:\\LEFT"},
                                  {"C:\\left\\", "C:\\Recent\\", "C:\\Tom & Jerry"}};
    const std::vector<std::string> twelve = Numbered("Open", 12);
    std::vector<std::string> recent = Numbered("Recent", 10);
    recent.insert(recent.begin() + 1, "c:\\recent0"); // the same folder again uses no id
    const struct {
        const char* pszCase;
        MenuFor menu;
        std::vector<std::string> favourites;
        ListedFolders listed;
        std::vector<std::string> expected;
    } cases[] = {
        {"tray: favourites last first, then each section below a line", MenuFor::Tray, {"X", "Y", "Z"}, listed,
         {"5002 Z", "5001 Y", "5000 X", "-", "5099 C:\\Left\\", "-", "5100 C:\\Tom && Jerry\\", "5101 " + cyrillic, "-",
          "5200 C:\\Recent\\"}},
        {"dialog: the folder just left first, then the favourites in order with their digits", MenuFor::Dialog,
         {"X", "Y", "Z"}, listed,
         {"5099 C:\\Left\\", "-", "5000 &1 X", "5001 &2 Y", "5002 &3 Z", "-", "5100 C:\\Tom && Jerry\\",
          "5101 " + cyrillic, "-", "5200 C:\\Recent\\"}},
        {"a name's ampersand is no mnemonic; a favourite of the folder just left is listed once", MenuFor::Dialog,
         {"R&D", "Left"}, {"C:\\Left\\", {}, {}}, {"5099 C:\\Left\\", "-", "5000 &1 R&&D"}},
        {"tray: the same without anything but favourites", MenuFor::Tray, {"R&D", "Left"}, {},
         {"5001 Left", "5000 R&&D"}},
        {"no line above a first section or below a last one", MenuFor::Dialog, {}, {"", {}, {"C:\\R\\"}},
         {"5200 C:\\R\\"}},
        {"no more folders in a section than it has ids", MenuFor::Tray, {}, {"", twelve, recent},
         {"5100 C:\\Open0\\", "5101 C:\\Open1\\", "5102 C:\\Open2\\", "5103 C:\\Open3\\", "5104 C:\\Open4\\",
          "5105 C:\\Open5\\", "5106 C:\\Open6\\", "5107 C:\\Open7\\", "5108 C:\\Open8\\", "5109 C:\\Open9\\", "-",
          "5200 C:\\Recent0\\", "5201 C:\\Recent1\\", "5202 C:\\Recent2\\", "5203 C:\\Recent3\\", "5204 C:\\Recent4\\",
          "5205 C:\\Recent5\\", "5206 C:\\Recent6\\", "5207 C:\\Recent7\\"}},
        {"nothing at all", MenuFor::Dialog, {}, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        EXPECT_EQ(c.expected, RowItems(BuildFolderRows(Favourites(c.favourites), c.listed, c.menu)));
    }
}

TEST(MenuRows, TheTrayMenuResourceTakesTheRowsAboveItsCommandsAndAPickFindsItsFolder)
{
    CPathList favourites = Favourites({"X", "Y"});
    std::vector<MenuRow> rows = BuildFolderRows(favourites, {"", {"C:\\Tom & Jerry\\"}, {}}, MenuFor::Tray);
    HMENU hMenu = ::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_TRAYMENU));
    ASSERT_NE(nullptr, hMenu);
    HMENU hPopup = ::GetSubMenu(hMenu, 0);
    EXPECT_EQ(4, InsertMenuRows(hPopup, 0, rows));
    const std::vector<std::string> expected = {
        "5001 Y", "5000 X", "-", "5100 C:\\Tom && Jerry\\", "-",
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
    EXPECT_EQ(nullptr, FindMenuRow(rows, 5101));
    ::DestroyMenu(hMenu);
}

TEST(MenuRows, ListedFolderIdsMeetNoCommandAndNoFavourite)
{
    HMENU hMenu = ::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_TRAYMENU));
    ASSERT_NE(nullptr, hMenu);
    HMENU hPopup = ::GetSubMenu(hMenu, 0);
    std::vector<UINT> ids = {kJustLeftFolderId};
    for (UINT nID = kOpenFolderIdFirst; nID <= kOpenFolderIdLast; ++nID)
        ids.push_back(nID);
    for (UINT nID = kRecentFolderIdFirst; nID <= kRecentFolderIdLast; ++nID)
        ids.push_back(nID);
    for (UINT nID : ids) {
        EXPECT_TRUE(IsOpenFolderId(nID)) << nID;
        EXPECT_FALSE(IsPathCommandId((int)nID)) << nID << " is a favourite's";
        for (int i = 0; i < ::GetMenuItemCount(hPopup); ++i)
            EXPECT_NE(::GetMenuItemID(hPopup, i), nID);
    }
    for (UINT nID : {kJustLeftFolderId - 1, kOpenFolderIdLast + 1, kRecentFolderIdFirst - 1, kRecentFolderIdLast + 1})
        EXPECT_FALSE(IsOpenFolderId(nID)) << nID;
    ::DestroyMenu(hMenu);
}
