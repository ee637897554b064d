// The tray icon's pop-up menu and the mouse messages of its callback, in process with a real view.
#include "res/resource.h"
#include "tests/support/TestApp.h"
#include "tests/support/TrayProbe.h"
#include "fw/DocTemplate.h"
#include "fw/FrameWnd.h"
#include "watcher/TrovelView.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> ProgramCommands()
{
    return {"-", "&Preferences... #32771 (default)", "&Help Topics #350", "&About Trovel... #57664", "-",
            "&Shutdown Trovel #32775"};
}

TEST(TrayMenu, PathEntriesStandAboveTheProgramCommandsLastFirst)
{
    KeepTrayShown();
    using Entries = std::vector<PathEntry>;
    const struct { const char* label; Entries entries; std::vector<std::string> top; } cases[] = {
        {"empty list", {}, {}},
        {"X, Y, Z", {{"C:\\X\\", "X", 5000}, {"C:\\Y\\", "Y", 5001}, {"C:\\Z\\", "Z", 5002}},
         {"Z #5002", "Y #5001", "X #5000"}},
        {"same name twice, ids with a gap", {{"C:\\", "A", 5000}, {"D:\\", "A", 5002}}, {"A #5002", "A #5000"}},
        // Past five, no id is left: those stay in the store, out of the menu. A name's '&' is shown, not
        // taken for a mnemonic.
        {"seven entries", {{"1", "R&D", 5000}, {"2", "2", 5001}, {"3", "3", 5002}, {"4", "4", 5003}, {"5", "5", 5004},
                           {"6", "6", 5005}, {"7", "7", 1}},
         {"5 #5004", "4 #5003", "3 #5002", "2 #5001", "R&&D #5000"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ScratchRegistryRoot scratch;
        {
            CDialogList dialogs;
            CPathList paths;
            for (const PathEntry& e : c.entries)
                paths.push_back(std::make_unique<PathEntry>(e));
            SavePathLists(scratch.Key(), dialogs, paths);
        }
        CTrovelView view; // loads the list from the settings root
        view.m_dialogSettings.bListOpenFolders = false; // favourites only: the open folders have tests of their own
        // The menu needs only the icon's id. Wine's tray takes a removed icon away a moment later, so
        // the add right after the previous case's removal may be refused as a duplicate.
        view.m_trayIcon.Create(&view, CTrovelView::kTrayIconId, "Trovel", view.m_hIcon, WM_TRAY_NOTIFY);
        ASSERT_EQ(view.m_trayIcon.m_nid.uID, CTrovelView::kTrayIconId);

        CLoadedMenu menu;
        CMenu popup;
        int nDefaultPos = -1;
        ASSERT_TRUE(view.m_trayIcon.BuildPopupMenu(menu, popup, nDefaultPos, &view));
        std::vector<std::string> expected = c.top;
        for (const std::string& item : ProgramCommands())
            expected.push_back(item);
        EXPECT_EQ(DescribeMenu(popup.m_hMenu), expected);
        EXPECT_EQ(nDefaultPos, (int)c.top.size() + 1);

        // Built afresh each time: an emptied list shows at once.
        view.FreePathList();
        CLoadedMenu again;
        ASSERT_TRUE(view.m_trayIcon.BuildPopupMenu(again, popup, nDefaultPos, &view));
        EXPECT_EQ(DescribeMenu(popup.m_hMenu), ProgramCommands());
    }
}

// Stands in for the view's window as the icon's notify window: counts the menus that open on it
// (closing each at once, after asking once more for a menu from inside it when told to) and records
// the commands it receives.
class NotifyWindow {
public:
    NotifyWindow()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "TrovelTrayTestOwner";
        ::RegisterClassA(&wc);
        m_hWnd = ::CreateWindowA(wc.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
        s_menus = 0;
        s_commands.clear();
        s_hAskAgain = nullptr;
    }
    ~NotifyWindow() { ::DestroyWindow(m_hWnd); }
    HWND m_hWnd;
    static int s_menus;
    static std::vector<UINT> s_commands;
    static HWND s_hAskAgain; // the view, asked for a menu by WM_CONTEXTMENU while one is open

private:
    static LRESULT CALLBACK Proc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        switch (msg) {
        case WM_INITMENUPOPUP:
            ++s_menus;
            break;
        case WM_ENTERIDLE:
            if (wParam == MSGF_MENU) {
                // The shell at version 3 follows the right button's release with WM_CONTEXTMENU.
                if (HWND hView = s_hAskAgain) {
                    s_hAskAgain = nullptr;
                    ::SendMessageA(hView, WM_TRAY_NOTIFY, CTrovelView::kTrayIconId, WM_CONTEXTMENU);
                }
                ::EndMenu();
            }
            break;
        case WM_COMMAND:
            s_commands.push_back(LOWORD(wParam));
            return 0;
        default:
            break;
        }
        return ::DefWindowProcA(hWnd, msg, wParam, lParam);
    }
};
int NotifyWindow::s_menus = 0;
std::vector<UINT> NotifyWindow::s_commands;
HWND NotifyWindow::s_hAskAgain = nullptr;

// Counts the reads of the shell's window list; gives none.
HRESULT CountReads(void* pContext, IShellWindows** ppWindows)
{
    ++*static_cast<int*>(pContext);
    *ppWindows = nullptr;
    return E_FAIL;
}

// Each callback of the icon, to the active view of the program's frame: only a menu reads the
// folders open in Explorer; the keyboard's messages of version 3 open the menu or run the default
// command; and a menu asked for while one is open opens none.
TEST(TrayMenu, EachMessageOnTheIconDoesOnlyWhatItAsks)
{
    KeepTrayShown();
    const struct { const char* label; UINT iconId; UINT mouse; bool dialogShowing; LRESULT result; int menus;
                   std::vector<UINT> commands; int reads; bool askAgain = false; } cases[] = {
        {"right button up opens the menu", 109, WM_RBUTTONUP, false, 1, 1, {}, 1},
        {"the context menu key opens it", 109, WM_CONTEXTMENU, false, 1, 1, {}, 1},
        {"one menu for the release and the context menu after it", 109, WM_RBUTTONUP, false, 1, 1, {}, 1, true},
        {"no menu while a dialog shows", 109, WM_RBUTTONUP, true, 1, 0, {}, 0},
        {"nor by the key", 109, WM_CONTEXTMENU, true, 1, 0, {}, 0},
        {"double click runs the default command", 109, WM_LBUTTONDBLCLK, false, 1, 0, {ID_PREFERENCES}, 0},
        {"double click goes through while a dialog shows", 109, WM_LBUTTONDBLCLK, true, 1, 0, {ID_PREFERENCES}, 0},
        {"Enter on the icon runs it", 109, CTrayNotifyIcon::kKeySelect, false, 1, 0, {ID_PREFERENCES}, 0},
        {"a selection with the mouse runs it", 109, CTrayNotifyIcon::kSelect, false, 1, 0, {ID_PREFERENCES}, 0},
        {"mouse move", 109, WM_MOUSEMOVE, false, 1, 0, {}, 0},
        {"left click", 109, WM_LBUTTONUP, false, 1, 0, {}, 0},
        {"right button down", 109, WM_RBUTTONDOWN, false, 1, 0, {}, 0},
        {"another icon's callback", 110, WM_RBUTTONUP, false, 0, 0, {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ScratchRegistryRoot scratch;
        CFrameWnd* pFrame = nullptr;
        CTrovelView* pView = NewViewInFrame(&pFrame);
        ASSERT_NE(pView, nullptr);
        TestApp().m_pMainWnd = pFrame; // the icon finds the view through the program's frame
        int reads = 0;
        pView->m_pfnShellWindows = &CountReads;
        pView->m_pShellWindowsContext = &reads;
        NotifyWindow owner;
        NotifyWindow::s_hAskAgain = c.askAgain ? pView->m_hWnd : nullptr;
        CWnd ownerWnd;
        ownerWnd.Attach(owner.m_hWnd); // borrowed only
        ASSERT_TRUE(pView->m_trayIcon.Create(&ownerWnd, CTrovelView::kTrayIconId, "Trovel", pView->m_hIcon, WM_TRAY_NOTIFY));
        pView->m_bDialogShowing = c.dialogShowing;
        EXPECT_EQ(pView->OnTrayNotify(c.iconId, c.mouse), c.result);
        EXPECT_EQ(NotifyWindow::s_menus, c.menus);
        EXPECT_EQ(NotifyWindow::s_commands, c.commands);
        EXPECT_EQ(reads, c.reads) << "reads of Explorer's window list";
        pView->m_trayIcon.RemoveIcon();
        ownerWnd.Detach();
        TestApp().m_pMainWnd = nullptr;
        ::DestroyWindow(pFrame->m_hWnd);
    }
}

TEST(TrayMenu, ChildOwnersTopLevelWindowIsBroughtForwardAndNudgedAfterTheMenu)
{
    KeepTrayShown();
    ScratchRegistryRoot scratch;
    CTrovelView view;
    NotifyWindow helper; // registers the class that counts and closes menus
    HWND hTop = ::CreateWindowA("TrovelTrayTestOwner", "top", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                ::GetModuleHandleA(nullptr), nullptr);
    HWND hChild = ::CreateWindowA("TrovelTrayTestOwner", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, hTop, nullptr,
                                  ::GetModuleHandleA(nullptr), nullptr);
    ::SetForegroundWindow(helper.m_hWnd);
    CWnd childWnd;
    childWnd.Attach(hChild); // borrowed only
    ASSERT_TRUE(view.m_trayIcon.Create(&childWnd, CTrovelView::kTrayIconId, "Trovel", view.m_hIcon, WM_TRAY_NOTIFY));
    MSG msg;
    while (::PeekMessageA(&msg, hTop, WM_NULL, WM_NULL, PM_REMOVE)) {
    }
    EXPECT_EQ(view.OnTrayNotify(CTrovelView::kTrayIconId, WM_RBUTTONUP), 1);
    EXPECT_EQ(NotifyWindow::s_menus, 1);
    EXPECT_EQ(::GetForegroundWindow(), hTop);
    EXPECT_TRUE(::PeekMessageA(&msg, hTop, WM_NULL, WM_NULL, PM_REMOVE)) << "no WM_NULL after the menu";
    view.m_trayIcon.RemoveIcon();
    childWnd.Detach();
    ::DestroyWindow(hTop);
}

// Width of an icon's image in pixels; 0 when the handle is no icon (any more).
int IconWidth(HICON hIcon)
{
    ICONINFO info = {};
    if (!::GetIconInfo(hIcon, &info))
        return 0;
    BITMAP bm = {};
    ::GetObjectA(info.hbmMask, sizeof(bm), &bm);
    ::DeleteObject(info.hbmMask);
    if (info.hbmColor != nullptr)
        ::DeleteObject(info.hbmColor);
    return bm.bmWidth;
}

TEST(TrayIcon, ShowsTheSmallImageAndDestroysTheOneItReplaces)
{
    KeepTrayShown();
    ScratchRegistryRoot scratch;
    CTrovelView view;
    const int small = ::GetSystemMetrics(SM_CXSMICON);
    EXPECT_EQ(IconWidth(view.m_hIcon), small);
    ASSERT_TRUE(view.m_trayIcon.Create(&view, CTrovelView::kTrayIconId, "Trovel", view.m_hIcon, WM_TRAY_NOTIFY));

    ASSERT_TRUE(view.m_trayIcon.SetIcon(IDR_MAINFRAME));
    const HICON hFirst = view.m_trayIcon.m_nid.hIcon;
    EXPECT_EQ(IconWidth(hFirst), small);
    ASSERT_TRUE(view.m_trayIcon.SetIcon(IDR_MAINFRAME));
    EXPECT_NE(view.m_trayIcon.m_nid.hIcon, hFirst);
    EXPECT_EQ(IconWidth(hFirst), 0);
    EXPECT_EQ(IconWidth(view.m_hIcon), small); // the view's own image stays until the view goes
}

} // namespace
