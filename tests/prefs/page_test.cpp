// The "Paths and Names" page through its real controls: rows, names, enabling rules, OK and Cancel.
#include "tests/prefs/SheetDriver.h"
#include "tests/support/RegistryDump.h"

std::ostream& operator<<(std::ostream& os, const PathEntry& e)
{
    return os << "{" << e.strPath << ", " << e.strName << ", " << e.nID << "}";
}

namespace {

std::vector<PathEntry> Entries(const CPathList& list)
{
    std::vector<PathEntry> entries;
    for (const auto& e : list)
        entries.push_back(*e);
    return entries;
}

int Selected(CPage1& page) { return page.m_listPaths.GetCurSel(); }

TEST_F(PreferencesTest, AddingRowsFromTheTreeUpToFive)
{
    std::vector<PathEntry> seven;
    for (int i = 0; i < 7; ++i)
        seven.push_back({"C:\\F" + std::to_string(i) + "\\", "N" + std::to_string(i), 5000 + i});
    StorePathList(seven);
    const std::string reports = Make("Work\\Reports");
    ASSERT_TRUE(WithPreferences([&](HWND hSheet, CPage1& page) {
        EXPECT_EQ(ListRows(page.m_listNames.m_hWnd), (Texts{"N0", "N1", "N2", "N3", "N4"})); // the first five
        EXPECT_EQ(Selected(page), LB_ERR);
        for (int nID : {IDC_BTN_ADD, IDC_BTN_REMOVE, IDC_EDIT_NAME})
            EXPECT_FALSE(Enabled(page, nID)) << nID;
        EXPECT_TRUE(::GetWindowLongW(Item(page, IDC_EDIT_PATH), GWL_STYLE) & ES_READONLY);
        EXPECT_NE(::SendMessageA(Item(page, IDC_BTN_ADD), BM_GETIMAGE, IMAGE_ICON, 0), 0); // the arrows
        ClickListRow(page.m_listPaths.m_hWnd, 0);
        for (int i = 0; i < 5; ++i)
            Click(Item(page, IDC_BTN_REMOVE));
        EXPECT_EQ(ListRows(page.m_listNames.m_hWnd), Texts{});

        AddFolder(page, "C:");
        EXPECT_EQ(ListRows(page.m_listPaths.m_hWnd), Texts{"C:\\"});
        EXPECT_EQ(ListRows(page.m_listNames.m_hWnd), Texts{"C"});
        EXPECT_EQ(AfxGetWindowText(Item(page, IDC_EDIT_PATH)), "C:\\");
        EXPECT_EQ(AfxGetWindowText(Item(page, IDC_EDIT_NAME)), "C");
        EXPECT_TRUE(Enabled(page, IDC_BTN_REMOVE) && Enabled(page, IDC_EDIT_NAME) && Enabled(page, IDC_BTN_ADD));
        EXPECT_EQ(::GetFocus(), page.m_listPaths.m_hWnd);

        for (int i = 0; i < 3; ++i) // the same folder again and again: no test for duplicates
            AddFolder(page, reports);
        EXPECT_EQ(ListRows(page.m_listPaths.m_hWnd), (Texts{"C:\\", reports + "\\", reports + "\\", reports + "\\"}));
        EXPECT_EQ(ListRows(page.m_listNames.m_hWnd), (Texts{"C", "Reports", "Reports", "Reports"}));
        EXPECT_EQ(Selected(page), 3);
        EXPECT_TRUE(s_boxes.empty());
        Click(Item(page, IDC_BTN_ADD)); // the fifth
        EXPECT_EQ(s_boxes, Texts{"Trovel|Maximum List Size Reached"});
        EXPECT_FALSE(Enabled(page, IDC_BTN_ADD));
        ClickListRow(page.m_listPaths.m_hWnd, 1);
        Click(Item(page, IDC_BTN_REMOVE));
        EXPECT_TRUE(Enabled(page, IDC_BTN_ADD));
        Press(hSheet, PSBTN_CANCEL);
    }));
}

TEST_F(PreferencesTest, RemovingRenamingAndTheDesktopNode)
{
    StorePathList({{"C:\\A\\", "A", 5000}, {"C:\\B\\", "B", 5001}, {"C:\\C\\", "C", 5002}, {"C:\\D\\", "D", 5003}});
    const std::string folder = Make("pick");
    ASSERT_TRUE(WithPreferences([&](HWND hSheet, CPage1& page) {
        HWND hPaths = page.m_listPaths.m_hWnd, hTree = page.m_treeFolders.m_hWnd;
        Click(Item(page, IDC_BTN_REMOVE)); // disabled while no row is selected
        ClickListRow(hPaths, 1);
        // Any length and any script: the store reads back what it holds.
        const std::string name = std::string(300, 'n') + " \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80";
        TypeInto(Item(page, IDC_EDIT_NAME), name);
        EXPECT_EQ(ListRows(page.m_listNames.m_hWnd)[1], name);
        TypeInto(Item(page, IDC_EDIT_NAME), "Second");
        EXPECT_EQ(ListRows(page.m_listNames.m_hWnd), (Texts{"A", "Second", "C", "D"})); // that row only
        ClickListRow(hPaths, 0);
        EXPECT_EQ(AfxGetWindowText(Item(page, IDC_EDIT_NAME)), "A");

        Click(Item(page, IDC_BTN_REMOVE)); // row 0: the new row 0 is selected
        EXPECT_EQ(ListRows(hPaths), (Texts{"C:\\B\\", "C:\\C\\", "C:\\D\\"}));
        EXPECT_EQ(Selected(page), 0);
        EXPECT_EQ(AfxGetWindowText(Item(page, IDC_EDIT_NAME)), "Second");
        ClickListRow(hPaths, 2);
        Click(Item(page, IDC_BTN_REMOVE)); // row 2 of 3: row 1 is selected
        EXPECT_EQ(Selected(page), 1);
        EXPECT_EQ(AfxGetWindowText(Item(page, IDC_EDIT_PATH)), "C:\\C\\");

        // The Desktop, selected or clicked, disables add; a removal does not make it addable.
        HTREEITEM hDesktop = TreeView_GetRoot(hTree), hFolder = ExpandTo(hTree, folder);
        EXPECT_TRUE(Enabled(page, IDC_BTN_ADD));
        ClickTreeItem(hTree, hDesktop);
        EXPECT_FALSE(Enabled(page, IDC_BTN_ADD));
        ClickTreeItem(hTree, hFolder);
        EXPECT_TRUE(Enabled(page, IDC_BTN_ADD));
        TreeView_SelectItem(hTree, hDesktop);
        EXPECT_FALSE(Enabled(page, IDC_BTN_ADD));
        Click(Item(page, IDC_BTN_REMOVE));
        EXPECT_FALSE(Enabled(page, IDC_BTN_ADD));
        // Not even a click that reaches the page another way makes the Desktop a lone "\" row.
        ::SendMessageA(page.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_BTN_ADD, BN_CLICKED), (LPARAM)Item(page, IDC_BTN_ADD));
        EXPECT_EQ(ListRows(hPaths), Texts{"C:\\B\\"});

        Click(Item(page, IDC_BTN_REMOVE)); // the last row
        EXPECT_EQ(ListRows(page.m_listNames.m_hWnd), Texts{});
        EXPECT_EQ(AfxGetWindowText(Item(page, IDC_EDIT_PATH)) + AfxGetWindowText(Item(page, IDC_EDIT_NAME)), "");
        EXPECT_FALSE(Enabled(page, IDC_BTN_REMOVE) || Enabled(page, IDC_EDIT_NAME));
        EXPECT_EQ(::GetFocus(), page.m_treeFolders.m_hWnd); // visible, not the hidden button
        Press(hSheet, PSBTN_CANCEL);
    }));
}

