// The folder of the file manager just left, through the seam at the shell's window list whose
// entries name real windows of the file manager's class in another program, brought to the front
// with real focus changes: it is the first item of the menu at the dialog (its shown tab's, not
// another's), Enter takes Wine's item save dialog there; with the setting on, a switch from that
// window to the dialog takes it there once per switch, keeping the typed name.
#include "fw/TextConv.h"
#include "tests/e2e/E2eSupport.h"
#include "tests/support/ShellWindowsFake.h"
#include "tests/support/TestApp.h"
#include "fw/FrameWnd.h"
#include "watcher/TrovelView.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Presses keys once a menu of this process is up, from a thread of its own.
DWORD WINAPI PressWhenMenuShows(LPVOID pParam)
{
    const auto* pKeys = static_cast<const std::vector<WORD>*>(pParam);
    if (!WaitUntil([] { return VisibleMenuOf(::GetCurrentProcessId()) != nullptr; }, 5000))
        return 1;
    ::Sleep(200);
    for (WORD vk : *pKeys) {
        SendKeys({{vk, true}, {vk, false}});
        ::Sleep(100);
    }
    return 0;
}

// A stand-in of the file manager in another program, its second tab shown (or of another program).
struct FileManager {
    FileManager(const std::string& dir, const std::string& title, bool bFileManager = true)
        : program(TROVEL_HELPER("trovel_file_dialogs"), dir,
                  std::string(bFileManager ? "explorer" : "other") + " \"" + dir + "\\fm.txt\" " + HexOf(title))
    {
        WaitUntil([&] {
            hFrame = program.TopWindow(bFileManager ? "CabinetWClass" : "TrovelOtherProgram", title.c_str());
            if (!bFileManager)
                return hFrame != nullptr;
            hHiddenTab = ChildOf(hFrame, L"ShellTabWindowClass");
            hShownTab = hHiddenTab != nullptr ? ::FindWindowExW(hFrame, hHiddenTab, L"ShellTabWindowClass", nullptr) : nullptr;
            return hShownTab != nullptr;
        });
    }
    ChildProcess program;
    HWND hFrame = nullptr, hHiddenTab = nullptr, hShownTab = nullptr;
};

class FolderJustLeft : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The helpers' windows tell when they come to the front, as every window does on Windows.
        ::SetEnvironmentVariableW(L"TROVEL_TELL_FRONT", L"1");
        wchar_t szTemp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, szTemp);
        m_dir = WideToUtf8(szTemp) + "trovel-left-" + std::to_string(::GetCurrentProcessId());
        for (const std::string& dir : {m_dir, Folder("Shown"), Folder("Hidden"), Folder("Other"), Folder("Fav"),
                                       Folder("Elsewhere")})
            ::CreateDirectoryW(Utf8ToWide(dir).c_str(), nullptr);

        CFrameWnd* pFrame = nullptr;
        m_pView = NewViewInFrame(&pFrame);
        ASSERT_NE(m_pView, nullptr);
        m_hFrame = pFrame->m_hWnd;
        m_pView->m_pathList.push_back(std::make_unique<PathEntry>(PathEntry{Folder("Fav"), "Fav", 5000}));
        m_pView->m_dialogSettings.bListRecentFolders = FALSE;

        m_pWindows = new CTestShellWindows(S_OK);
        m_first = std::make_unique<FileManager>(m_dir, "Explorer One");
        m_second = std::make_unique<FileManager>(m_dir, "Explorer Two");
        ASSERT_NE(m_first->hShownTab, nullptr);
        ASSERT_NE(m_second->hShownTab, nullptr);
        // The shell lists the hidden tab first: only the window's shown one may count.
        m_pWindows->AddEntry(MakeEntry(m_first->hFrame, m_first->hHiddenTab, Utf8ToWide(Folder("Hidden"))));
        m_pWindows->AddEntry(MakeEntry(m_first->hFrame, m_first->hShownTab, Utf8ToWide(Folder("Shown"))));
        m_pWindows->AddEntry(MakeEntry(m_second->hFrame, m_second->hShownTab, Utf8ToWide(Folder("Other"))));
        m_pView->m_pfnShellWindows = &TestSource;
        m_pView->m_pShellWindowsContext = m_pWindows;
        m_pView->StartDialogHotkey();
    }
    void TearDown() override
    {
        ::SetEnvironmentVariableW(L"TROVEL_TELL_FRONT", nullptr);
        m_first.reset();
        m_second.reset();
        if (m_hFrame != nullptr)
            ::DestroyWindow(m_hFrame);
        PumpMessagesFor(100);
        m_pWindows->Release();
        for (const char* name : {"Shown", "Hidden", "Other", "Fav", "Elsewhere", ""}) {
            for (const char* file : {"report.txt", "result.txt", "fm.txt"})
                ::DeleteFileW(Utf8ToWide(Folder(name) + file).c_str());
            ::RemoveDirectoryW(Utf8ToWide(Folder(name)).c_str());
        }
    }

    std::string Folder(const char* pszName) const
    {
        return m_dir + "\\" + pszName + (pszName[0] != '\0' ? "\\" : "");
    }
    // The window in front, as the user would bring it there; the program hears of it by its events.
    void ToFront(HWND hWnd)
    {
        ::SetForegroundWindow(hWnd);
        EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == hWnd; }, 5000));
        PumpMessagesFor(400);
    }
    // Waits for the pick at the dialog to be over, answering the program's messages meanwhile.
    void WaitForPick()
    {
        PumpMessagesFor(200);
        for (int i = 0; i < 100 && m_pView->m_pick.step != PickInProgress::Step::None; ++i)
            PumpMessagesFor(50);
        EXPECT_EQ(PickInProgress::Step::None, m_pView->m_pick.step);
    }
    // Confirms the dialog and returns where it saved.
    std::string Confirm(ShownDialog& d)
    {
        ::PostMessageW(d.hDialog, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(d.program.WaitForExit(15000));
        // The system gives the front to another window once the dialog's program has gone: that
        // change is over before the next case moves the front.
        PumpMessagesFor(700);
        return ReadFileText(m_dir + "\\result.txt");
    }

    std::string m_dir;
    HWND m_hFrame = nullptr;
    CTrovelView* m_pView = nullptr;
    CTestShellWindows* m_pWindows = nullptr;
    std::unique_ptr<FileManager> m_first, m_second;
};

} // namespace

