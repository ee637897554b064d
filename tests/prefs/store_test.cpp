// Preferences and the store together: other writers, settings nobody changed, a key deleted while
// Trovel runs, the settings file that cannot be read, and the Paths and Names page by keyboard.
#include "tests/prefs/SheetDriver.h"
#include "tests/support/RegistryDump.h"

#include <oleacc.h>

namespace {

std::vector<std::string> Describe(const CPathList& list)
{
    std::vector<std::string> out;
    for (const auto& e : list)
        out.push_back(e->strName + "|" + std::to_string(e->nID));
    return out;
}

std::vector<std::string> StoredList(const CRegistryKey& reg)
{
    CDialogList dialogs;
    CPathList paths;
    LoadPathLists(reg, dialogs, paths);
    return Describe(paths);
}

// Another program's write: straight into the registry, past Trovel.
void WriteAsAnother(const std::string& keyPath, const char* pszName, const std::string& text)
{
    const std::wstring w = Utf8ToWide(text) + L'\0';
    ASSERT_TRUE(WriteRawValue(HKEY_CURRENT_USER, keyPath, pszName,
                              std::string(reinterpret_cast<const char*>(w.data()), w.size() * 2), REG_SZ, true));
}

void WriteDword(const std::string& keyPath, const char* pszName, DWORD value)
{
    ASSERT_TRUE(WriteRawValue(HKEY_CURRENT_USER, keyPath, pszName,
                              std::string(reinterpret_cast<const char*>(&value), sizeof(value)), REG_DWORD, true));
}

TEST_F(PreferencesTest, TwoWritersEachKeepTheirChangeAndTheUsersOkWinsOnTheSameRow)
{
    StorePathList({{Make("a") + "\\", "A", 5000}, {Make("b") + "\\", "B", 5001}, {Make("c") + "\\", "C", 5002},
                   {Make("d") + "\\", "D", 5003}});
    const std::string listKey = m_scratch.Path() + "\\PathList";
    WriteAsAnother(listKey, "SN1", "B by another"); // while Trovel runs, before Preferences opens
    ASSERT_TRUE(WithPreferences([&](HWND hSheet, CPage1& page) {
        EXPECT_EQ(ListRows(page.m_listNames.m_hWnd), (Texts{"A", "B by another", "C", "D"})); // read afresh
        ClickListRow(page.m_listPaths.m_hWnd, 0);
        TypeInto(Item(page, IDC_EDIT_NAME), "A by me");
        ClickListRow(page.m_listPaths.m_hWnd, 3);
        Click(Item(page, IDC_BTN_REMOVE));
        // While the sheet is open: the same row, and one the user leaves alone.
        WriteAsAnother(listKey, "SN0", "A meanwhile");
        WriteAsAnother(listKey, "SN2", "C meanwhile");
        Press(hSheet, PSBTN_OK);
    }));
    const std::vector<std::string> expected = {"A by me|5000", "B by another|5001", "C meanwhile|5002"};
    EXPECT_EQ(StoredList(m_scratch.Key()), expected); // what the next start shows
    EXPECT_EQ(Describe(m_pView->m_pathList), expected); // and the menu now
}

TEST_F(PreferencesTest, SettingsNobodyChangedStayAsStoredWithTheirType)
{
    StorePathList({{Make("a") + "\\", "A", 5000}});
    const std::string root = m_scratch.Path();
    WriteDword(root + "\\Tree", "Net", 0);
    WriteDword(root + "\\Tree", "Remov", 1);
    WriteDword(root + "\\Dialog", "Hotkey", MAKEWORD('K', HOTKEYF_CONTROL | HOTKEYF_ALT));
    WriteDword(root + "\\Dialog", "ListOpenFolders", 0);
    m_pView->m_dialogSettings = ReadDialogSettings(m_scratch.Key());
    const Texts before = DumpKeyTree(HKEY_CURRENT_USER, root + "\\Dialog");

    ASSERT_TRUE(WithPreferences([&](HWND hSheet, CPage1& page) {
        EXPECT_FALSE(::SendMessageW(Item(page, IDC_CHECK_NETWORK), BM_GETCHECK, 0, 0));
        ClickListRow(page.m_listPaths.m_hWnd, 0);
        TypeInto(Item(page, IDC_EDIT_NAME), "Only this");
        ShowPage2(hSheet); // shown, and left as it was
        ::SendMessageW(hSheet, PSM_SETCURSEL, 0, 0);
        Click(Item(page, IDC_CHECK_REMOVABLE)); // one setting the user does change
        Press(hSheet, PSBTN_OK);
    }));
    EXPECT_EQ(DumpKeyTree(HKEY_CURRENT_USER, root + "\\Dialog"), before); // GoToFolder not made either
    // Net untouched; Remov changed to 0, and still a REG_DWORD.
    for (const char* pszName : {"Net", "Remov"}) {
        EXPECT_EQ(RawValueType(HKEY_CURRENT_USER, root + "\\Tree", pszName), (DWORD)REG_DWORD) << pszName;
        EXPECT_EQ(m_scratch.Key().ReadInt("Tree", pszName, -1), 0) << pszName;
    }
    EXPECT_EQ(StoredList(m_scratch.Key()), std::vector<std::string>{"Only this|5000"});
}

TEST_F(PreferencesTest, AKeyDeletedWhileRunningIsWrittenBackWholeAtTheNextChange)
{
    StorePathList({{Make("a") + "\\", "A", 5000}, {Make("b") + "\\", "B", 5001}, {Make("c") + "\\", "C", 5002}});
    const std::string root = m_scratch.Path();
    m_scratch.Key().WriteInt("Tree", "Net", 0);
    m_scratch.Key().WriteInt("Newbie", "Help", 1);
    const Texts whole = DumpKeyTree(HKEY_CURRENT_USER, root);
    ASSERT_TRUE(DeleteKeyTree(HKEY_CURRENT_USER, root)); // a cleaner, or another session

    ASSERT_TRUE(WithPreferences([&](HWND hSheet, CPage1& page) {
        EXPECT_EQ(ListRows(page.m_listNames.m_hWnd), (Texts{"A", "B", "C"})); // what Trovel has, not the empty key
        ClickListRow(page.m_listPaths.m_hWnd, 1);
        TypeInto(Item(page, IDC_EDIT_NAME), "B2");
        Press(hSheet, PSBTN_OK);
    }));
    Texts expected = whole;
    for (std::string& line : expected)
        if (line.rfind("PathList:<SN1>=", 0) == 0)
            line = "PathList:<SN1>=<B2>";
    expected.push_back("Tree:<Remov>=<1>"); // never stored: the first OK writes it from its box
    EXPECT_EQ(DumpKeyTree(HKEY_CURRENT_USER, root), expected); // complete, and no "Filling" mark left
    EXPECT_EQ(StoredList(m_scratch.Key()), (std::vector<std::string>{"A|5000", "B2|5001", "C|5002"}));
}

TEST_F(PreferencesTest, ASettingsFileThatCannotBeDecodedIsToldOnceByName)
{
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::string file = WideToUtf8(temp) + "TrovelUndecodable" + std::to_string(::GetCurrentProcessId()) + ".INI";
    FILE* pFile = _wfopen(Utf8ToWide(file).c_str(), L"wb");
    ASSERT_NE(pFile, nullptr);
    std::fwrite("[Tree]\0Net=0\0", 1, 13, pFile);
    std::fclose(pFile);
    HKEY hRoot = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, m_scratch.Path().c_str(), 0, KEY_WRITE, &hRoot), ERROR_SUCCESS);
    m_scratch.Key().ImportIniFile(hRoot, file);
    ::RegCloseKey(hRoot);
    ::DeleteFileW(Utf8ToWide(file).c_str());
    EXPECT_EQ(Stored("Tree", "Net"), "<missing>");
    m_pView->ReportUndecodableSettingsFile();
    m_pView->ReportUndecodableSettingsFile();
    EXPECT_EQ(s_boxes, Texts{"Trovel|" + UndecodableFileText(file)});
    EXPECT_NE(s_boxes[0].find(file), std::string::npos);
}

