// The About box and its links on real windows: real mouse input, the real shell, and the program's
// own frame, view and tray icon for the dialog-showing protocol.
#include "about/AboutDlg.h"
#include "app/MainFrame.h"
#include "app/TrovelDoc.h"
#include "fw/DocTemplate.h"
#include "res/resource.h"
#include "tests/harness/Harness.h"
#include "tests/support/TestApp.h"
#include "watcher/TrovelView.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

const COLORREF kBlue = RGB(0, 0, 255), kPurple = RGB(128, 0, 128);

TEST(LinkRules, MailMarkerColourAndLinkStyle)
{
    const std::pair<const char*, const char*> texts[] = {
        {"http://larkfieldsw.com/trovel/", "http://larkfieldsw.com/trovel/"},
        {"trovel@larkfieldsw.com", "mailto:trovel@larkfieldsw.com"},
        {"Write to trovel@larkfieldsw.com", "mailto:Write to trovel@larkfieldsw.com"},
        {"sales@larkfieldsw.com", "sales@larkfieldsw.com"},   // another user part is no marker
        {"trovel.larkfieldsw.com", "trovel.larkfieldsw.com"}, // nor is the user part without "@"
        {"MailTo:trovel@larkfieldsw.com", "MailTo:trovel@larkfieldsw.com"}, // never a second prefix
    };
    for (const auto& t : texts)
        EXPECT_EQ(LinkShellText(t.first), t.second);

    const std::pair<int, COLORREF> flags[] = {{0, kBlue}, {1, kPurple}, {2, kBlue}};
    for (const auto& f : flags)
        EXPECT_EQ(LinkTextColor(&f.first, kBlue, kPurple), f.second) << f.first;
    EXPECT_EQ(LinkTextColor(nullptr, kBlue, kPurple), kBlue); // an owner that set no flag

    const DWORD links[] = {SS_LEFT, SS_CENTER | SS_NOTIFY | WS_VISIBLE, SS_RIGHT, SS_CENTER | SS_NOPREFIX};
    const DWORD others[] = {SS_ICON, SS_BLACKRECT, SS_SIMPLE, SS_LEFTNOWORDWRAP, SS_OWNERDRAW};
    for (DWORD style : links)
        EXPECT_TRUE(IsLinkTextStyle(style)) << std::hex << style;
    for (DWORD style : others)
        EXPECT_FALSE(IsLinkTextStyle(style)) << std::hex << style;
}

// Runs this thread's messages until the condition holds (false after the limit).
bool PumpUntil(const std::function<bool()>& done, DWORD limit = 10000)
{
    for (DWORD start = ::GetTickCount(); !done();) {
        if (::GetTickCount() - start > limit)
            return false;
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&msg);
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}
void PumpFor(DWORD ms) { PumpUntil([] { return false; }, ms); }

// Real mouse input: hit testing, WM_SETCURSOR, capture and clicks as for a user.
void MouseTo(HWND hWnd, int x, int y, DWORD extraFlags = 0)
{
    POINT pt = {x, y};
    ::ClientToScreen(hWnd, &pt);
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = (pt.x * 65536 + ::GetSystemMetrics(SM_CXSCREEN) / 2) / ::GetSystemMetrics(SM_CXSCREEN);
    in.mi.dy = (pt.y * 65536 + ::GetSystemMetrics(SM_CYSCREEN) / 2) / ::GetSystemMetrics(SM_CYSCREEN);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | extraFlags;
    ::SendInput(1, &in, sizeof(in));
    PumpFor(150);
}
// Returns when the button went down.
DWORD ClickOn(HWND hWnd)
{
    PumpFor(::GetDoubleClickTime() + 50); // two quick clicks make a double click, which opens nothing
    DWORD down = ::GetTickCount();
    MouseTo(hWnd, 10, 5, MOUSEEVENTF_LEFTDOWN);
    MouseTo(hWnd, 10, 5, MOUSEEVENTF_LEFTUP);
    return down;
}

