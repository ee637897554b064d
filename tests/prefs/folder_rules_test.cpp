// Folder tree rules that need no page: the case rule, node paths, row names, drive filter, tree order.
#include "prefs/FolderTree.h"
#include "tests/prefs/SheetDriver.h"

namespace {

TEST(FolderRules, NamesPathsAndRowNames)
{
    const struct { const char* in; const char* out; } cases[] = {
        {"WINDOWS", "Windows"}, {"PROGRA~1", "Progra~1"}, {"C:", "C:"}, {"Program Files", "Program Files"},
        {"mIXED", "mIXED"}, {"1999 TAX", "1999 tax"}, {"", ""},
        {"SK\xC3\x85NE", "Sk\xC3\xA5ne"}, // the system's case rules, not only A to Z
        {"\xC3\xA9" "COLE", "\xC3\xA9" "COLE"}, // é is lower case already
        {"\xD0\x9F\xD0\xA0\xD0\x9E\xD0\x95\xD0\x9A\xD0\xA2\xD0\xAB", "\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB5\xD0\xBA\xD1\x82\xD1\x8B"}, // ПРОЕКТЫ
        {"\xE5\xA0\xB1\xE5\x91\x8A", "\xE5\xA0\xB1\xE5\x91\x8A"}, // 報告: no case
        {"\xF0\x90\x90\x80X", "\xF0\x90\x90\x80x"}, // a first character beyond 16 bits is kept whole
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

TEST(FolderRules, OnlyAFolderGoneFromADriveThatAnswersIsDropped)
{
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::string base = WideToUtf8(temp) + "TrovelGone" + std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryW(Utf8ToWide(base).c_str(), nullptr);
    const std::string file = base + "\\file.txt";
    ::CloseHandle(::CreateFileW(Utf8ToWide(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    int missing = 25;
    while (missing > 2 && (::GetLogicalDrives() & (1u << missing)) != 0)
        --missing;
    const struct { const char* label; std::string path; BOOL gone; } cases[] = {
        {"there", base + "\\", FALSE},
        {"gone from a drive that answers", base + "\\gone\\", TRUE},
        {"a file, no folder", file + "\\", TRUE},
        {"a UNC share, never looked at", "\\\\nowhere-server\\share\\gone\\", FALSE},
        {"a letter no drive has", std::string(1, (char)('A' + missing)) + ":\\gone\\", FALSE},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsFolderGone(c.path), c.gone) << c.label;
    ::DeleteFileW(Utf8ToWide(file).c_str());
    ::RemoveDirectoryW(Utf8ToWide(base).c_str());
}

// The reference for the order is a real tree control inserting with its own sorted insertion.
TEST(FolderRules, SortMatchesTheTreeControlsOwnSortedInsertion)
{
    const std::vector<Texts> cases = {
        {"delta", "Alpha", "charlie", "Bravo"},
        {"b", "A", "a", "B", "_x", "~y", "10", "9", "Zeta", "zeta", "x y", "x-y", "xy", "x_y", "x.y"},
        {"a-b", "ab", "Ab", "a b", "a'b", "\xC3\xA9t\xC3\xA9", "ete", "Ete", "\xC3\x89t\xC3\xA9", "ez"},
        {"\xE5\xA0\xB1", "\xD0\x9F", "z", "\xCE\xB1"},
    };
    HWND hTree = ::CreateWindowExW(0, WC_TREEVIEWW, L"", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr);
    for (Texts names : cases) {
        for (int pass = 0; pass < 2; ++pass, std::reverse(names.begin(), names.end())) {
            TreeView_DeleteAllItems(hTree);
            for (const std::string& name : names) {
                std::wstring wide = Utf8ToWide(name);
                TVINSERTSTRUCTW insert = {};
                insert.hParent = TVI_ROOT;
                insert.hInsertAfter = TVI_SORT;
                insert.item.mask = TVIF_TEXT;
                insert.item.pszText = &wide[0];
                ::SendMessageW(hTree, TVM_INSERTITEMW, 0, (LPARAM)&insert);
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