// Keys go to the control with the focus and through the sheet's dialog manager, as typed.
void PressKey(HWND hSheet, UINT vk, UINT msg = WM_KEYDOWN)
{
    HWND hFocus = ::GetFocus();
    if (msg == WM_SYSCHAR) {
        ::PostMessageW(hFocus, WM_SYSCHAR, vk, 1 << 29);
    } else {
        ::PostMessageW(hFocus, WM_KEYDOWN, vk, 1);
        ::PostMessageW(hFocus, WM_KEYUP, vk, 0xC0000001);
    }
    MSG m;
    while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (!::SendMessageW(hSheet, PSM_ISDIALOGMESSAGE, 0, (LPARAM)&m)) {
            ::TranslateMessage(&m);
            ::DispatchMessageW(&m);
        }
    }
}

std::string AccessibleName(HWND hControl)
{
    using AccessibleObjectFromWindowFn = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
    HMODULE hOleacc = ::LoadLibraryW(L"oleacc.dll");
    auto pfn = hOleacc ? reinterpret_cast<AccessibleObjectFromWindowFn>(::GetProcAddress(hOleacc, "AccessibleObjectFromWindow"))
                       : nullptr;
    IAccessible* pAcc = nullptr;
    std::string name = "<no object>";
    if (pfn != nullptr && SUCCEEDED(pfn(hControl, (DWORD)OBJID_CLIENT, IID_IAccessible, (void**)&pAcc)) && pAcc) {
        VARIANT self;
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR bstr = nullptr;
        name = SUCCEEDED(pAcc->get_accName(self, &bstr)) && bstr ? WideToUtf8(bstr) : "<no name>";
        ::SysFreeString(bstr);
        pAcc->Release();
    }
    return name;
}