// The text colour the dialog hands the control for its next paint, and whether it is drawn as a link.
COLORREF PaintColour(HWND hCtl, bool* pbLink = nullptr)
{
    HDC hdc = ::CreateCompatibleDC(nullptr);
    HBRUSH hBrush = (HBRUSH)::SendMessageA(::GetParent(hCtl), WM_CTLCOLORSTATIC, (WPARAM)hdc, (LPARAM)hCtl);
    if (pbLink != nullptr)
        *pbLink = hBrush == ::GetStockObject(NULL_BRUSH);
    COLORREF colour = ::GetTextColor(hdc);
    ::DeleteDC(hdc);
    return colour;
}

// Records what the links ask the shell to open and counts the beeps; the shell is the real one
// unless a result is forced.
struct ShellRecorder {
    ShellRecorder() { s_opened.clear(); s_beeps = 0; s_forced = 0; CStaticLink::s_pfnShellOpen = &Open; CStaticLink::s_pfnBeep = &Beep; }
    ~ShellRecorder() { CStaticLink::s_pfnShellOpen = &CStaticLink::ShellOpen; CStaticLink::s_pfnBeep = &::MessageBeep; }
    static HINSTANCE Open(const char* pszText)
    {
        s_opened.push_back(pszText);
        return s_forced != 0 ? (HINSTANCE)s_forced : CStaticLink::ShellOpen(pszText);
    }
    static BOOL WINAPI Beep(UINT) { return ++s_beeps; }
    static inline std::vector<std::string> s_opened;
    static inline int s_beeps = 0;
    static inline INT_PTR s_forced = 0;
};

// The real About box shown modeless, so the test drives it between messages; links unvisited.
class ShownAboutBox : public CAboutDlg {
public:
    ShownAboutBox()
    {
        TestApp().m_bEmailLinkVisited = TestApp().m_bWebLinkVisited = 0;
        PendingCreation() = this;
        ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDD_ABOUTBOX), nullptr, &CWnd::DlgProc, 0);
        PendingCreation() = nullptr;
    }
    ~ShownAboutBox() override { DestroyWindow(); }
    void Show() { ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW); PumpFor(100); }
};

