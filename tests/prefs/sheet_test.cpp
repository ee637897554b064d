// The Preferences sheet opened by its command: pages, settings in the registry, and the tray while it
// or the About box is up.
#include "tests/prefs/SheetDriver.h"
#include "tests/support/RegistryDump.h"

namespace {

bool Checked(HWND hBox) { return ::SendMessageA(hBox, BM_GETCHECK, 0, 0) == BST_CHECKED; }

LRESULT Tray(CTrovelView* pView, UINT mouse)
{
    return ::SendMessageA(pView->m_hWnd, WM_TRAY_NOTIFY, CTrovelView::kTrayIconId, mouse);
}

// Pop-up menus that open on this thread are recorded (item texts) and closed at once.
std::vector<Texts> g_menus;
LRESULT CALLBACK MenuHook(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT* pMsg = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && pMsg->message == WM_INITMENUPOPUP) {
        g_menus.emplace_back();
        for (int i = 0; i < ::GetMenuItemCount((HMENU)pMsg->wParam); ++i) {
            char text[128] = {};
            ::GetMenuStringA((HMENU)pMsg->wParam, (UINT)i, text, sizeof(text), MF_BYPOSITION);
            g_menus.back().push_back(text);
        }
    } else if (code == HC_ACTION && pMsg->message == WM_ENTERIDLE && pMsg->wParam == MSGF_MENU) {
        ::EndMenu();
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(PreferencesTest, PagesAndTheSettingsWrittenOnlyOnOk)
{
    const std::string treeKey = m_scratch.Path() + "\\Tree";
    DWORD type = 0;
    std::string data;
    const struct { int box; bool page2, tick; int button; const char* net; const char* remov; const char* help; } runs[] = {
        {IDC_CHECK_NETWORK, true, true, PSBTN_CANCEL, "<missing>", "<missing>", "1"}, // Cancel writes nothing
        {0, true, false, PSBTN_OK, "1", "1", "1"},           // first OK: "Tree" made from the boxes
        {IDC_CHECK_NETWORK, false, false, PSBTN_OK, "0", "1", "1"}, // page 2 never shown: "Help" untouched
        {IDC_CHECK_REMOVABLE, true, true, PSBTN_OK, "0", "0", "0"},
    };
    bool netChecked = true, removChecked = true; // no "Tree" key at first: both boxes start checked
    for (const auto& run : runs) {
        ASSERT_TRUE(WithPreferences([&](HWND hSheet, CPage1& page) {
            EXPECT_EQ(AfxGetWindowText(hSheet), "Preferences");
            EXPECT_EQ(::GetWindow(hSheet, GW_OWNER), AfxGetMainWnd()->m_hWnd);
            HWND hApply = ::GetDlgItem(hSheet, 0x3021);
            EXPECT_TRUE(hApply == nullptr || !::IsWindowVisible(hApply)); // OK is the only way to commit
            EXPECT_EQ(Checked(Item(page, IDC_CHECK_NETWORK)), netChecked);
            EXPECT_EQ(Checked(Item(page, IDC_CHECK_REMOVABLE)), removChecked);
            if (run.box != 0)
                Click(Item(page, run.box));
            if (run.page2) {
                CPage2* pPage2 = ShowPage2(hSheet);
                ASSERT_NE(pPage2, nullptr);
                EXPECT_EQ(AfxGetWindowText(pPage2->m_hWnd), "Other Settings");
                EXPECT_FALSE(Checked(::GetDlgItem(pPage2->m_hWnd, IDC_CHECK_RESTORE_TIPS))); // cleared every time
                if (run.tick)
                    Click(::GetDlgItem(pPage2->m_hWnd, IDC_CHECK_RESTORE_TIPS));
            }
            Press(hSheet, run.button);
        }));
        EXPECT_EQ(Stored("Tree", "Net"), run.net);
        EXPECT_EQ(Stored("Tree", "Remov"), run.remov);
        EXPECT_EQ(Stored("Newbie", "Help"), run.help); // 1 since the first start
        if (run.button == PSBTN_OK) {
            netChecked = run.net[0] == '1';
            removChecked = run.remov[0] == '1';
        }
    }
    ASSERT_TRUE(ReadRawValue(HKEY_CURRENT_USER, treeKey, "Net", type, data));
    EXPECT_EQ(type, (DWORD)REG_SZ);
}

// Other Settings with the keyboard alone: every control in reading order, each with a letter of its
// own; and what each of its boxes shows and stores.
TEST_F(PreferencesTest, OtherSettingsInReadingOrderWithAMnemonicOnEveryControlAndItsBoxesStored)
{
    const struct {
        int nID;
        const char* pszValue;
        const char* pszShown; // checked as the page opens: the default
    } boxes[] = {
        {IDC_CHECK_OPEN_FOLDERS, "ListOpenFolders", "1"},
        {IDC_CHECK_RECENT_FOLDERS, "ListRecentFolders", "1"},
        {IDC_CHECK_GO_TO_FOLDER, "GoToFolder", "1"},
        {IDC_CHECK_FOLLOW_FILE_MANAGER, "FollowFileManager", "0"},
    };
    ASSERT_TRUE(WithPreferences([&](HWND hSheet, CPage1&) {
        CPage2* pPage2 = ShowPage2(hSheet);
        ASSERT_NE(pPage2, nullptr);
        EXPECT_EQ(Texts(), KeyboardProblems(pPage2->m_hWnd));
        for (const auto& box : boxes) {
            HWND hBox = ::GetDlgItem(pPage2->m_hWnd, box.nID);
            EXPECT_EQ(Checked(hBox), box.pszShown[0] == '1') << box.pszValue;
            Click(hBox); // each turned over
        }
        Press(hSheet, PSBTN_OK);
    }));
    for (const auto& box : boxes)
        EXPECT_EQ(Stored("Dialog", box.pszValue), box.pszShown[0] == '1' ? "0" : "1") << box.pszValue;
    EXPECT_TRUE(m_pView->m_dialogSettings.bFollowFileManager) << "in force at once";
    EXPECT_FALSE(m_pView->m_dialogSettings.bListRecentFolders);
}

// Keys as the hotkey control on Other Settings hears them: a key alone or with Shift alone gets Ctrl;
// a stored Windows key, which the control cannot show, stays while the key is left as it was.
TEST_F(PreferencesTest, TheHotkeyControlGivesOnlyKeysWithCtrlAltOrWin)
{
    const WORD kWinG = MAKEWORD('G', kHotkeyFlagWin);
    const struct {
        const char* what;
        WORD wStored;
        std::vector<UINT> typed; // held down in this order
        WORD wExpected;
        bool bWritten = true; // false: left as it was, so not written at all
    } rows[] = {
        {"a plain letter", kDefaultDialogHotkey, {'B'}, MAKEWORD('B', HOTKEYF_CONTROL)},
        {"Shift and a letter", kDefaultDialogHotkey, {VK_SHIFT, 'B'}, MAKEWORD('B', HOTKEYF_CONTROL)},
        {"Alt and a letter", kDefaultDialogHotkey, {VK_MENU, 'B'}, MAKEWORD('B', HOTKEYF_ALT)},
        {"Ctrl, Shift and a letter", 0, {VK_CONTROL, VK_SHIFT, 'B'}, MAKEWORD('B', HOTKEYF_CONTROL | HOTKEYF_SHIFT)},
        {"Win+G left as it was", kWinG, {}, kWinG, false},
        {"Win+G, then a plain letter", kWinG, {'B'}, MAKEWORD('B', HOTKEYF_CONTROL)},
    };
    for (const auto& row : rows) {
        m_pView->m_dialogSettings.wHotkey = row.wStored;
        ASSERT_TRUE(WithPreferences([&](HWND hSheet, CPage1&) {
            HWND hHotkey = ::GetDlgItem(ShowPage2(hSheet)->m_hWnd, IDC_HOTKEY_DIALOG);
            for (UINT vk : row.typed)
                ::SendMessageW(hHotkey, row.typed[0] == VK_MENU ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, 0);
            for (auto it = row.typed.rbegin(); it != row.typed.rend(); ++it)
                ::SendMessageW(hHotkey, row.typed[0] == VK_MENU ? WM_SYSKEYUP : WM_KEYUP, *it, 0);
            Press(hSheet, PSBTN_OK);
        }, false));
        EXPECT_EQ(Stored("Dialog", "Hotkey"), row.bWritten ? std::to_string(row.wExpected) : "<missing>") << row.what;
        DeleteKeyTree(HKEY_CURRENT_USER, m_scratch.Path() + "\\Dialog"); // each row's write shows on its own
        EXPECT_EQ(m_pView->m_dialogSettings.wHotkey, row.wExpected) << row.what;
    }
}

// A stored key without Ctrl, Alt or the Windows key is no hotkey, and the user is told why, once.
TEST_F(PreferencesTest, AStoredKeyWithoutCtrlAltOrWinIsToldOnceByName)
{
    m_scratch.Key().WriteInt("Dialog", "Hotkey", MAKEWORD('B', HOTKEYF_SHIFT));
    m_pView->m_dialogSettings = ReadDialogSettings(m_scratch.Key());
    m_pView->StartDialogHotkey();
    EXPECT_EQ(m_pView->m_strLastNotice.rfind("Trovel does not use Shift+B at the file dialog", 0), 0u)
        << m_pView->m_strLastNotice;
    // The front is still followed, for the file manager just left; no key is taken.
    EXPECT_FALSE(m_pView->m_dialogHotkey.IsRegistered());
    m_pView->m_strLastNotice.clear();
    m_pView->StartDialogHotkey();
    EXPECT_EQ(m_pView->m_strLastNotice, "") << "told once a run";
}

TEST_F(PreferencesTest, TrayWhileTheSheetOrTheAboutBoxIsUp)
{
    const std::string folder = Make("Tray Folder");
    HHOOK hHook = ::SetWindowsHookExA(WH_CALLWNDPROC, &MenuHook, nullptr, ::GetCurrentThreadId());
    g_menus.clear();
    auto protectedNow = [this] {
        EXPECT_TRUE(m_pView->m_bDialogShowing);
        EXPECT_STREQ(m_pView->m_trayIcon.m_nid.szTip, L"Trovel Dialog Showing");
        EXPECT_EQ(Tray(m_pView, WM_RBUTTONUP), 1);
        EXPECT_TRUE(g_menus.empty()); // no menu while a dialog is up
    };
    ASSERT_TRUE(WithPreferences([&](HWND hSheet, CPage1& page) {
        protectedNow();
        // A double-click on the icon again brings the open sheet to the front; no second sheet.
        HWND hOther = ::CreateWindowExA(0, "Static", "", WS_POPUP | WS_VISIBLE, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
        ::SetForegroundWindow(hOther);
        Tray(m_pView, WM_LBUTTONDBLCLK);
        EXPECT_EQ(ShownWindowsTitled("Preferences"), std::vector<HWND>{hSheet});
        EXPECT_EQ(::GetForegroundWindow(), hSheet);
        ::DestroyWindow(hOther);

        // The About box from the Other Settings page: modal over the sheet, which stays protected.
        HWND hTips = ::GetDlgItem(ShowPage2(hSheet)->m_hWnd, IDC_CHECK_RESTORE_TIPS);
        Click(hTips);
        EXPECT_TRUE(RunInsideModal([&] { Click(::GetDlgItem(::GetParent(hTips), IDC_BTN_ABOUT)); },
                                   [] { return !ShownWindowsTitled("About Trovel").empty(); }, [&] {
            HWND hAbout = ShownWindowsTitled("About Trovel")[0];
            EXPECT_EQ(::GetWindow(hAbout, GW_OWNER), hSheet);
            protectedNow();
            Tray(m_pView, WM_LBUTTONDBLCLK); // the box on top comes to the front
            EXPECT_EQ(::GetForegroundWindow(), hAbout);
            ::SendMessageA(hAbout, WM_COMMAND, IDOK, 0);
        }));
        protectedNow();
        EXPECT_TRUE(Checked(hTips));
        ::SendMessageA(hSheet, PSM_SETCURSEL, 0, 0);
        AddFolder(page, folder);
        Press(hSheet, PSBTN_OK);
    }));
    EXPECT_FALSE(m_pView->m_bDialogShowing);
    EXPECT_STREQ(m_pView->m_trayIcon.m_nid.szTip, L"Trovel");
    Tray(m_pView, WM_RBUTTONUP);
    ASSERT_EQ(g_menus.size(), 1u);
    EXPECT_EQ(g_menus[0][0], "Tray Folder"); // the new list is in the menu at once

    // Preferences opened over the tray's About box leaves the box protected when it closes.
    g_menus.clear();
    EXPECT_TRUE(RunInsideModal([&] { ::SendMessageA(m_pView->m_hWnd, WM_COMMAND, ID_APP_ABOUT, 0); },
                               [] { return !ShownWindowsTitled("About Trovel").empty(); }, [&] {
        EXPECT_TRUE(RunInsideModal([&] { Tray(m_pView, WM_LBUTTONDBLCLK); },
                                   [] { return !ShownWindowsTitled("Preferences").empty(); },
                                   [] { Press(ShownWindowsTitled("Preferences")[0], PSBTN_CANCEL); }));
        protectedNow();
        ::SendMessageA(ShownWindowsTitled("About Trovel")[0], WM_COMMAND, IDOK, 0);
    }));
    EXPECT_FALSE(m_pView->m_bDialogShowing);
    ::UnhookWindowsHookEx(hHook);
}

} // namespace
