// The folder tree of the "Paths and Names" page on real folders, in the sheet opened by its command.
#include "tests/prefs/SheetDriver.h"

namespace {

int ImageOf(HWND hTree, HTREEITEM hItem, bool selected = false)
{
    TVITEMW item = {};
    item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    item.hItem = hItem;
    TreeView_GetItem(hTree, &item);
    return selected ? item.iSelectedImage : item.iImage;
}

TEST_F(PreferencesTest, TreeShowsDrivesAndFoldersAsTheyAreOnDisk)
{
    Texts drives; // a first run shows both filter boxes checked: every drive with a root directory
    for (int i = 0; i < 26; ++i) {
        std::string root = std::string(1, (char)('A' + i)) + ":\\";
        if ((::GetLogicalDrives() & (1u << i)) && ::GetDriveTypeA(root.c_str()) != DRIVE_NO_ROOT_DIR)
            drives.push_back(root.substr(0, 2));
    }
    // Made in an order that is not the tree's; the hyphen weighs less than a letter in the tree's order.
    for (const char* name : {"delta", "Alpha", "x-y", "charlie", "BRAVO", "xy", "x.y"})
        Make(std::string("sorted\\") + name);
    Make("dots\\only dot\\.cache");
    Make("dots\\.git\\objects");
    Make("dots\\with kid\\kid");
    ::SetFileAttributesA(Make("dots\\Hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
    ::CloseHandle(::CreateFileA((m_root + "\\dots\\notes.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    Make("DOCS\\REPORTS 2024");
    const std::string longName = "Quarterly" + std::string(91, 'q'); // 100 characters, twice
    Make(longName + "\\" + longName);

    ASSERT_TRUE(WithPreferences([&](HWND hSheet, CPage1& page) {
        HWND hTree = page.m_treeFolders.m_hWnd;
        HTREEITEM hDesktop = TreeView_GetRoot(hTree);
        EXPECT_EQ(ItemText(hTree, hDesktop), "Desktop");
        EXPECT_EQ(ImageOf(hTree, hDesktop), 4);
        EXPECT_EQ(TreeView_GetSelection(hTree), hDesktop);
        EXPECT_EQ(ChildTexts(hTree, hDesktop), drives); // the letter and colon, never a volume label
        HTREEITEM hC = TreeView_GetChild(hTree, hDesktop);
        EXPECT_EQ(ChildTexts(hTree, hC), Texts{"Phony"}); // not read before it is expanded
        EXPECT_EQ(ImageOf(hTree, hC), ::GetDriveTypeA((drives[0] + "\\").c_str()) == DRIVE_FIXED ? 1 : 0);

        HTREEITEM hSorted = ExpandTo(hTree, m_root + "\\sorted");
        TreeView_Expand(hTree, hSorted, TVE_EXPAND);
        EXPECT_EQ(ChildTexts(hTree, hSorted), (Texts{"Alpha", "Bravo", "charlie", "delta", "x.y", "xy", "x-y"}));
        EXPECT_EQ(ImageOf(hTree, TreeView_GetChild(hTree, hSorted)), 5);
        EXPECT_EQ(ImageOf(hTree, TreeView_GetChild(hTree, hSorted), true), 6);

        HTREEITEM hDots = ExpandTo(hTree, m_root + "\\dots");
        TreeView_Expand(hTree, hDots, TVE_EXPAND);
        EXPECT_EQ(ChildTexts(hTree, hDots), (Texts{"Hidden", "only dot", "with kid"}));
        EXPECT_EQ(TreeView_GetChild(hTree, FindChild(hTree, hDots, "only dot")), nullptr); // no expand button
        HTREEITEM hWithKid = FindChild(hTree, hDots, "with kid");
        EXPECT_EQ(ChildTexts(hTree, hWithKid), Texts{"Phony"});
        EXPECT_NE(FindChild(hTree, hWithKid, "kid"), nullptr);
        EXPECT_EQ(ChildTexts(hTree, hWithKid), Texts{"kid"});

        AddFolder(page, m_root + "\\Docs\\Reports 2024");
        AddFolder(page, m_root + "\\" + longName + "\\" + longName);
        EXPECT_EQ(ListRows(page.m_listPaths.m_hWnd),
                  (Texts{m_root + "\\Docs\\Reports 2024\\", m_root + "\\" + longName + "\\" + longName + "\\"}));
        EXPECT_EQ(ListRows(page.m_listNames.m_hWnd), (Texts{"Reports 2024", longName}));
        Press(hSheet, PSBTN_OK);
    }));
    ASSERT_EQ(m_pView->m_pathList.size(), 2u); // both full paths name folders that exist
    EXPECT_EQ(m_pView->m_pathList[1]->strPath, m_root + "\\" + longName + "\\" + longName + "\\");
    EXPECT_TRUE(s_boxes.empty());
}

TEST_F(PreferencesTest, FoldersAreReadOnceUntilRefreshOrACheckBoxRebuildsTheTree)
{
    Make("refresh\\a");
    ASSERT_TRUE(WithPreferences([&](HWND hSheet, CPage1& page) {
        HWND hTree = page.m_treeFolders.m_hWnd;
        for (int nRebuild : {IDC_BTN_REFRESH, IDC_CHECK_NETWORK, IDC_CHECK_REMOVABLE}) {
            SCOPED_TRACE(nRebuild);
            HTREEITEM hNode = ExpandTo(hTree, m_root + "\\refresh");
            TreeView_Expand(hTree, hNode, TVE_EXPAND);
            Texts before = ChildTexts(hTree, hNode);
            std::string added = Make("refresh\\new" + std::to_string(nRebuild));
            TreeView_Expand(hTree, hNode, TVE_COLLAPSE);
            TreeView_Expand(hTree, hNode, TVE_EXPAND);
            EXPECT_EQ(ChildTexts(hTree, hNode), before); // collapsing and expanding reads nothing

            Click(Item(page, nRebuild));
            HTREEITEM hDesktop = TreeView_GetRoot(hTree);
            EXPECT_EQ(TreeView_GetSelection(hTree), hDesktop);
            EXPECT_EQ(ChildTexts(hTree, FindChild(hTree, hDesktop, "C:")), Texts{"Phony"}); // rebuilt collapsed
            hNode = ExpandTo(hTree, m_root + "\\refresh");
            TreeView_Expand(hTree, hNode, TVE_EXPAND);
            EXPECT_EQ(ChildTexts(hTree, hNode).size(), before.size() + 1);
        }
        EXPECT_EQ(page.m_bShowNetwork, 0); // the members follow the boxes at once
        EXPECT_EQ(page.m_bShowRemovable, 0);
        Press(hSheet, PSBTN_CANCEL);
    }));
}

TEST_F(PreferencesTest, UnreadableFoldersAndDrivesWithoutMedia)
{
    Make("unreadable\\gone\\child");
    int missing = 25;
    while ((::GetLogicalDrives() & (1u << missing)) != 0)
        --missing;
    const std::string missingText = DriveText(missing);
    ASSERT_TRUE(WithPreferences([&](HWND hSheet, CPage1& page) {
        HWND hTree = page.m_treeFolders.m_hWnd;
        HTREEITEM hParent = ExpandTo(hTree, m_root + "\\unreadable");
        HTREEITEM hGone = FindChild(hTree, hParent, "gone");
        EXPECT_EQ(ChildTexts(hTree, hGone), Texts{"Phony"});
        RemoveTree(m_root + "\\unreadable\\gone"); // gone from disk after the tree read it
        TreeView_Expand(hTree, hGone, TVE_EXPAND);
        EXPECT_EQ(TreeView_GetChild(hTree, hGone), nullptr);
        EXPECT_TRUE(s_boxes.empty());

        for (UINT type : {(UINT)DRIVE_CDROM, (UINT)DRIVE_REMOVABLE}) {
            HTREEITEM hDrive = page.InsertDriveNode(missing, type);
            TreeView_Expand(hTree, hDrive, TVE_EXPAND);
            TreeView_Expand(hTree, hDrive, TVE_EXPAND); // the placeholder stays: the user may try again
            EXPECT_EQ(ChildTexts(hTree, hDrive), Texts{"Phony"});
            EXPECT_FALSE(TreeView_GetItemState(hTree, hDrive, TVIS_EXPANDED) & TVIS_EXPANDED);
        }
        const std::string message =
            "Trovel|Drive " + missingText + " Not Found\n\nInstall media or\nHit Refresh Button to Refresh Tree";
        EXPECT_EQ(s_boxes, Texts(4, message));
        // With media in, a removable drive lists its folders like any other.
        HTREEITEM hPresent = page.InsertDriveNode(2, DRIVE_REMOVABLE);
        EXPECT_NE(FindChild(hTree, hPresent, m_root.substr(3)), nullptr);
        EXPECT_EQ(s_boxes.size(), 4u);
        Press(hSheet, PSBTN_CANCEL);
    }));
}

} // namespace