BOOL CALLBACK FindIconStatic(HWND hWnd, LPARAM lParam)
{
    bool icon = (::GetWindowLongPtrA(hWnd, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
    if (icon)
        *reinterpret_cast<HWND*>(lParam) = hWnd;
    return !icon;
}

TEST(StaticLink, FirstPaintMakesTextAnUnderlinedLinkAndGivesAnIconOnlyTheNotifyStyle)
{
    ShownAboutBox box;
    HWND hIcon = nullptr;
    ::EnumChildWindows(box.m_hWnd, &FindIconStatic, (LPARAM)&hIcon);
    CStaticLink iconLink;
    int visited = 1;
    ASSERT_TRUE(iconLink.SubclassWindow(hIcon));
    iconLink.m_pbVisited = &visited;
    EXPECT_FALSE((box.m_webLink.GetStyle() | iconLink.GetStyle()) & SS_NOTIFY);
    box.Show();
    EXPECT_TRUE(box.m_webLink.GetStyle() & iconLink.GetStyle() & SS_NOTIFY);
    LOGFONTA lf = {};
    ::GetObjectA((HFONT)box.m_webLink.SendMessage(WM_GETFONT), sizeof(lf), &lf);
    EXPECT_TRUE(lf.lfUnderline);
    EXPECT_EQ(iconLink.m_font.GetSafeHandle(), nullptr);
    bool link = false;
    EXPECT_NE(PaintColour(hIcon, &link), kPurple);
    EXPECT_FALSE(link);
    EXPECT_EQ(PaintColour(box.m_webLink.m_hWnd, &link), kBlue);
    EXPECT_TRUE(link);
}

TEST(StaticLink, ClicksOpenThroughTheShellAndOnlySuccessMarksVisited)
{
    ShellRecorder shell;
    ShownAboutBox box;
    box.Show();
    box.m_webLink.m_link = "C:\\no such folder\\no such file.txt";
    ClickOn(box.m_webLink.m_hWnd);
    EXPECT_EQ(shell.s_beeps, 1);
    EXPECT_EQ(TestApp().m_bWebLinkVisited, 0);
    EXPECT_EQ(PaintColour(box.m_webLink.m_hWnd), kBlue);

    const std::string record = TROVEL_TEST_BIN_DIR "link_recorder.txt"; // written by the target itself
    ::DeleteFileA(record.c_str());
    box.m_webLink.m_link = TROVEL_HELPER("link_recorder");
    ClickOn(box.m_webLink.m_hWnd);
    EXPECT_EQ(TestApp().m_bWebLinkVisited, 1);
    EXPECT_EQ(PaintColour(box.m_webLink.m_hWnd), kPurple);
    EXPECT_TRUE(PumpUntil([&] { return ::GetFileAttributesA(record.c_str()) != INVALID_FILE_ATTRIBUTES; }));

    shell.s_forced = 42;
    std::string address = box.m_emailLink.GetWindowText();
    ClickOn(box.m_emailLink.m_hWnd);
    ClickOn(box.m_emailLink.m_hWnd);
    const std::vector<std::string> opened = {"C:\\no such folder\\no such file.txt", TROVEL_HELPER("link_recorder"),
                                             "mailto:" + address, "mailto:" + address};
    EXPECT_EQ(shell.s_opened, opened);
    EXPECT_EQ(box.m_emailLink.m_link, address);
    EXPECT_EQ(TestApp().m_bEmailLinkVisited, 1);
    EXPECT_EQ(PaintColour(box.m_emailLink.m_hWnd), kPurple);
    EXPECT_EQ(shell.s_beeps, 1);
}

TEST(StaticLink, HandWhileOverTheLinkAndOneSecondHoldOffAfterAClick)
{
    ShellRecorder shell;
    shell.s_forced = 42;
    ShownAboutBox box;
    box.Show();
    CStaticLink& link = box.m_webLink;
    HCURSOR hHand = ::LoadCursorA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDC_HAND_POINTER));
    auto expectOver = [&](bool over, const char* when) {
        EXPECT_EQ(link.m_bCaptured && ::GetCapture() == link.m_hWnd, over) << when;
        EXPECT_EQ(::GetCursor(), over ? hHand : ::LoadCursorW(nullptr, IDC_ARROW)) << when;
    };
    MouseTo(link.m_hWnd, 20, 5);
    expectOver(true, "entered");
    MouseTo(link.m_hWnd, 25, 5);
    expectOver(true, "moved within");
    MouseTo(link.m_hWnd, 25, 40);
    expectOver(false, "left");
    MouseTo(link.m_hWnd, 20, 5);
    ::SetCapture(box.m_hWnd); // capture taken away: the next move must bring the hand back
    ::ReleaseCapture();
    MouseTo(link.m_hWnd, 25, 5);
    expectOver(true, "moved after losing the capture");

    DWORD clicked = ClickOn(link.m_hWnd);
    MouseTo(link.m_hWnd, 20, 5);
    expectOver(false, "moved during the hold-off");
    link.SendMessage(WM_TIMER, 7); // another timer ends nothing
    EXPECT_TRUE(link.m_bClickHoldoff);
    ASSERT_TRUE(PumpUntil([&] { return !link.m_bClickHoldoff; }, 5000));
    EXPECT_GE(::GetTickCount() - clicked, 950u); // tick granularity
    MouseTo(link.m_hWnd, 25, 5);
    expectOver(true, "moved after the hold-off");
}