TEST_F(FolderJustLeft, IsTheFirstItemAtTheDialogAndEnterTakesTheDialogThere)
{
    const struct {
        const char* pszCase;
        bool bFileManagerFirst; // a file manager was in front before the dialog
        std::vector<WORD> keys;
        const char* pszFolder; // where the dialog saves once confirmed
    } cases[] = {
        {"Enter: the shown tab of the window left last", true, {VK_RETURN}, "Shown"},
        {"then the favourites, each by its digit", true, {'1'}, "Fav"},
        {"no file manager before the dialog: the favourites first", false, {VK_RETURN}, "Fav"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        ::DeleteFileW(Utf8ToWide(m_dir + "\\result.txt").c_str());
        ::DeleteFileW(Utf8ToWide(Folder(c.pszFolder) + "report.txt").c_str());
        m_pView->m_frontHistory = CFrontHistory();
        if (c.bFileManagerFirst) {
            ToFront(m_second->hFrame);
            ToFront(m_first->hFrame);
        }
        ShownDialog d(m_dir, "item-save", "Save", "report.txt");
        ASSERT_NE(d.hField, nullptr);
        ToFront(d.hDialog);
        std::vector<WORD> keys = c.keys;
        HANDLE hThread = ::CreateThread(nullptr, 0, &PressWhenMenuShows, &keys, 0, nullptr);
        m_pView->OnHotkey(CDialogHotkey::kHotkeyId);
        ::WaitForSingleObject(hThread, 10000);
        ::CloseHandle(hThread);
        WaitForPick();
        EXPECT_EQ("report.txt", TextOf(d.hField)) << "the typed name kept";
        EXPECT_EQ(Folder(c.pszFolder) + "report.txt", Confirm(d));
    }
}

TEST_F(FolderJustLeft, FollowingTakesTheDialogThereOncePerSwitchFromTheFileManager)
{
    FileManager other(m_dir, "Notes", false);
    const HWND hNotepad = other.hFrame;
    ASSERT_NE(hNotepad, nullptr);
    const struct {
        const char* pszCase;
        BOOL bFollow;
        std::vector<HWND> before; // in front before the dialog, in turn
        bool bElsewhere;          // then the user takes the dialog to another folder and comes back to it
        const char* pszFolder;    // where the dialog saves once confirmed; null: where it started
    } cases[] = {
        {"the setting off", FALSE, {m_first->hFrame}, false, nullptr},
        {"a switch from another program", TRUE, {m_first->hFrame, hNotepad}, false, nullptr},
        {"a switch from the file manager", TRUE, {m_second->hFrame, m_first->hFrame}, false, "Shown"},
        {"taken elsewhere, and back from another program: left there", TRUE, {m_first->hFrame}, true, "Elsewhere"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        ::DeleteFileW(Utf8ToWide(m_dir + "\\result.txt").c_str());
        m_pView->m_dialogSettings.bFollowFileManager = c.bFollow;
        ShownDialog d(m_dir, "item-save", "Save", "report.txt");
        ASSERT_NE(d.hField, nullptr);
        for (HWND hBefore : c.before)
            ToFront(hBefore);
        ToFront(d.hDialog);
        WaitForPick();
        EXPECT_EQ("report.txt", TextOf(d.hField));
        if (c.bElsewhere) {
            SetTextOf(d.hField, Folder("Elsewhere"));
            ::PostMessageW(d.hDialog, WM_COMMAND, IDOK, 0); // as Enter: the dialog goes there
            PumpMessagesFor(1000);
            SetTextOf(d.hField, "report.txt");
            ToFront(hNotepad);
            ToFront(d.hDialog);
            WaitForPick();
        }
        const std::string saved = Confirm(d);
        if (c.pszFolder != nullptr)
            EXPECT_EQ(Folder(c.pszFolder) + "report.txt", saved);
        else
            EXPECT_EQ(std::string::npos, saved.find(m_dir)) << saved;
    }
    // A second switch moves the dialog again, to the folder of the window left this time.
    ShownDialog d(m_dir, "item-save", "Save", "report.txt");
    ASSERT_NE(d.hField, nullptr);
    for (HWND hFront : {m_first->hFrame, d.hDialog, m_second->hFrame, d.hDialog}) {
        ToFront(hFront);
        WaitForPick();
    }
    EXPECT_EQ(Folder("Other") + "report.txt", Confirm(d));
}