std::string ToolTipOf(HWND hSheet, HWND hPage, HWND hControl)
{
    std::string text = "<no tip>";
    for (HWND h = ::FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr); h != nullptr;
         h = ::FindWindowExW(nullptr, h, TOOLTIPS_CLASSW, nullptr)) {
        if (::GetWindow(h, GW_OWNER) != hSheet)
            continue;
        wchar_t buffer[256] = {};
        TOOLINFOW tool = {};
        tool.cbSize = TTTOOLINFOW_V1_SIZE;
        tool.hwnd = hPage;
        tool.uId = (UINT_PTR)hControl;
        tool.lpszText = buffer;
        ::SendMessageW(h, TTM_GETTEXTW, 256, (LPARAM)&tool);
        if (buffer[0] != 0)
            text = WideToUtf8(buffer);
    }
    return text;
}

TEST_F(PreferencesTest, PathsAndNamesByKeyboardKeepsTheFocusInSightAndNamesItsButtons)
{
    StorePathList({{Make("a") + "\\", "A", 5000}, {Make("b") + "\\", "B", 5001}, {Make("c") + "\\", "C", 5002}});
    ASSERT_TRUE(WithPreferences([&](HWND hSheet, CPage1& page) {
        auto focusInSight = [&](const char* step) {
            HWND hFocus = ::GetFocus();
            EXPECT_TRUE(hFocus != nullptr && ::IsChild(hSheet, hFocus) && ::IsWindowVisible(hFocus) &&
                        ::IsWindowEnabled(hFocus))
                << step;
        };
        const struct { int nID; const char* name; } buttons[] = {{IDC_BTN_ADD, "Add to the list"},
                                                                 {IDC_BTN_REMOVE, "Remove from the list"}};
        for (const auto& b : buttons) {
            EXPECT_EQ(AccessibleName(Item(page, b.nID)), b.name);
            EXPECT_EQ(ToolTipOf(hSheet, page.m_hWnd, Item(page, b.nID)), b.name);
        }

        page.m_listPaths.SetFocus();
        PressKey(hSheet, VK_HOME); // selects row 0
        PressKey(hSheet, VK_TAB);
        EXPECT_EQ(::GetFocus(), Item(page, IDC_BTN_REMOVE));
        for (int left = 2; left >= 0; --left) {
            PressKey(hSheet, VK_SPACE);
            EXPECT_EQ(ListRows(page.m_listPaths.m_hWnd).size(), (size_t)left);
            focusInSight("after a removal");
        }
        EXPECT_EQ(::GetFocus(), page.m_treeFolders.m_hWnd);
        PressKey(hSheet, VK_DOWN); // the first drive below the Desktop
        PressKey(hSheet, VK_TAB);
        EXPECT_EQ(::GetFocus(), Item(page, IDC_BTN_ADD));
        PressKey(hSheet, VK_SPACE);
        EXPECT_EQ(ListRows(page.m_listPaths.m_hWnd).size(), 1u);
        focusInSight("after the add");

        // The labels' mnemonics take the focus to their fields.
        PressKey(hSheet, 'n', WM_SYSCHAR);
        EXPECT_EQ(::GetFocus(), Item(page, IDC_EDIT_NAME));
        PressKey(hSheet, 'p', WM_SYSCHAR);
        EXPECT_EQ(::GetFocus(), Item(page, IDC_EDIT_PATH));
        Press(hSheet, PSBTN_CANCEL);
    }));
}

} // namespace