// The program as started: document, hidden frame, view and tray icon, over a scratch settings root.
class AboutBoxInTheProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestApp().m_bEmailLinkVisited = TestApp().m_bWebLinkVisited = 0;
        s_shown = 0;
        TestApp().AddDocTemplate(new CSingleDocTemplate(
            IDR_MAINFRAME, []() -> CDocument* { return new CTrovelDoc; },
            []() -> CFrameWnd* { return new CMainFrame; }, []() -> CView* { return new CTrovelView; }));
        CCommandLineInfo cmdInfo;
        ASSERT_TRUE(TestApp().ProcessShellCommand(cmdInfo));
        ASSERT_TRUE(PumpUntil([this] { return (m_pView = GetTrovelView()) != nullptr && m_pView->m_bFrameSizeKnown; }));
        m_hHook = ::SetWindowsHookExA(WH_CALLWNDPROC, &CountMenus, nullptr, ::GetCurrentThreadId());
    }
    void TearDown() override
    {
        ::UnhookWindowsHookEx(m_hHook);
        if (GetTrovelView() != nullptr)
            GetTrovelView()->SendMessage(WM_COMMAND, ID_SHUTDOWN);
        TestApp().AddDocTemplate(nullptr);
        PumpFor(50);
    }
    // The protocol's state: flag, tool tip, and whether a right click on the icon opens the menu.
    void ExpectShowing(bool showing, const char* when)
    {
        EXPECT_EQ(m_pView->m_bDialogShowing, showing) << when;
        EXPECT_STREQ(m_pView->m_trayIcon.m_nid.szTip, showing ? L"Trovel Dialog Showing" : L"Trovel") << when;
        s_menus = 0;
        m_pView->SendMessage(WM_TRAY_NOTIFY, CTrovelView::kTrayIconId, WM_RBUTTONUP);
        EXPECT_EQ(s_menus, showing ? 0 : 1) << when;
    }
    static LRESULT CALLBACK CountMenus(int code, WPARAM wParam, LPARAM lParam)
    {
        const CWPSTRUCT* pMsg = reinterpret_cast<CWPSTRUCT*>(lParam);
        s_menus += pMsg->message == WM_INITMENUPOPUP;
        if (pMsg->message == WM_ENTERIDLE && pMsg->wParam == MSGF_MENU)
            ::EndMenu();
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }
    // Runs fn inside the modal loop of the next dialog shown with this caption, then presses OK.
    static void WhenShown(const char* caption, std::function<void(HWND)> fn)
    {
        s_pending = {caption, std::move(fn)};
        ::SetTimer(nullptr, 0, 30, &RunPending);
    }
    static void CALLBACK RunPending(HWND, UINT, UINT_PTR idEvent, DWORD)
    {
        HWND hWnd = ::FindWindowA("#32770", s_pending.first.c_str());
        if (hWnd == nullptr || !::IsWindowVisible(hWnd))
            return;
        ::KillTimer(nullptr, idEvent);
        auto fn = std::move(s_pending.second);
        fn(hWnd);
        ++s_shown;
        ::PostMessageA(hWnd, WM_COMMAND, IDOK, 0);
    }
    static inline int s_menus = 0, s_shown = 0;
    static inline std::pair<std::string, std::function<void(HWND)>> s_pending;
    ScratchRegistryRoot m_scratch;
    CTrovelView* m_pView = nullptr;
    HHOOK m_hHook = nullptr;
    ShellRecorder m_shell;
};

// Stands in for the Preferences sheet: another modal dialog of the program under the protocol.
class COuterDialog : public CDialog {
public:
    COuterDialog() : CDialog(IDD_ABOUTBOX) {}
    BOOL OnInitDialog() override { SetWindowText("Outer Dialog"); return CDialog::OnInitDialog(); }
};

TEST_F(AboutBoxInTheProgram, ProtocolFromTheTrayAndOverAnotherDialogAndVisitedStateForTheRun)
{
    ExpectShowing(false, "before");
    m_shell.s_forced = 42;
    WhenShown("About Trovel", [&](HWND hAbout) {
        ExpectShowing(true, "from the tray");
        EXPECT_EQ(::GetFocus(), ::GetDlgItem(hAbout, IDOK));
        ClickOn(::GetDlgItem(hAbout, IDC_WEB_LINK));
    });
    m_pView->SendMessage(WM_COMMAND, ID_APP_ABOUT); // the tray menu's route
    ExpectShowing(false, "closed");
    ASSERT_EQ(m_shell.s_opened.size(), 1u);

    WhenShown("Outer Dialog", [&](HWND hOuter) {
        WhenShown("About Trovel", [&](HWND hAbout) {
            ExpectShowing(true, "over the outer dialog");
            EXPECT_FALSE(::IsWindowEnabled(hOuter));
            EXPECT_EQ(PaintColour(::GetDlgItem(hAbout, IDC_WEB_LINK)), kPurple);
            EXPECT_EQ(PaintColour(::GetDlgItem(hAbout, IDC_EMAIL_LINK)), kBlue);
        });
        GetTrovelApp()->OnAppAbout(); // the Other Settings page's button
        ExpectShowing(true, "About box closed, outer dialog still up");
    });
    {
        CDialogShowingScope showing(m_pView);
        COuterDialog().DoModal();
    }
    ExpectShowing(false, "all closed");
    EXPECT_EQ(s_shown, 3);
}

} // namespace
