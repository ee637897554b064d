// The walk over the shell's window list, through the test's own objects behind the shell's
// interfaces: windows, tabs, a virtual folder, a duplicate and an entry that never answers.
#include "fw/TextConv.h"
#include "tests/support/TestApp.h"
#include "tests/support/TrayProbe.h"
#include "watcher/ExplorerFolders.h"
#include "watcher/TrovelView.h"
#include "tests/support/ShellWindowsFake.h"
#include "tests/support/Shortcuts.h"

#include <gtest/gtest.h>

#include <exdisp.h>
#include <servprov.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

namespace {

// The walk, in the order and number the menus list.
std::vector<std::string> ReadOpenFolders(ShellWindowsSource source, void* pContext, DWORD dwTimeout,
                                         int nMax = kOpenFoldersMax, bool* pbCannotCount = nullptr)
{
    return OrderOpenFolders(ReadOpenWindows(source, pContext, dwTimeout, pbCannotCount), nMax);
}

// A real folder below the temporary folder, removed with the object.
class TempFolder {
public:
    explicit TempFolder(const std::wstring& name)
    {
        wchar_t szTemp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, szTemp);
        m_path = std::wstring(szTemp) + name;
        ::CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~TempFolder() { ::RemoveDirectoryW(m_path.c_str()); }
    std::wstring m_path;
    std::string Utf8() const { return WideToUtf8(m_path) + "\\"; }
};

HWND MakeWindow(HWND hParent, bool bVisible)
{
    DWORD dwStyle = (hParent != nullptr ? WS_CHILD : WS_POPUP) | (bVisible ? WS_VISIBLE : 0);
    return ::CreateWindowExW(0, L"STATIC", L"", dwStyle, 0, 0, 50, 50, hParent, nullptr, nullptr, nullptr);
}

void WaitForAllReleased()
{
    for (int i = 0; i < 500 && g_nLive != 0; ++i)
        ::Sleep(10);
}

} // namespace