TEST_F(PreferencesTest, OkKeepsExistingFoldersWithRowIdsAndCancelKeepsEverything)
{
    std::vector<std::string> folders;
    for (const char* name : {"one", "two", "three", "four", "five"})
        folders.push_back(Make(name));
    StorePathList({{folders[0] + "\\", "Old", 5000}});
    const std::string listKey = m_scratch.Path() + "\\PathList";
    const Texts storedBefore = DumpKeyTree(HKEY_CURRENT_USER, listKey);

    // OK before the page has loaded its rows is no edit of the user's; Cancel undoes every edit.
    ASSERT_TRUE(WithPreferences([&](HWND hSheet, CPage1& page) { Press(hSheet, PSBTN_OK); }, false));
    ASSERT_TRUE(WithPreferences([&](HWND hSheet, CPage1& page) {
        AddFolder(page, folders[1]);
        ClickListRow(page.m_listPaths.m_hWnd, 0);
        TypeInto(Item(page, IDC_EDIT_NAME), "Changed");
        Press(hSheet, PSBTN_CANCEL);
    }));
    EXPECT_EQ(Entries(m_pView->m_pathList), (std::vector<PathEntry>{{folders[0] + "\\", "Old", 5000}}));
    EXPECT_EQ(DumpKeyTree(HKEY_CURRENT_USER, listKey), storedBefore);

    char dirBefore[MAX_PATH] = {}, dirAfter[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, dirBefore);
    ASSERT_TRUE(WithPreferences([&](HWND hSheet, CPage1& page) {
        ClickListRow(page.m_listPaths.m_hWnd, 0);
        Click(Item(page, IDC_BTN_REMOVE));
        for (const std::string& folder : folders)
            AddFolder(page, folder);
        ClickListRow(page.m_listPaths.m_hWnd, 4);
        TypeInto(Item(page, IDC_EDIT_NAME), ""); // an emptied name would end the list at the next start
        RemoveTree(folders[2]);                  // row 2's folder goes before OK
        Press(hSheet, PSBTN_OK);
    }));
    ::GetCurrentDirectoryA(MAX_PATH, dirAfter);
    EXPECT_STREQ(dirAfter, dirBefore);
    const std::vector<PathEntry> expected = {{folders[0] + "\\", "one", 5000}, {folders[1] + "\\", "two", 5001},
                                             {folders[3] + "\\", "four", 5003}, {folders[4] + "\\", "five", 5004}};
    EXPECT_EQ(Entries(m_pView->m_pathList), expected);
    CDialogList dialogs;
    CPathList reloaded; // read back as at the next start
    LoadPathLists(m_scratch.Key(), dialogs, reloaded);
    EXPECT_EQ(Entries(reloaded), expected);
    EXPECT_EQ(Stored("PathList", "ID4"), "0"); // the terminator row
}

