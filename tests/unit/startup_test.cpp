// Start-up rules and the whole in-process start: document, hidden frame, view, timer, tray icon, close.
#include "app/FrameGeometry.h"
#include "app/InstanceGuard.h"
#include "app/MainFrame.h"
#include "app/OsGate.h"
#include "app/TrovelDoc.h"
#include "fw/DocTemplate.h"
#include "fw/NestedLoop.h"
#include "res/resource.h"
#include "tests/support/RegistryDump.h"
#include "tests/support/TrayProbe.h"
#include "tests/support/TestApp.h"
#include "watcher/TrovelView.h"

#include <gtest/gtest.h>

#include <sddl.h>

#include <cstdio>
#include <functional>

namespace {

TEST(OsGate, OnlyTheNtPlatformPasses)
{
    const struct { BOOL queried; DWORD platform; DWORD major; BOOL passes; } cases[] = {
        {TRUE, VER_PLATFORM_WIN32_NT, 4, TRUE},
        {TRUE, VER_PLATFORM_WIN32_NT, 5, TRUE},
        {TRUE, VER_PLATFORM_WIN32_NT, 10, TRUE},
        {TRUE, VER_PLATFORM_WIN32_WINDOWS, 4, FALSE},
        {TRUE, VER_PLATFORM_WIN32s, 3, FALSE},
        {FALSE, VER_PLATFORM_WIN32_NT, 5, FALSE}, // a failed query counts as platform 0
    };
    for (const auto& c : cases) {
        OSVERSIONINFOW info = {};
        info.dwOSVersionInfoSize = sizeof(info);
        info.dwPlatformId = c.platform;
        info.dwMajorVersion = c.major;
        EXPECT_EQ(PassesOsGate(c.queried, info), c.passes) << "platform " << c.platform << " queried " << c.queried;
    }
    OSVERSIONINFOW running;
    EXPECT_TRUE(QueryOsVersion(running));
    EXPECT_EQ(running.dwOSVersionInfoSize, (DWORD)sizeof(OSVERSIONINFOW));
}

std::string Str(const RECT& r)
{
    return "{" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + "}";
}

TEST(FrameGeometry, InitialFrameIsAQuarterWideThreeTenthsHighAndCentred)
{
    const struct { int w, h; RECT expected; } cases[] = {
        {800, 600, {300, 210, 500, 390}},
        {1024, 768, {384, 269, 640, 499}},
        {1280, 1024, {480, 358, 800, 665}},
        {1366, 768, {512, 269, 853, 499}}, // odd quarter and odd margins truncate
        {640, 480, {240, 168, 400, 312}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Str(InitialFrameRect(c.w, c.h)), Str(c.expected)) << c.w << "x" << c.h;
}

TEST(FrameGeometry, FrameKeepsItsCornerAndWrapsTheGroupBox)
{
    const struct { RECT frame, group; FrameMetrics metrics; RECT expected; } cases[] = {
        {{100, 50, 300, 230}, {7, 9, 217, 66}, {4, 4, 19, 18}, {100, 50, 338, 201}},
        {{100, 50, 900, 900}, {7, 9, 217, 66}, {4, 4, 19, 18}, {100, 50, 338, 201}},
        {{-5, 0, 0, 0}, {0, 0, 0, 0}, {3, 2, 20, 19}, {-5, 0, 21, 93}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Str(FrameRectAroundGroup(c.frame, c.group, c.metrics)), Str(c.expected))
            << Str(c.frame) << Str(c.group);
}

// Runs this thread's messages until the condition holds; false after a generous limit.
bool PumpUntil(const std::function<bool()>& done)
{
    for (DWORD start = ::GetTickCount(); !done();) {
        if (::GetTickCount() - start > 20000)
            return false;
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                continue; // the closed frame's; the test goes on
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    return true;
}

// The program's start-up from the new document on, in this process, over a scratch settings root.
class InProcessStart : public ::testing::Test {
protected:
    void Launch()
    {
        Create();
        // The start routine runs from the frame's one-shot timer.
        ASSERT_TRUE(PumpUntil([this] { return m_pView->m_bFrameSizeKnown; }));
    }

    // Document, frame and view; the start routine has not run yet.
    void Create()
    {
        KeepTrayShown();
        TestApp().m_helpCalls.clear();
        TestApp().AddDocTemplate(new CSingleDocTemplate(
            IDR_MAINFRAME, []() -> CDocument* { return new CTrovelDoc; },
            []() -> CFrameWnd* { return new CMainFrame; }, []() -> CView* { return new CTrovelView; }));
        CCommandLineInfo cmdInfo;
        ASSERT_TRUE(TestApp().ProcessShellCommand(cmdInfo));
        m_pFrame = dynamic_cast<CMainFrame*>(TestApp().m_pMainWnd);
        ASSERT_NE(m_pFrame, nullptr);
        m_pView = dynamic_cast<CTrovelView*>(m_pFrame->GetActiveView());
        ASSERT_NE(m_pView, nullptr);
        m_hFrame = m_pFrame->m_hWnd;
        m_hView = m_pView->m_hWnd;
        EXPECT_FALSE(::IsWindowVisible(m_hFrame));
    }

    // One favourite as any copy of the program saves it.
    void StoreFavourite(const std::string& path, const std::string& name)
    {
        CDialogList dialogs;
        CPathList paths;
        paths.push_back(std::make_unique<PathEntry>(PathEntry{path, name, 5000}));
        ASSERT_TRUE(SavePathLists(m_scratch.Key(), dialogs, paths));
    }
    void Shutdown()
    {
        ::SendMessageA(m_hView, WM_COMMAND, ID_SHUTDOWN, 0);
        EXPECT_EQ(TestApp().m_pMainWnd, nullptr);
        EXPECT_FALSE(::IsWindow(m_hFrame));
        PumpUntil([] { return true; });
    }

    void TearDown() override
    {
        if (TestApp().m_pMainWnd != nullptr)
            Shutdown();
        TestApp().AddDocTemplate(nullptr);
    }

    ScratchRegistryRoot m_scratch;
    CMainFrame* m_pFrame = nullptr;
    CTrovelView* m_pView = nullptr;
    HWND m_hFrame = nullptr, m_hView = nullptr;
};

TEST_F(InProcessStart, NewUserHelpOpensAtTheFirstStartOnly)
{
    Launch();
    using Calls = std::vector<std::pair<DWORD_PTR, UINT>>;
    EXPECT_EQ(TestApp().m_helpCalls, (Calls{{131172, HELP_CONTEXT}}));
    EXPECT_EQ(m_scratch.Key().ReadString("Newbie", "Help", ""), "1");
    ::SendMessageA(m_hView, WM_COMMAND, ID_HELP_TOPICS, 0);
    EXPECT_EQ(TestApp().m_helpCalls, (Calls{{131172, HELP_CONTEXT}, {0, HELP_FINDER}}));
    Shutdown();

    Launch();
    EXPECT_TRUE(TestApp().m_helpCalls.empty());
}

TEST_F(InProcessStart, NewUserHelpThatDoesNotOpenIsOfferedAgainAtTheNextStart)
{
    // A help file that is missing (or that the viewer refuses) shows nothing: the user has seen no help.
    TestApp().m_bHelpOpens = FALSE;
    Launch();
    EXPECT_EQ(TestApp().m_helpCalls.size(), 1u);
    EXPECT_EQ(m_scratch.Key().ReadString("Newbie", "Help", "unset"), "unset");
    Shutdown();
    TestApp().m_bHelpOpens = TRUE;
    Launch();
    EXPECT_EQ(TestApp().m_helpCalls.size(), 1u);
    EXPECT_EQ(m_scratch.Key().ReadString("Newbie", "Help", ""), "1");
}

TEST_F(InProcessStart, AnExitThatChangedNothingLeavesAnotherCopysChangeInPlace)
{
    StoreFavourite("C:\\Mine\\", "Mine");
    Launch();
    ASSERT_EQ(m_pView->m_pathList.size(), 1u);
    // Meanwhile another copy (another session's, sharing the machine key) saves its own list.
    StoreFavourite("C:\\Theirs\\", "Theirs");
    Shutdown();
    EXPECT_EQ(m_scratch.Key().ReadString("PathList", "P0", ""), "C:\\Theirs\\");
    EXPECT_EQ(m_scratch.Key().ReadString("PathList", "SN0", ""), "Theirs");
}

TEST_F(InProcessStart, HiddenFrameIsPlacedAroundTheGroupBoxAndCannotBeResized)
{
    Launch();
    EXPECT_FALSE(::IsWindowVisible(m_hFrame));
    EXPECT_EQ(m_pFrame->GetWindowText(), "Trovel");
    const DWORD style = m_pFrame->GetStyle();
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX), 0u);
    EXPECT_EQ(style & WS_CAPTION, (DWORD)WS_CAPTION);

    RECT rcFrame, rcGroup;
    ::GetWindowRect(m_hFrame, &rcFrame);
    ::GetWindowRect(::GetDlgItem(m_hView, IDC_FRAME_MEASURE), &rcGroup);
    const RECT initial = InitialFrameRect(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(rcFrame.left, initial.left);
    EXPECT_EQ(rcFrame.top, initial.top);
    EXPECT_EQ(rcFrame.right - rcFrame.left, m_pView->m_nFrameWidth);
    EXPECT_EQ(rcFrame.bottom - rcFrame.top, m_pView->m_nFrameHeight);
    EXPECT_EQ(m_pView->m_nFrameWidth - (rcGroup.right - rcGroup.left), 2 * ::GetSystemMetrics(SM_CXFRAME) + 20);

    MINMAXINFO mmi = {};
    mmi.ptMinTrackSize = {1, 1};
    mmi.ptMaxTrackSize = {5000, 5000};
    ::SendMessageA(m_hFrame, WM_GETMINMAXINFO, 0, (LPARAM)&mmi);
    EXPECT_EQ(mmi.ptMinTrackSize.x, m_pView->m_nFrameWidth);
    EXPECT_EQ(mmi.ptMaxTrackSize.x, m_pView->m_nFrameWidth);
    EXPECT_EQ(mmi.ptMinTrackSize.y, m_pView->m_nFrameHeight);
    EXPECT_EQ(mmi.ptMaxTrackSize.y, m_pView->m_nFrameHeight);
}

TEST_F(InProcessStart, PlainCloseHidesAndShutdownSavesListsAndRemovesTheIcon)
{
    Launch();
    EXPECT_TRUE(TrayKnowsIcon(m_hView, CTrovelView::kTrayIconId));
    ::SendMessageA(m_hFrame, WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(m_hFrame));
    EXPECT_FALSE(::IsWindowVisible(m_hFrame));
    EXPECT_EQ(TestApp().m_pMainWnd, m_pFrame);

    m_pView->m_pathList.push_back(std::make_unique<PathEntry>(PathEntry{"C:\\Work\\", "Work", 5000}));
    Shutdown();
    EXPECT_FALSE(TrayKnowsIcon(m_hView, CTrovelView::kTrayIconId));
    std::vector<std::string> saved = DumpKeyTree(HKEY_CURRENT_USER, m_scratch.Path() + "\\PathList");
    EXPECT_EQ(saved, (std::vector<std::string>{":<ID0>=<5000>", ":<ID1>=<0>", ":<P0>=<C:\\Work\\>", ":<P1>=<>",
                                               ":<SN0>=<Work>", ":<SN1>=<>"}));

    Launch();
    ASSERT_EQ(m_pView->m_pathList.size(), 1u);
    EXPECT_EQ(m_pView->m_pathList[0]->strName, "Work");
}

// With a dialog open the process ends inside the handler: see the end-to-end tests.
TEST_F(InProcessStart, SessionEndSavesListsAndEndsAsAShutdownDoes)
{
    const std::vector<std::string> saved = {":<ID0>=<5000>", ":<ID1>=<0>", ":<P0>=<C:\\Work\\>", ":<P1>=<>",
                                            ":<SN0>=<Work>", ":<SN1>=<>"};
    Launch();
    m_pView->m_pathList.push_back(std::make_unique<PathEntry>(PathEntry{"C:\\Work\\", "Work", 5000}));
    ::SendMessageA(m_hFrame, WM_ENDSESSION, TRUE, 0);
    EXPECT_FALSE(::IsWindow(m_hFrame));
    EXPECT_EQ(TestApp().m_pMainWnd, nullptr);
    EXPECT_EQ(DumpKeyTree(HKEY_CURRENT_USER, m_scratch.Path() + "\\PathList"), saved);
    PumpUntil([] { return true; });
}

TEST_F(InProcessStart, SpuriousTaskbarCreatedKeepsTheIconKnownSoShutdownRemovesIt)
{
    Launch();
    ASSERT_TRUE(TrayKnowsIcon(m_hView, CTrovelView::kTrayIconId));
    // Any process may broadcast it while the shell still shows the icon.
    ::SendMessageA(m_hFrame, ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(m_pView->m_trayIcon.m_bEnabled);
    EXPECT_TRUE(m_pView->m_trayIcon.SetTooltipText("Trovel"));
    Shutdown();
    EXPECT_FALSE(TrayKnowsIcon(m_hView, CTrovelView::kTrayIconId));
}

// Watches this process's message boxes from another thread: records the text of each and whether
// the view showed a dialog then, and hands the box to the test's action (which must end it).
class BoxWatcher {
public:
    BoxWatcher(CTrovelView** ppView, std::function<void(HWND)> onBox)
        : m_ppView(ppView), m_onBox(std::move(onBox)), m_hThread(::CreateThread(nullptr, 0, &Run, this, 0, nullptr))
    {
    }
    ~BoxWatcher()
    {
        m_bStop = true;
        ::WaitForSingleObject(m_hThread, INFINITE);
        ::CloseHandle(m_hThread);
    }
    std::vector<std::string> m_texts;
    std::vector<bool> m_showing;

private:
    static DWORD WINAPI Run(LPVOID pv)
    {
        auto* self = static_cast<BoxWatcher*>(pv);
        while (!self->m_bStop) {
            HWND hBox = ::FindWindowA("#32770", "Trovel");
            if (hBox != nullptr && ::IsWindowVisible(hBox)) {
                char text[256] = {};
                ::GetDlgItemTextA(hBox, 0xFFFF, text, sizeof(text));
                self->m_texts.push_back(text);
                self->m_showing.push_back(*self->m_ppView != nullptr && (*self->m_ppView)->m_bDialogShowing);
                self->m_onBox(hBox);
                for (int i = 0; i < 500 && ::IsWindow(hBox); ++i)
                    ::Sleep(10);
            }
            ::Sleep(10);
        }
        return 0;
    }
    CTrovelView** m_ppView;
    std::function<void(HWND)> m_onBox;
    volatile bool m_bStop = false;
    HANDLE m_hThread;
};

TEST_F(InProcessStart, AppCloseWhileTheIconBoxIsUpWaitsForTheBox)
{
    Create();
    // A change of this run's, so that the end has something to save.
    m_pView->m_pathList.push_back(std::make_unique<PathEntry>(PathEntry{"C:\\Saved\\", "Saved", 5000}));
    // The shell knows an icon of the view's window and id already: the start's add fails.
    NOTIFYICONDATAA nid = {};
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = m_hView;
    nid.uID = CTrovelView::kTrayIconId;
    nid.uFlags = NIF_ICON;
    nid.hIcon = ::LoadIconA(nullptr, (LPCSTR)IDI_APPLICATION);
    ASSERT_TRUE(::Shell_NotifyIconA(NIM_ADD, &nid));
    {
        const HWND hFrame = m_hFrame;
        BoxWatcher watcher(&m_pView, [hFrame](HWND) { ::PostMessageA(hFrame, WM_APP_CLOSE, 0, 0); });
        EXPECT_TRUE(PumpUntil([hFrame] { return !::IsWindow(hFrame); }));
        m_pView = nullptr;
        EXPECT_EQ(watcher.m_texts, std::vector<std::string>{"Failed to create tray icon"});
        EXPECT_EQ(watcher.m_showing, std::vector<bool>{true});
    }
    EXPECT_EQ(TestApp().m_pMainWnd, nullptr);
    EXPECT_EQ(DumpKeyTree(HKEY_CURRENT_USER, m_scratch.Path() + "\\PathList"),
              (std::vector<std::string>{":<ID0>=<5000>", ":<ID1>=<0>", ":<P0>=<C:\\Saved\\>", ":<P1>=<>",
                                        ":<SN0>=<Saved>", ":<SN1>=<>"}));
    ::Shell_NotifyIconA(NIM_DELETE, &nid);
}

TEST_F(InProcessStart, CloseDuringALoopWithNoWindowYetWaitsWithoutSpinning)
{
    Launch();
    {
        CNestedLoop loop(CNestedLoop::Modal); // a dialog about to open: no window of it yet
        ::PostMessageA(m_hFrame, WM_APP_CLOSE, 0, 0);
        int closes = 0;
        for (DWORD start = ::GetTickCount(); ::GetTickCount() - start < 300; ::Sleep(10)) {
            MSG msg;
            for (int i = 0; i < 1000 && ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
                closes += msg.hwnd == m_hFrame && msg.message == WM_CLOSE;
                ::DispatchMessageA(&msg);
            }
        }
        EXPECT_LE(closes, 1);
        EXPECT_TRUE(::IsWindow(m_hFrame));
    }
    // The loop's end asks again, and the close goes through.
    EXPECT_TRUE(PumpUntil([this] { return !::IsWindow(m_hFrame); }));
    EXPECT_FALSE(TrayKnowsIcon(m_hView, CTrovelView::kTrayIconId));
}

// Sends the message to the window from a thread of its own, as another process would, once the
// program's thread is inside its loop.
DWORD WINAPI SendFromAnotherThread(LPVOID pParam)
{
    const MSG* pMsg = static_cast<const MSG*>(pParam);
    ::Sleep(300);
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(pMsg->hwnd, pMsg->message, pMsg->wParam, pMsg->lParam, SMTO_NORMAL, 10000, &result);
    return 0;
}

// Every loop the program runs inside a handler (the tray menu, a box, a wait on another program)
// holds off a close, a session's end and WM_APP_CLOSE, posted or sent, until it has returned: the
// view is still there when the loop's caller goes on, then the program ends with its list saved.
TEST_F(InProcessStart, ACloseDuringAnyLoopOfTheProgramIsCarriedOutOnceTheLoopHasReturned)
{
    const struct {
        const char* what;
        UINT msg;
        WPARAM wParam;
        bool bSent;
        std::function<void()> loop;
    } cases[] = {
        {"WM_APP_CLOSE posted, the tray menu", WM_APP_CLOSE, 0, false,
         [this] { m_pView->OnTrayNotify(CTrovelView::kTrayIconId, WM_RBUTTONUP); }},
        {"WM_APP_CLOSE sent, a box", WM_APP_CLOSE, 0, true,
         [this] { AfxMessageBox(m_hView, "A box", "Trovel", MB_OK); }},
        {"the session's end, a box", WM_ENDSESSION, TRUE, true,
         [this] { AfxMessageBox(m_hView, "A box", "Trovel", MB_OK); }},
        {"the session's end, a wait on another program", WM_ENDSESSION, TRUE, true, [] {
             HANDLE hNever = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
             AfxWaitAnswering(hNever, 1500);
             ::CloseHandle(hNever);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Launch();
        m_pView->m_pathList.push_back(std::make_unique<PathEntry>(PathEntry{"C:\\Kept\\", "Kept", 5000}));
        MSG msg = {};
        msg.hwnd = m_hFrame;
        msg.message = c.msg;
        msg.wParam = c.wParam;
        HANDLE hSender = nullptr;
        if (c.bSent)
            hSender = ::CreateThread(nullptr, 0, &SendFromAnotherThread, &msg, 0, nullptr);
        else
            ::PostMessageW(m_hFrame, c.msg, c.wParam, 0);
        const DWORD dwStart = ::GetTickCount();
        c.loop();
        EXPECT_LT(::GetTickCount() - dwStart, 5000u) << "the loop was asked to end";
        EXPECT_TRUE(::IsWindow(m_hView)) << "the view went under the loop's caller";
        EXPECT_TRUE(PumpUntil([this] { return !::IsWindow(m_hFrame); }));
        if (hSender != nullptr) {
            ::WaitForSingleObject(hSender, 10000);
            ::CloseHandle(hSender);
        }
        EXPECT_EQ(m_scratch.Key().ReadString("PathList", "P0", ""), "C:\\Kept\\");
        EXPECT_EQ(TestApp().m_pMainWnd, nullptr);
        m_scratch.Key().WriteString("PathList", "P0", "");
    }
}

TEST_F(InProcessStart, SettingsThatCannotBeSavedAreToldOncePerRun)
{
    m_scratch.Key().m_bReadOnly = TRUE; // nowhere to save
    TestApp().m_bSettingsLossReported = FALSE;
    BoxWatcher watcher(&m_pView, [](HWND hBox) { ::PostMessageA(hBox, WM_CLOSE, 0, 0); });
    Launch(); // the first start's new-user flag cannot be written
    EXPECT_EQ(watcher.m_texts, std::vector<std::string>{CTrovelView::kSettingsNotSavedText});
    EXPECT_EQ(watcher.m_showing, std::vector<bool>{true});
    EXPECT_FALSE(m_pView->m_bDialogShowing);
    EXPECT_TRUE(TrayKnowsIcon(m_hView, CTrovelView::kTrayIconId)); // and the program works on

    m_pView->SavePathLists(); // fails again: not told twice
    m_pView->ReportUnsavedSettings();
    PumpUntil([] { return true; });
    ::Sleep(100);
    EXPECT_EQ(watcher.m_texts.size(), 1u);
}

TEST(InstanceGuard, ANameClosedToThisProcessMeansAnotherCopyRuns)
{
    char name[64];
    std::snprintf(name, sizeof(name), "TrovelGuardTest%lu", ::GetCurrentProcessId());
    {
        CInstanceGuard first, second;
        EXPECT_TRUE(first.Claim(name));
        EXPECT_FALSE(second.Claim(name));
    }
    // Made by a copy that runs with elevation: this process may not even open it.
    const std::string closed = std::string(name) + " closed";
    PSECURITY_DESCRIPTOR pSd = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA("D:", SDDL_REVISION_1, &pSd, nullptr));
    SECURITY_ATTRIBUTES sa = {sizeof(sa), pSd, FALSE};
    HANDLE hOther = ::CreateMutexA(&sa, FALSE, closed.c_str());
    ::LocalFree(pSd);
    ASSERT_NE(hOther, nullptr);
    {
        CInstanceGuard guard;
        EXPECT_FALSE(guard.Claim(closed.c_str()));
    }
    ::CloseHandle(hOther);
    CInstanceGuard after;
    EXPECT_TRUE(after.Claim(closed.c_str()));
}

} // namespace
