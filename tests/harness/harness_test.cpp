// The test environment itself: paths handed over by the build, the private registry, the X display,
// the tray and the linked-in resources. When these fail, the other failures are not the program's.
#include "res/resource.h"
#include "tests/harness/Harness.h"
#include "tests/support/TrayProbe.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>
#include <string>

namespace {

bool IsFile(const char* path)
{
    const DWORD attributes = ::GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

TEST(Harness, ProgramAndHelpersAreBuiltWhereTheTestsLookForThem)
{
    EXPECT_TRUE(IsFile(TROVEL_EXE)) << TROVEL_EXE;
    EXPECT_TRUE(IsFile(TROVEL_HELPER("trovel_close"))) << TROVEL_HELPER("trovel_close");
    EXPECT_TRUE(IsFile(TROVEL_HELPER("link_recorder"))) << TROVEL_HELPER("link_recorder");
    EXPECT_FALSE(IsFile(TROVEL_HELPER("no_such_helper")));
}

TEST(Harness, TestFolderIsTheFolderOfThisProgram)
{
    char path[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
    std::string folder(path);
    folder.erase(folder.find_last_of('\\') + 1);
    EXPECT_EQ(::lstrcmpiA(folder.c_str(), TROVEL_TEST_BIN_DIR), 0) << folder << " vs " << TROVEL_TEST_BIN_DIR;
}

TEST(Harness, SourceTreeIsReachable)
{
    EXPECT_TRUE(IsFile((std::string(TROVEL_SOURCE_DIR) + "res\\resource.h").c_str())) << TROVEL_SOURCE_DIR;
}

TEST(Harness, OutputReachesCTestWithoutCarriageReturns)
{
    // Setting binary mode again returns the mode it had: already binary from BinaryStdout.cpp.
    EXPECT_EQ(_setmode(_fileno(stdout), _O_BINARY), _O_BINARY);
    EXPECT_EQ(_setmode(_fileno(stderr), _O_BINARY), _O_BINARY);
}

TEST(Harness, CrashesCannotPassForSuccess)
{
    // scripts/wine-run.sh names this file; gtest keeps it while tests run, so one left behind marks a
    // crash or an early exit even when Wine reports exit code 0.
    const char* pszFile = std::getenv("TEST_PREMATURE_EXIT_FILE");
    ASSERT_NE(pszFile, nullptr);
    EXPECT_TRUE(IsFile(pszFile)) << pszFile;
}

TEST(Harness, CurrentUserRegistryKeepsWhatIsWritten)
{
    const char kKey[] = "Software\\Trovel Tests\\Harness";
    HKEY hKey = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey, nullptr),
              ERROR_SUCCESS);
    const DWORD written = 0x5eed0001;
    EXPECT_EQ(::RegSetValueExA(hKey, "Value", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&written), sizeof(written)),
              ERROR_SUCCESS);
    ::RegCloseKey(hKey);

    DWORD read = 0, type = 0, size = sizeof(read);
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &hKey), ERROR_SUCCESS);
    EXPECT_EQ(::RegQueryValueExA(hKey, "Value", nullptr, &type, reinterpret_cast<BYTE*>(&read), &size), ERROR_SUCCESS);
    ::RegCloseKey(hKey);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(read, written);

    EXPECT_EQ(::RegDeleteKeyA(HKEY_CURRENT_USER, kKey), ERROR_SUCCESS);
    EXPECT_NE(::RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &hKey), ERROR_SUCCESS);
}

TEST(Harness, ResourcesOfTheProgramAreLinkedIn)
{
    const HINSTANCE hInstance = ::GetModuleHandleA(nullptr);
    HMENU hMenu = ::LoadMenuA(hInstance, MAKEINTRESOURCEA(IDR_TRAYMENU));
    ASSERT_NE(hMenu, nullptr);
    EXPECT_GT(::GetMenuItemCount(hMenu), 0);
    ::DestroyMenu(hMenu);
    EXPECT_NE(::LoadIconA(hInstance, MAKEINTRESOURCEA(IDR_MAINFRAME)), nullptr);
    EXPECT_NE(::FindResourceA(hInstance, MAKEINTRESOURCEA(IDD_TROVEL_FORM), MAKEINTRESOURCEA(5) /* RT_DIALOG */),
              nullptr);
}

LRESULT CALLBACK CountingProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER || message == WM_APP) {
        auto* pCount = reinterpret_cast<int*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
        ++*pCount;
        return 0;
    }
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
}

// A window class and window of this test, destroyed at the end of its scope.
struct TestWindow {
    HWND hWnd = nullptr;
    int count = 0;
    TestWindow()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = CountingProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "TrovelHarnessWindow";
        ::RegisterClassA(&wc);
        hWnd = ::CreateWindowA(wc.lpszClassName, "Harness", WS_OVERLAPPEDWINDOW, 10, 10, 200, 120, nullptr, nullptr,
                               wc.hInstance, nullptr);
        if (hWnd != nullptr)
            ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&count));
    }
    ~TestWindow()
    {
        if (hWnd != nullptr)
            ::DestroyWindow(hWnd);
    }
};

TEST(Harness, WindowsShowOnTheDisplayAndGetTheirMessages)
{
    TestWindow window;
    ASSERT_NE(window.hWnd, nullptr);
    ::ShowWindow(window.hWnd, SW_SHOWNORMAL);
    ::UpdateWindow(window.hWnd);
    EXPECT_TRUE(::IsWindowVisible(window.hWnd));
    EXPECT_GT(::GetSystemMetrics(SM_CXSCREEN), 0);

    ::PostMessageA(window.hWnd, WM_APP, 0, 0);
    ASSERT_NE(::SetTimer(window.hWnd, 1, 10, nullptr), 0u);
    const DWORD start = ::GetTickCount();
    MSG msg;
    while (window.count < 2 && ::GetTickCount() - start < 5000) {
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&msg);
        ::Sleep(5);
    }
    ::KillTimer(window.hWnd, 1);
    EXPECT_GE(window.count, 2);
}

TEST(Harness, TrayTakesIconsWithoutAnXSystemTray)
{
    TestWindow window;
    ASSERT_NE(window.hWnd, nullptr);
    NOTIFYICONDATAA nid = {};
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = window.hWnd;
    nid.uID = IDR_TRAYMENU;
    nid.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    nid.uCallbackMessage = WM_APP;
    nid.hIcon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    lstrcpynA(nid.szTip, "Trovel", sizeof(nid.szTip));
    ASSERT_TRUE(::Shell_NotifyIconA(NIM_ADD, &nid));
    EXPECT_TRUE(TrayKnowsIcon(window.hWnd, IDR_TRAYMENU));
    EXPECT_FALSE(TrayKnowsIcon(window.hWnd, IDR_TRAYMENU + 1));
    // Wine's tray (no virtual desktop) shows each icon as a window of this class.
    HWND hTray = ::FindWindowA("__winex11_standalone_tray", nullptr);
    EXPECT_NE(hTray, nullptr);
    EXPECT_NE(::FindWindowExA(hTray, nullptr, "__winex11_tray_icon", nullptr), nullptr);
    EXPECT_TRUE(::Shell_NotifyIconA(NIM_DELETE, &nid));
    EXPECT_FALSE(TrayKnowsIcon(window.hWnd, IDR_TRAYMENU));
}

} // namespace
