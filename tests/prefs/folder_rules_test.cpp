// Folder tree rules that need no page: the case rule, node paths, row names, drive filter, tree order.
#include "prefs/FolderTree.h"
#include "tests/prefs/SheetDriver.h"

namespace {

TEST(FolderRules, NamesPathsAndRowNames)
{
    const struct { const char* in; const char* out; } cases[] = {
        {"WINDOWS", "Windows"}, {"PROGRA~1", "Progra~1"}, {"C:", "C:"}, {"Program Files", "Program Files"},
        {"mIXED", "mIXED"}, {"1999 TAX", "1999 tax"}, {"", ""},
        {"SK\xC5" "NE", "Sk\xE5" "ne"}, // the system's case rules, not only A to Z
        {"\xE9" "COLE", "\xE9" "COLE"}, // é is lower case already
    };
    for (const auto& c : cases)
        EXPECT_EQ(NormalizeCase(c.in), c.out) << c.in;

    EXPECT_EQ(JoinItemPath({}), "");
    EXPECT_EQ(JoinItemPath({"D:", "DOCS", "2024"}), "D:\\Docs\\2024");
    const std::string longName(100, 'n');
    EXPECT_EQ(JoinItemPath({"C:", longName, "Work"}), "C:\\" + longName + "\\Work");

    for (const auto& c : {std::pair<std::string, std::string>{"D:", "D"}, {"C:\\Work\\Reports", "Reports"},
                          {"", "X"}, {"C:\\" + longName, longName}})
        EXPECT_EQ(EntryNameForPath(c.first), c.second) << c.first;
}

TEST(FolderRules, DriveFilterImagesAndMediaProbe)
{
    const struct { UINT type; BOOL removable, network, shown; int image; } cases[] = {
        {DRIVE_UNKNOWN, FALSE, FALSE, TRUE, 0},   {DRIVE_NO_ROOT_DIR, TRUE, TRUE, FALSE, 0},
        {DRIVE_REMOVABLE, TRUE, FALSE, TRUE, 0},  {DRIVE_REMOVABLE, FALSE, TRUE, FALSE, 0},
        {DRIVE_FIXED, FALSE, FALSE, TRUE, 1},     {DRIVE_REMOTE, FALSE, TRUE, TRUE, 2},
        {DRIVE_REMOTE, TRUE, FALSE, FALSE, 2},    {DRIVE_CDROM, TRUE, FALSE, TRUE, 3},
        {DRIVE_CDROM, FALSE, TRUE, FALSE, 3},     {DRIVE_RAMDISK, FALSE, FALSE, TRUE, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ShouldShowDrive(c.type, c.removable, c.network), c.shown) << c.type << c.removable << c.network;
        EXPECT_EQ(DriveImage(c.type), c.image) << c.type;
    }
    int missing = 25;
    while (missing > 2 && (::GetLogicalDrives() & (1u << missing)) != 0)
        --missing;
    EXPECT_FALSE(DriveHasMedia(DriveText(missing)));
    EXPECT_TRUE(DriveHasMedia("C:"));
}

// The reference for the order is a real tree control inserting with its own sorted insertion.
TEST(FolderRules, SortMatchesTheTreeControlsOwnSortedInsertion)
{
    const std::vector<Texts> cases = {
        {"delta", "Alpha", "charlie", "Bravo"},
        {"b", "A", "a", "B", "_x", "~y", "10", "9", "Zeta", "zeta", "x y", "x-y", "xy", "x_y", "x.y"},
        {"a-b", "ab", "Ab", "a b", "a'b", "\xE9t\xE9", "ete", "Ete", "\xC9t\xE9", "ez"},
    };
    HWND hTree = ::CreateWindowExA(0, WC_TREEVIEWA, "", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr,
                                   ::GetModuleHandleA(nullptr), nullptr);
    for (Texts names : cases) {
        for (int pass = 0; pass < 2; ++pass, std::reverse(names.begin(), names.end())) {
            TreeView_DeleteAllItems(hTree);
            for (const std::string& name : names) {
                TVINSERTSTRUCTA insert = {};
                insert.hParent = TVI_ROOT;
                insert.hInsertAfter = TVI_SORT;
                insert.item.mask = TVIF_TEXT;
                insert.item.pszText = const_cast<char*>(name.c_str());
                TreeView_InsertItem(hTree, &insert);
            }
            std::vector<FolderName> folders;
            for (const std::string& name : names)
                folders.push_back({name, name});
            SortFolderNames(folders);
            Texts sorted;
            for (const FolderName& folder : folders)
                sorted.push_back(folder.shown);
            EXPECT_EQ(sorted, ChildTexts(hTree, TVI_ROOT));
        }
    }
    ::DestroyWindow(hTree);
}

} // namespace