// The Windows path of the folder behind drive R: (see scripts/wine-env.sh), or "" outside the test set-up.
std::string DriveRTarget()
{
    wchar_t unixPath[MAX_PATH] = {};
    if (::GetEnvironmentVariableW(L"TROVEL_DRIVE_R", unixPath, MAX_PATH) == 0)
        return "";
    std::string path = "Z:" + WideToUtf8(unixPath);
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

TEST_F(PreferencesTest, OkKeepsEveryFavouriteTheUserDidNotRemoveAndWritesNothingUnchanged)
{
    const std::string drive = DriveRTarget();
    ASSERT_FALSE(drive.empty()) << "drive R: of the test prefix";
    ASSERT_TRUE(::CreateDirectoryW(Utf8ToWide(drive + "\\Stick").c_str(), nullptr) ||
                ::GetLastError() == ERROR_ALREADY_EXISTS);
    const std::string here = Make("here"), also = Make("also");
    int missing = 25; // a letter no drive has
    while (missing > 2 && (::GetLogicalDrives() & (1u << missing)) != 0)
        --missing;
    const std::string absent = std::string(1, (char)('A' + missing)) + ":\\Unplugged\\";
    const std::vector<PathEntry> stored = {
        {here + "\\", "Here", 5000},
        {"R:\\Stick\\", "Stick", 5001},                        // its drive is pulled away below
        {"\\\\nowhere-server\\share\\", "Share", 5002},        // never looked at: no network wait
        {absent, "Absent", 5003},
        {also + "\\", "Also", 5004},
        {here + "\\", "Sixth, from a settings file", 5000}, // past the five rows the page shows
    };
    StorePathList(stored);
    // Every row's values stored in another form that reads the same (texts as REG_EXPAND_SZ, ids as
    // REG_DWORD): a rewrite of any one shows in the listing as a plain REG_SZ. Wine drops a write of
    // the very data a value holds, so rewriting the same form could not be seen.
    const std::string listKey = m_scratch.Path() + "\\PathList";
    auto wide = [](const std::string& text) {
        const std::wstring w = Utf8ToWide(text) + L'\0';
        return std::string(reinterpret_cast<const char*>(w.data()), w.size() * sizeof(wchar_t));
    };
    for (size_t i = 0; i < stored.size(); ++i) {
        const std::string n = std::to_string(i);
        const DWORD id = (DWORD)stored[i].nID;
        ASSERT_TRUE(WriteRawValue(HKEY_CURRENT_USER, listKey, ("P" + n).c_str(), wide(stored[i].strPath), REG_EXPAND_SZ, true));
        ASSERT_TRUE(WriteRawValue(HKEY_CURRENT_USER, listKey, ("SN" + n).c_str(), wide(stored[i].strName), REG_EXPAND_SZ, true));
        ASSERT_TRUE(WriteRawValue(HKEY_CURRENT_USER, listKey, ("ID" + n).c_str(),
                                  std::string(reinterpret_cast<const char*>(&id), sizeof(id)), REG_DWORD, true));
    }
    std::vector<PathEntry> loaded = stored;
    loaded[5].nID = 0; // its id is the first one's, and none is left: kept, but out of the menu
    const Texts before = DumpKeyTree(HKEY_CURRENT_USER, listKey);
    RemoveTree(drive); // the stick is unplugged: R: no longer answers

    {
        KeyWatch watch(HKEY_CURRENT_USER, listKey);
        ASSERT_TRUE(watch.Watching());
        ASSERT_TRUE(WithPreferences([&](HWND hSheet, CPage1& page) { Press(hSheet, PSBTN_OK); }));
        EXPECT_FALSE(watch.Changed()) << "OK without an edit sets no value, not even to what it held";
    }
    EXPECT_EQ(Entries(m_pView->m_pathList), loaded);
    EXPECT_EQ(DumpKeyTree(HKEY_CURRENT_USER, listKey), before);

    // A real edit writes that row's name and nothing else; the ones nobody removed are all still there.
    ASSERT_TRUE(WithPreferences([&](HWND hSheet, CPage1& page) {
        ClickListRow(page.m_listPaths.m_hWnd, 0);
        TypeInto(Item(page, IDC_EDIT_NAME), "Renamed");
        Press(hSheet, PSBTN_OK);
    }));
    std::vector<PathEntry> renamed = loaded;
    renamed[0].strName = "Renamed";
    EXPECT_EQ(Entries(m_pView->m_pathList), renamed);
    Texts after = before;
    for (std::string& line : after)
        if (line.rfind(":<SN0>=", 0) == 0)
            line = ":<SN0>=<Renamed>";
    EXPECT_EQ(DumpKeyTree(HKEY_CURRENT_USER, listKey), after);
    CDialogList dialogs;
    CPathList reloaded;
    LoadPathLists(m_scratch.Key(), dialogs, reloaded);
    EXPECT_EQ(Entries(reloaded), renamed);
    ::CreateDirectoryW(Utf8ToWide(drive).c_str(), nullptr); // plugged in again for the tests after this one
}

TEST_F(PreferencesTest, AFolderNamedInThreeScriptsIsStoredExactly)
{
    // Cyrillic, Japanese and Greek in one path.
    const std::string name = "\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB5\xD0\xBA\xD1\x82 \xE5\xA0\xB1\xE5\x91\x8A \xCE\xB1\xCE\xB2\xCE\xB3";
    const std::string folder = Make(name);
    ASSERT_TRUE(WithPreferences([&](HWND hSheet, CPage1& page) {
        AddFolder(page, folder);
        EXPECT_EQ(ListRows(page.m_listNames.m_hWnd), Texts{name});
        Press(hSheet, PSBTN_OK);
    }));
    const std::string path = folder + "\\";
    EXPECT_EQ(Entries(m_pView->m_pathList), (std::vector<PathEntry>{{path, name, 5000}}));
    // The registry holds the very characters: UTF-16 of the path and the name.
    EXPECT_EQ(RawValue(HKEY_CURRENT_USER, m_scratch.Path() + "\\PathList", "P0"), Utf8ToWide(path) + L'\0');
    EXPECT_EQ(RawValue(HKEY_CURRENT_USER, m_scratch.Path() + "\\PathList", "SN0"), Utf8ToWide(name) + L'\0');
}

TEST_F(PreferencesTest, AFolderWhosePathWindowsWouldNotTakeIsRefusedWithAMessage)
{
    // Made through the long-path form; the tree lists it, but as a favourite its path (with the
    // backslash) would be past what the file calls take.
    const std::string parent = Make("deep");
    const std::string folder = parent + "\\" + std::string(258 - parent.size(), 'x'); // 259 characters
    ASSERT_TRUE(::CreateDirectoryW(Utf8ToWide("\\\\?\\" + folder).c_str(), nullptr));
    ASSERT_TRUE(WithPreferences([&](HWND hSheet, CPage1& page) {
        AddFolder(page, folder);
        EXPECT_EQ(s_boxes, Texts{std::string("Trovel|") + CPage1::kPathTooLongText});
        EXPECT_TRUE(ListRows(page.m_listPaths.m_hWnd).empty());
        Press(hSheet, PSBTN_CANCEL);
    }));
    ::RemoveDirectoryW(Utf8ToWide("\\\\?\\" + folder).c_str());
}

} // namespace
