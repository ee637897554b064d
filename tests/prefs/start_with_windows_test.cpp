// Start with Windows: the function layer against the real (Wine) registry, then the check box on
// Other Settings, which writes and removes the same value.
#include "app/StartWithWindows.h"
#include "tests/prefs/SheetDriver.h"

namespace {

// The Run value as stored: its type and text; false when it is missing.
bool RunValue(DWORD& type, std::wstring& text)
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, Utf8ToWide(kRunKeyPath).c_str(), 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS)
        return false;
    wchar_t data[1024] = {};
    DWORD size = sizeof(data) - sizeof(wchar_t);
    const LONG result = ::RegQueryValueExW(hKey, Utf8ToWide(kRunValueName).c_str(), nullptr, &type,
                                           reinterpret_cast<BYTE*>(data), &size);
    ::RegCloseKey(hKey);
    text = data;
    return result == ERROR_SUCCESS;
}

std::wstring ThisExe()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

// Another copy's value, written as the setup or that copy would.
void WriteOtherRunValue(const wchar_t* pszCommand, DWORD cbCommand)
{
    HKEY hKey = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, Utf8ToWide(kRunKeyPath).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                nullptr, &hKey, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExW(hKey, Utf8ToWide(kRunValueName).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(pszCommand),
                     cbCommand);
    ::RegCloseKey(hKey);
}

bool Checked(HWND hBox) { return ::SendMessageW(hBox, BM_GETCHECK, 0, 0) == BST_CHECKED; }

TEST(StartWithWindows, WritesTheQuotedPathOfTheRunningExeAndRemovesIt)
{
    EXPECT_EQ(StartCommandFor("C:\\Program Files\\Trovel\\Trovel.exe"), "\"C:\\Program Files\\Trovel\\Trovel.exe\"");
    EXPECT_EQ(Utf8ToWide(AfxGetModuleFileName(nullptr)), ThisExe());
    // Started through its short (8.3) path, the value names the long one, as the uninstaller compares.
    const std::wstring longDir = L"C:\\Trovel Start With Windows " + std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(longDir.c_str(), nullptr);
    const std::wstring longExe = longDir + L"\\Trovel Copy.exe";
    ::CloseHandle(::CreateFileW(longExe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    wchar_t shortExe[MAX_PATH] = {};
    ASSERT_NE(::GetShortPathNameW(longExe.c_str(), shortExe, MAX_PATH), 0u);
    EXPECT_NE(std::wstring(shortExe), longExe);
    EXPECT_EQ(StartCommandFor(WideToUtf8(shortExe)), "\"" + WideToUtf8(longExe) + "\"");
    ::DeleteFileW(longExe.c_str());
    ::RemoveDirectoryW(longDir.c_str());

    DWORD type = 0;
    std::wstring text;
    ASSERT_TRUE(SetStartsWithWindows(false)); // absent already counts as removed
    EXPECT_FALSE(StartsWithWindows());
    EXPECT_FALSE(RunValue(type, text));

    ASSERT_TRUE(SetStartsWithWindows(true));
    EXPECT_TRUE(StartsWithWindows());
    ASSERT_TRUE(RunValue(type, text));
    EXPECT_EQ(type, (DWORD)REG_SZ);
    EXPECT_EQ(text, L"\"" + ThisExe() + L"\"");

    // A value another copy wrote (the setup's, say) counts as on.
    const wchar_t other[] = L"\"C:\\Elsewhere\\Trovel.exe\"";
    WriteOtherRunValue(other, sizeof(other));
    EXPECT_TRUE(StartsWithWindows());

    ASSERT_TRUE(SetStartsWithWindows(false));
    EXPECT_FALSE(StartsWithWindows());
    EXPECT_FALSE(RunValue(type, text));
}

// The box shows the value as it is when the sheet opens; OK writes a change, Cancel writes nothing,
// and OK with the box unchanged leaves another copy's value alone.
TEST_F(PreferencesTest, StartWithWindowsBoxWritesAndRemovesTheRunValue)
{
    ASSERT_TRUE(SetStartsWithWindows(false));
    const std::wstring mine = L"\"" + ThisExe() + L"\"";
    const struct { bool tick; int button; bool shownChecked; const wchar_t* stored; } runs[] = {
        {true, PSBTN_CANCEL, false, nullptr}, // Cancel writes nothing
        {true, PSBTN_OK, false, mine.c_str()},
        {false, PSBTN_OK, true, mine.c_str()},
        {true, PSBTN_OK, true, nullptr},
    };
    for (const auto& run : runs) {
        ASSERT_TRUE(WithPreferences([&](HWND hSheet, CPage1&) {
            CPage2* pPage2 = ShowPage2(hSheet);
            ASSERT_NE(pPage2, nullptr);
            HWND hBox = ::GetDlgItem(pPage2->m_hWnd, IDC_CHECK_START_WITH_WINDOWS);
            ASSERT_NE(hBox, nullptr);
            std::string shown = AfxGetWindowText(hBox);
            shown.erase(std::remove(shown.begin(), shown.end(), '&'), shown.end()); // its mnemonic
            EXPECT_EQ(shown, "Start Trovel when Windows starts");
            EXPECT_EQ(Checked(hBox), run.shownChecked);
            if (run.tick)
                Click(hBox);
            Press(hSheet, run.button);
        }, false));
        DWORD type = 0;
        std::wstring text;
        EXPECT_EQ(RunValue(type, text), run.stored != nullptr);
        if (run.stored != nullptr)
            EXPECT_EQ(text, run.stored);
    }

    // Another copy's value, box left as it is: untouched.
    const wchar_t other[] = L"\"C:\\Elsewhere\\Trovel.exe\"";
    WriteOtherRunValue(other, sizeof(other));
    ASSERT_TRUE(WithPreferences([&](HWND hSheet, CPage1&) {
        EXPECT_TRUE(Checked(::GetDlgItem(ShowPage2(hSheet)->m_hWnd, IDC_CHECK_START_WITH_WINDOWS)));
        Press(hSheet, PSBTN_OK);
    }, false));
    DWORD type = 0;
    std::wstring text;
    ASSERT_TRUE(RunValue(type, text));
    EXPECT_EQ(text, other);
    SetStartsWithWindows(false);
}

} // namespace