TEST(ExplorerFolders, FileSystemFoldersEachOnceFrontWindowAndShownTabFirstAndAHungEntryLeftOut)
{
    TempFolder back(L"trovel-back-\u0416"), tab1(L"trovel-tab1"), tab2(L"trovel-tab2-\u65e5"), tab3dup(L"trovel-tab3");
    HWND hBack = MakeWindow(nullptr, true);
    HWND hFront = MakeWindow(nullptr, true);
    HWND hBehind = MakeWindow(nullptr, true);
    ::SetWindowPos(hBehind, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::SetWindowPos(hFront, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    HANDLE hHang = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    // A folder view inside an archive has the archive's path, which no file dialog can go to.
    const std::wstring archive = back.m_path + L".zip";
    HANDLE hArchive = ::CreateFileW(archive.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ::CloseHandle(hArchive);

    auto* pWindows = new CTestShellWindows(S_OK);
    // In the shell's order: a window behind, an entry that never answers, then the front window's
    // three tabs (the second shown), a virtual folder, an archive, and the third tab's folder again in
    // other letters in the hindmost window.
    pWindows->AddEntry(MakeEntry(hBack, MakeWindow(hBack, true), back.m_path));
    pWindows->AddEntry(MakeEntry(hFront, MakeWindow(hFront, true), tab1.m_path, -1, hHang));
    pWindows->AddEntry(MakeEntry(hFront, MakeWindow(hFront, false), tab1.m_path));
    pWindows->AddEntry(MakeEntry(hFront, MakeWindow(hFront, true), tab2.m_path));
    pWindows->AddEntry(MakeEntry(hFront, MakeWindow(hFront, false), tab3dup.m_path));
    pWindows->AddEntry(MakeEntry(hBack, MakeWindow(hBack, false), L"", CSIDL_DRIVES));
    pWindows->AddEntry(MakeEntry(hBack, MakeWindow(hBack, false), archive));
    std::wstring upper = tab3dup.m_path;
    CharUpperBuffW(&upper[0], (DWORD)upper.size());
    pWindows->AddEntry(MakeEntry(hBehind, MakeWindow(hBehind, true), upper));

    bool bCannotCount = true;
    std::vector<std::string> folders = ReadOpenFolders(&TestSource, pWindows, 500, kOpenFoldersMax, &bCannotCount);
    EXPECT_FALSE(bCannotCount);
    // Still held by the hung entry here: the walk came back without it, and went on past it.
    EXPECT_EQ(WAIT_TIMEOUT, ::WaitForSingleObject(hHang, 0));
    std::vector<std::string> expected = {tab2.Utf8(), tab1.Utf8(), tab3dup.Utf8(), back.Utf8()};
    EXPECT_EQ(expected, folders);

    ::SetEvent(hHang);
    pWindows->Release();
    WaitForAllReleased();
    EXPECT_EQ(0, g_nLive) << "references the walk kept";
    ::CloseHandle(hHang);
    ::DeleteFileW(archive.c_str());
    ::DestroyWindow(hFront);
    ::DestroyWindow(hBack);
    ::DestroyWindow(hBehind);
}

TEST(ExplorerFolders, AListThatCannotCountGivesNone)
{
    TempFolder folder(L"trovel-uncounted");
    HWND hFrame = MakeWindow(nullptr, true);
    auto* pWindows = new CTestShellWindows(E_NOTIMPL); // what Wine's list answers
    pWindows->AddEntry(MakeEntry(hFrame, MakeWindow(hFrame, true), folder.m_path));
    bool bCannotCount = false;
    EXPECT_TRUE(ReadOpenFolders(&TestSource, pWindows, 2000, kOpenFoldersMax, &bCannotCount).empty());
    EXPECT_TRUE(bCannotCount) << "no need to ask again";
    pWindows->Release();
    WaitForAllReleased();
    EXPECT_EQ(0, g_nLive);
    ::DestroyWindow(hFrame);

    // And the system's own list here, which counts nothing.
    EXPECT_TRUE(ReadOpenFolders(&CreateShellWindows, nullptr, 2000).empty());
}

// Threads of this process now.
int ThreadCount()
{
    int count = 0;
    HANDLE hSnapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL bMore = ::Thread32First(hSnapshot, &entry); bMore; bMore = ::Thread32Next(hSnapshot, &entry))
        count += entry.th32OwnerProcessID == ::GetCurrentProcessId() ? 1 : 0;
    ::CloseHandle(hSnapshot);
    return count;
}

HRESULT CountedSource(void* pContext, IShellWindows** ppWindows)
{
    static LONG s_nAsked = 0;
    if (pContext == nullptr)
        return (HRESULT)::InterlockedExchange(&s_nAsked, 0); // how often it was asked, and start again
    ::InterlockedIncrement(&s_nAsked);
    return TestSource(pContext, ppWindows);
}

// Twenty menus opened while an Explorer window hangs: the first read leaves its walker on the hung
// window and the others start nothing; once it answers, the next read lists the folders again.
TEST(ExplorerFolders, AHungExplorerHoldsOneReadWhateverTheMenusOpenedMeanwhile)
{
    TempFolder folder(L"trovel-hung-menu");
    HWND hFrame = MakeWindow(nullptr, true);
    HANDLE hHang = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    auto* pWindows = new CTestShellWindows(S_OK);
    pWindows->AddEntry(MakeEntry(hFrame, MakeWindow(hFrame, true), folder.m_path, -1, hHang));
    CountedSource(nullptr, nullptr);
    const int nThreadsBefore = ThreadCount();
    for (int i = 0; i < 20; ++i)
        EXPECT_TRUE(ReadOpenFolders(&CountedSource, pWindows, 200).empty()) << i;
    EXPECT_EQ(1, (int)CountedSource(nullptr, nullptr)) << "reads of the list";
    EXPECT_LE(ThreadCount() - nThreadsBefore, 2) << "threads left waiting on the hung window";

    ::SetEvent(hHang);
    std::vector<std::string> folders;
    for (int i = 0; i < 100 && folders.empty(); ++i) {
        ::Sleep(20);
        folders = ReadOpenFolders(&CountedSource, pWindows, 2000);
    }
    EXPECT_EQ(std::vector<std::string>{folder.Utf8()}, folders) << "read again once it answers";
    pWindows->Release();
    WaitForAllReleased();
    EXPECT_EQ(0, g_nLive);
    ::CloseHandle(hHang);
    ::DestroyWindow(hFrame);
}

TEST(ExplorerFolders, OrderKeepsTenAndPutsWindowsNotFoundLast)
{
    std::vector<OpenFolder> found;
    for (int i = 0; i < 12; ++i) {
        OpenFolder folder;
        folder.strPath = "C:\\F" + std::to_string(i) + "\\";
        folder.nIndex = i;
        folder.nZOrder = i == 0 ? 99 : 1; // the first lives in a window the desktop does not list
        found.push_back(folder);
    }
    std::vector<std::string> folders = OrderOpenFolders(found, kOpenFoldersMax);
    ASSERT_EQ(10u, folders.size());
    EXPECT_EQ("C:\\F1\\", folders.front());
    EXPECT_EQ("C:\\F10\\", folders.back());
}

// The tray menu, as the view builds it when it opens: the favourites, then below a line the open
// folders (an ampersand shown as itself) and the recent ones, with ids of their own; a pick of one
// takes that folder; with the settings off the lists are neither read nor shown.
TEST(ExplorerFolders, TheTrayMenuListsThemBelowTheFavouritesAndAPickTakesThatFolder)
{
    KeepTrayShown();
    TempFolder front(L"trovel-open-a&b"), back(L"trovel-open-\u00e9t\u00e9");
    HWND hBack = MakeWindow(nullptr, true);
    HWND hFront = MakeWindow(nullptr, true);
    ::SetWindowPos(hFront, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    auto* pWindows = new CTestShellWindows(S_OK);
    pWindows->AddEntry(MakeEntry(hBack, MakeWindow(hBack, true), back.m_path));
    pWindows->AddEntry(MakeEntry(hFront, MakeWindow(hFront, true), front.m_path));
    {
        ScratchRegistryRoot scratch;
        {
            CDialogList dialogs;
            CPathList paths;
            paths.push_back(std::make_unique<PathEntry>(PathEntry{"C:\\Fav\\", "Fav", 5000}));
            SavePathLists(scratch.Key(), dialogs, paths);
        }
        CTrovelView view;
        view.m_pfnShellWindows = &TestSource;
        view.m_pShellWindowsContext = pWindows;
        view.m_trayIcon.Create(&view, CTrovelView::kTrayIconId, "Trovel", view.m_hIcon, WM_TRAY_NOTIFY);
        // And below them the recent folders: one already open in Explorer is not listed again.
        TempFolder recent(L"trovel-open-recent"), used(L"trovel-open-used");
        view.m_strRecentFolder = recent.m_path;
        ASSERT_TRUE(MakeShortcut(recent.m_path + L"\\open.lnk", back.m_path, FILE_ATTRIBUTE_DIRECTORY, 1));
        ASSERT_TRUE(MakeShortcut(recent.m_path + L"\\used.lnk", used.m_path, FILE_ATTRIBUTE_DIRECTORY, 2));

        CLoadedMenu menu;
        CMenu popup;
        int nDefaultPos = -1;
        ASSERT_TRUE(view.m_trayIcon.BuildPopupMenu(menu, popup, nDefaultPos, &view));
        std::vector<std::string> items = DescribeMenu(popup.m_hMenu);
        ASSERT_GE(items.size(), 7u);
        std::string frontText = front.Utf8();
        frontText.replace(frontText.find('&'), 1, "&&");
        const std::vector<std::string> expected = {"Fav #5000", "-", frontText + " #5100", back.Utf8() + " #5101", "-",
                                                   used.Utf8() + " #5200", "-"};
        EXPECT_EQ(expected, std::vector<std::string>(items.begin(), items.begin() + 7));
        EXPECT_EQ(nDefaultPos, 7) << "Preferences stays the default, after the folders";

        view.OnFindDialog(5200, 5200);
        EXPECT_EQ(used.Utf8(), view.m_strSelectedOpenFolder);
        view.OnFindDialog(5101, 5101);
        EXPECT_EQ(back.Utf8(), view.m_strSelectedOpenFolder);
        EXPECT_EQ(nullptr, view.m_pSelectedPath);
        view.OnFindDialog(5000, 5000);
        EXPECT_EQ("", view.m_strSelectedOpenFolder) << "a favourite picked after it";

        view.m_dialogSettings.bListOpenFolders = false;
        view.m_dialogSettings.bListRecentFolders = false;
        CLoadedMenu off;
        ASSERT_TRUE(view.m_trayIcon.BuildPopupMenu(off, popup, nDefaultPos, &view));
        items = DescribeMenu(popup.m_hMenu);
        ASSERT_GE(items.size(), 2u);
        EXPECT_EQ("Fav #5000", items[0]);
        EXPECT_EQ("-", items[1]);
        EXPECT_EQ(std::string::npos, items[2].find("trovel-open")) << items[2];
        ::DeleteFileW((recent.m_path + L"\\open.lnk").c_str());
        ::DeleteFileW((recent.m_path + L"\\used.lnk").c_str());
    }
    pWindows->Release();
    WaitForAllReleased();
    EXPECT_EQ(0, g_nLive) << "references the view kept";
    ::DestroyWindow(hFront);
    ::DestroyWindow(hBack);
}
