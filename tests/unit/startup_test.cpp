// Start-up rules and the whole in-process start: document, hidden frame, view, timer, tray icon, close.
#include "app/FrameGeometry.h"
#include "app/MainFrame.h"
#include "app/OsGate.h"
#include "app/TrovelDoc.h"
#include "fw/DocTemplate.h"
#include "res/resource.h"
#include "tests/support/RegistryDump.h"
#include "tests/support/TrayProbe.h"
#include "tests/support/TestApp.h"
#include "watcher/TrovelView.h"

#include <gtest/gtest.h>

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
        OSVERSIONINFOA info = {};
        info.dwOSVersionInfoSize = sizeof(info);
        info.dwPlatformId = c.platform;
        info.dwMajorVersion = c.major;
        EXPECT_EQ(PassesOsGate(c.queried, info), c.passes) << "platform " << c.platform << " queried " << c.queried;
    }
    OSVERSIONINFOA running;
    EXPECT_TRUE(QueryOsVersion(running));
    EXPECT_EQ(running.dwOSVersionInfoSize, 148u);
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
        // The start routine runs from the frame's one-shot timer.
        ASSERT_TRUE(PumpUntil([this] { return m_pView->m_bFrameSizeKnown; }));
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

TEST_F(InProcessStart, SessionEndSavesListsAndLeavesAnOpenDialogsWindowsStanding)
{
    const std::vector<std::string> saved = {":<ID0>=<5000>", ":<ID1>=<0>", ":<P0>=<C:\\Work\\>", ":<P1>=<>",
                                            ":<SN0>=<Work>", ":<SN1>=<>"};
    Launch();
    m_pView->m_pathList.push_back(std::make_unique<PathEntry>(PathEntry{"C:\\Work\\", "Work", 5000}));
    {
        CDialogShowingScope showing(m_pView); // as while Preferences is up
        ::SendMessageA(m_hFrame, WM_ENDSESSION, TRUE, 0);
        EXPECT_TRUE(::IsWindow(m_hFrame) && ::IsWindow(m_hView));
        EXPECT_FALSE(TrayKnowsIcon(m_hView, CTrovelView::kTrayIconId));
        EXPECT_EQ(DumpKeyTree(HKEY_CURRENT_USER, m_scratch.Path() + "\\PathList"), saved);
    }
    Shutdown();

    Launch();
    DeleteKeyTree(HKEY_CURRENT_USER, m_scratch.Path() + "\\PathList");
    ::SendMessageA(m_hFrame, WM_ENDSESSION, TRUE, 0); // no dialog: the program ends as on a shutdown
    EXPECT_FALSE(::IsWindow(m_hFrame));
    EXPECT_EQ(TestApp().m_pMainWnd, nullptr);
    EXPECT_EQ(DumpKeyTree(HKEY_CURRENT_USER, m_scratch.Path() + "\\PathList"), saved);
    PumpUntil([] { return true; });
}

} // namespace
