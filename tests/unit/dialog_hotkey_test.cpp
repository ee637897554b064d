// The dialog hotkey follows the window in front: held while a file dialog is there, free for other
// programs otherwise, registered throughout where the system cannot tell, and a taken key told once.
#include "watcher/DialogHotkey.h"

#include "tests/support/TestApp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

HWND MakeWindow(const wchar_t* pszTitle, const wchar_t* pszClass = L"#32770", DWORD dwVisible = WS_VISIBLE)
{
    HWND hWnd = ::CreateWindowExW(0, pszClass, pszTitle, WS_POPUP | WS_CAPTION | dwVisible, 30, 30, 240, 120,
                                  nullptr, nullptr, nullptr, nullptr);
    ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 10, 100, 20, hWnd, nullptr, nullptr,
                      nullptr);
    return hWnd;
}

void BringToFront(HWND hWnd)
{
    ::SetForegroundWindow(hWnd);
    ::SetFocus(::GetWindow(hWnd, GW_CHILD));
    PumpMessagesFor(300);
}

// Whether some other registration of the key succeeds now, as another program's would.
bool KeyFreeForOthers(WORD wHotkey)
{
    if (!::RegisterHotKey(nullptr, 0x5A5A, HotkeyModifiers(wHotkey), LOBYTE(wHotkey)))
        return false;
    ::UnregisterHotKey(nullptr, 0x5A5A);
    return true;
}

struct Fixture {
    HWND hOwner = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    HWND hPlain = MakeWindow(L"Notes", L"STATIC");
    HWND hDialog = MakeWindow(L"Save As");
    HWND hOwn = MakeWindow(L"Menu owner"); // stands for the program's own window
    std::vector<std::string> told;
    bool bRecognisable = true; // the dialog has what makes it a file dialog

    ~Fixture()
    {
        ::DestroyWindow(hOwn);
        ::DestroyWindow(hDialog);
        ::DestroyWindow(hPlain);
        ::DestroyWindow(hOwner);
    }
    static FrontWindow IsDialog(void* pContext, HWND hWnd)
    {
        const Fixture* pThis = static_cast<Fixture*>(pContext);
        return hWnd == pThis->hDialog && pThis->bRecognisable ? FrontWindow::FileDialog
               : hWnd == pThis->hOwn  ? FrontWindow::PassedOver
                                      : FrontWindow::Other;
    }
    static void Tell(void* pContext, const std::string& text) { static_cast<Fixture*>(pContext)->told.push_back(text); }
};

const WORD kCtrlG = kDefaultDialogHotkey;

} // namespace

TEST(DialogHotkey, HeldOnlyWhileAFileDialogIsInFront)
{
    Fixture f;
    CDialogHotkey hotkey;
    ASSERT_NE(nullptr, hotkey.m_pfnSetWinEventHook) << "the window events are there under Wine";
    BringToFront(f.hPlain);
    ASSERT_TRUE(hotkey.Start(f.hOwner, kCtrlG, &Fixture::IsDialog, &Fixture::Tell, &f));
    EXPECT_TRUE(hotkey.IsFollowing());
    EXPECT_TRUE(KeyFreeForOthers(kCtrlG)) << "a plain window in front";

    BringToFront(f.hDialog);
    EXPECT_TRUE(hotkey.IsRegistered());
    EXPECT_FALSE(KeyFreeForOthers(kCtrlG)) << "a file dialog in front";

    BringToFront(f.hPlain);
    EXPECT_FALSE(hotkey.IsRegistered());
    EXPECT_TRUE(KeyFreeForOthers(kCtrlG)) << "the dialog left the front";

    BringToFront(f.hDialog);
    hotkey.Stop();
    EXPECT_TRUE(KeyFreeForOthers(kCtrlG)) << "stopped with the dialog in front";
    PumpMessagesFor(300);
    EXPECT_FALSE(hotkey.IsRegistered()) << "events after the stop change nothing";
    EXPECT_TRUE(f.told.empty());
}

// The menu at the dialog and its owner window come to the front for the dialog: the key stays
// held through them, and what follows them decides again.
TEST(DialogHotkey, TheProgramsOwnWindowsInFrontLeaveTheKeyAsItWas)
{
    Fixture f;
    CDialogHotkey hotkey;
    BringToFront(f.hPlain);
    ASSERT_TRUE(hotkey.Start(f.hOwner, kCtrlG, &Fixture::IsDialog, &Fixture::Tell, &f));
    BringToFront(f.hDialog);
    ASSERT_TRUE(hotkey.IsRegistered());
    BringToFront(f.hOwn);
    EXPECT_TRUE(hotkey.IsRegistered()) << "the program's own window in front";
    ::SetForegroundWindow(f.hDialog);
    PumpMessagesFor(300);
    EXPECT_TRUE(hotkey.IsRegistered()) << "back at the dialog";
    BringToFront(f.hOwn);
    BringToFront(f.hPlain);
    EXPECT_FALSE(hotkey.IsRegistered()) << "a plain window after the program's own";
}

TEST(DialogHotkey, WithoutWindowEventsTheKeyIsHeldThroughout)
{
    Fixture f;
    CDialogHotkey hotkey;
    hotkey.m_pfnSetWinEventHook = nullptr; // as on NT 4.0
    BringToFront(f.hPlain);
    ASSERT_TRUE(hotkey.Start(f.hOwner, kCtrlG, &Fixture::IsDialog, &Fixture::Tell, &f));
    EXPECT_FALSE(hotkey.IsFollowing());
    EXPECT_TRUE(hotkey.IsRegistered());
    EXPECT_FALSE(KeyFreeForOthers(kCtrlG));
    hotkey.Stop();
    EXPECT_TRUE(KeyFreeForOthers(kCtrlG));
}

TEST(DialogHotkey, AKeyAnotherProgramHoldsIsToldOnceByName)
{
    Fixture f;
    const WORD kCtrlShiftK = MAKEWORD('K', HOTKEYF_CONTROL | HOTKEYF_SHIFT);
    ASSERT_TRUE(::RegisterHotKey(nullptr, 0x6B6B, HotkeyModifiers(kCtrlShiftK), 'K')); // the other program
    CDialogHotkey hotkey;
    BringToFront(f.hPlain);
    hotkey.Start(f.hOwner, kCtrlShiftK, &Fixture::IsDialog, &Fixture::Tell, &f);
    BringToFront(f.hDialog);
    BringToFront(f.hPlain);
    BringToFront(f.hDialog);
    EXPECT_FALSE(hotkey.IsRegistered());
    ASSERT_EQ(1u, f.told.size());
    EXPECT_NE(std::string::npos, f.told[0].find("Ctrl+Shift+K"));
    EXPECT_NE(std::string::npos, f.told[0].find("Other Settings"));

    // Once the other program lets go, the dialog gets it.
    ::UnregisterHotKey(nullptr, 0x6B6B);
    BringToFront(f.hPlain);
    BringToFront(f.hDialog);
    EXPECT_TRUE(hotkey.IsRegistered());
    EXPECT_EQ(1u, f.told.size());
}

namespace {

// Stands for a system that tells only what it is made to: the test delivers each event itself.
struct FakeWinEvents {
    struct Hook {
        DWORD dwMin, dwMax;
        WINEVENTPROC pfn;
        DWORD idThread;
        bool bUnhooked;
    };
    static std::vector<Hook> hooks;
    static HWINEVENTHOOK WINAPI Set(DWORD dwMin, DWORD dwMax, HMODULE, WINEVENTPROC pfn, DWORD, DWORD idThread, DWORD)
    {
        hooks.push_back({dwMin, dwMax, pfn, idThread, false});
        return (HWINEVENTHOOK)(UINT_PTR)hooks.size();
    }
    static BOOL WINAPI Unhook(HWINEVENTHOOK hHook)
    {
        hooks[(UINT_PTR)hHook - 1].bUnhooked = true;
        return TRUE;
    }
    static const Hook* Find(DWORD dwEvent)
    {
        for (const Hook& hook : hooks) {
            if (hook.dwMin == dwEvent && hook.dwMax == dwEvent && !hook.bUnhooked)
                return &hook;
        }
        return nullptr;
    }
    static int ThreadHooks() // still in place
    {
        return (int)std::count_if(hooks.begin(), hooks.end(), [](const Hook& h) { return h.idThread != 0 && !h.bUnhooked; });
    }
    // The hotkey hears only what Deliver tells it.
    static void Stand(CDialogHotkey& hotkey)
    {
        hooks.clear();
        hotkey.m_pfnSetWinEventHook = &Set;
        hotkey.m_pfnUnhookWinEvent = &Unhook;
    }
    static void Deliver(DWORD dwEvent, HWND hWnd, LONG idObject = OBJID_WINDOW)
    {
        const DWORD dwThread = ::GetWindowThreadProcessId(hWnd, nullptr);
        for (size_t i = 0; i < hooks.size(); ++i) { // a hook may be set or removed meanwhile
            const Hook hook = hooks[i];
            if (hook.dwMin <= dwEvent && dwEvent <= hook.dwMax && !hook.bUnhooked &&
                (hook.idThread == 0 || hook.idThread == dwThread))
                hook.pfn((HWINEVENTHOOK)(i + 1), dwEvent, hWnd, idObject, CHILDID_SELF, dwThread, 0);
        }
    }
};
std::vector<FakeWinEvents::Hook> FakeWinEvents::hooks;

} // namespace

// Anything but a file dialog in front frees the key at once, shown or not (the program's own windows
// leave it as it was). A dialog made hidden is followed through its own thread's events, however late
// it shows or becomes one to take; that thread's hook goes once it is taken, destroyed, or left.
TEST(DialogHotkey, TheFrontDecidesAtOnceAndADialogNotTakenYetIsFollowedThroughItsOwnEvents)
{
    using Fake = FakeWinEvents;
    auto show = [](Fixture& f) {
        ::ShowWindow(f.hDialog, SW_SHOW);
        ::SetForegroundWindow(f.hDialog);
        Fake::Deliver(EVENT_OBJECT_SHOW, f.hDialog);
    };
    auto toFront = [](HWND hWnd, bool bShown) {
        ::ShowWindow(hWnd, bShown ? SW_SHOW : SW_HIDE);
        Fake::Deliver(EVENT_OBJECT_FOCUS, ::GetWindow(hWnd, GW_CHILD), OBJID_CLIENT);
    };
    const struct {
        const char* what;
        bool bRecognisable;
        std::function<void(Fixture&)> then;
        bool bHeld;
    } rows[] = {
        {"shown in front", true, show, true},
        {"then a hidden window", true, [&](Fixture& f) { show(f), toFront(f.hPlain, false); }, false},
        {"then the program's own, hidden", true, [&](Fixture& f) { show(f), toFront(f.hOwn, false); }, true},
        {"its field made once in front", false, [&](Fixture& f) {
             show(f);
             f.bRecognisable = true;
             Fake::Deliver(EVENT_OBJECT_CREATE, ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 0, 9, 9, f.hDialog,
                                                                  nullptr, nullptr, nullptr));
         }, true},
        {"destroyed unshown", true, [](Fixture& f) { Fake::Deliver(EVENT_OBJECT_DESTROY, f.hDialog); }, false},
        {"shown, left unrecognised", false, [&](Fixture& f) { show(f), toFront(f.hPlain, true); }, false},
    };
    for (const auto& row : rows) {
        Fixture f;
        ::DestroyWindow(f.hDialog);
        f.hDialog = MakeWindow(L"Save As", L"#32770", 0);
        f.bRecognisable = row.bRecognisable;
        CDialogHotkey hotkey;
        Fake::Stand(hotkey);
        BringToFront(f.hPlain);
        ASSERT_TRUE(hotkey.Start(f.hOwner, kCtrlG, &Fixture::IsDialog, &Fixture::Tell, &f));
        Fake::Deliver(EVENT_OBJECT_CREATE, f.hDialog);
        EXPECT_EQ(1, Fake::ThreadHooks()) << row.what;
        row.then(f);
        EXPECT_EQ(row.bHeld, hotkey.IsRegistered()) << row.what;
        EXPECT_EQ(0, Fake::ThreadHooks()) << row.what << ": the hook on its thread is gone";
    }
}

// Wine tells nothing when its item dialog shows; nor does this dialog, whose thread shows it only
// after more than 5 s: it is taken once its thread answers, and no timer runs meanwhile.
TEST(DialogHotkey, ADialogThatShowsLateTellingNothingIsTakenWhenItsThreadAnswers)
{
    Fixture f;
    ::DestroyWindow(f.hDialog);
    std::atomic<HWND> hMade{nullptr};
    DWORD dwThread = 0;
    std::thread thread([&hMade, &dwThread] {
        HWND hDialog = MakeWindow(L"Save As", L"#32770", 0);
        dwThread = ::GetCurrentThreadId();
        hMade = hDialog;
        ::Sleep(5300); // busy, as on a loaded machine
        ::ShowWindow(hDialog, SW_SHOW);
        ::SetForegroundWindow(hDialog);
        MSG msg;
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
            ::DispatchMessageW(&msg);
        ::DestroyWindow(hDialog);
    });
    while ((f.hDialog = hMade) == nullptr)
        ::Sleep(10);
    CDialogHotkey hotkey;
    FakeWinEvents::Stand(hotkey);
    BringToFront(f.hPlain);
    ASSERT_TRUE(hotkey.Start(f.hOwner, kCtrlG, &Fixture::IsDialog, &Fixture::Tell, &f));
    FakeWinEvents::Deliver(EVENT_OBJECT_CREATE, f.hDialog);
    int nTimers = 0;
    for (DWORD dwStart = ::GetTickCount(); !hotkey.IsRegistered() && ::GetTickCount() - dwStart < 10000;) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            nTimers += msg.message == WM_TIMER && msg.hwnd == nullptr;
            ::DispatchMessageW(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    EXPECT_TRUE(hotkey.IsRegistered()) << "taken once shown";
    EXPECT_EQ(0, nTimers);
    EXPECT_EQ(0, FakeWinEvents::ThreadHooks()) << "the hook on its thread is gone";

    // Once the system has told a change of the front, it is trusted to tell the next ones.
    FakeWinEvents::Deliver(EVENT_SYSTEM_FOREGROUND, f.hPlain);
    EXPECT_EQ(nullptr, FakeWinEvents::Find(EVENT_OBJECT_CREATE));
    hotkey.Stop();
    for (const FakeWinEvents::Hook& hook : FakeWinEvents::hooks)
        EXPECT_TRUE(hook.bUnhooked) << "event " << hook.dwMin;
    ::PostThreadMessageW(dwThread, WM_QUIT, 0, 0);
    thread.join();
}

// A program that looks whether the key is free holds it for a moment: the key is asked for again
// once, a moment later, and the user is told nothing.
TEST(DialogHotkey, AKeyHeldForAMomentIsAskedForAgainBeforeTheUserIsTold)
{
    Fixture f;
    CDialogHotkey hotkey;
    FakeWinEvents::Stand(hotkey);
    BringToFront(f.hPlain);
    ASSERT_TRUE(hotkey.Start(f.hOwner, kCtrlG, &Fixture::IsDialog, &Fixture::Tell, &f));
    ASSERT_TRUE(::RegisterHotKey(nullptr, 0x4B4B, HotkeyModifiers(kCtrlG), LOBYTE(kCtrlG)));
    ::SetForegroundWindow(f.hDialog);
    FakeWinEvents::Deliver(EVENT_OBJECT_FOCUS, ::GetWindow(f.hDialog, GW_CHILD), OBJID_CLIENT);
    EXPECT_FALSE(hotkey.IsRegistered()) << "refused while the other holds it";
    ::UnregisterHotKey(nullptr, 0x4B4B);
    PumpMessagesFor(600);
    EXPECT_TRUE(hotkey.IsRegistered()) << "asked again";
    EXPECT_TRUE(f.told.empty());
}

// Only a key with Ctrl, Alt or the Windows key is ever held: any other would take a key that
// programs need for typing.
TEST(DialogHotkey, KeysAreNamedAsTheUserReadsThemAndOnlyThoseWithCtrlAltOrWinAreHeld)
{
    struct Row {
        WORD wHotkey;
        const char* pszName;
        UINT modifiers;
        bool bHeld;
    };
    const Row rows[] = {
        {kDefaultDialogHotkey, "Ctrl+G", MOD_CONTROL, true},
        {MAKEWORD('7', HOTKEYF_ALT | HOTKEYF_SHIFT), "Alt+Shift+7", MOD_ALT | MOD_SHIFT, true},
        {MAKEWORD('Q', HOTKEYF_CONTROL | HOTKEYF_ALT | HOTKEYF_SHIFT), "Ctrl+Alt+Shift+Q", MOD_CONTROL | MOD_ALT | MOD_SHIFT, true},
        {MAKEWORD('G', kHotkeyFlagWin), "Win+G", MOD_WIN, true},
        {MAKEWORD('K', HOTKEYF_CONTROL | kHotkeyFlagWin), "Ctrl+Win+K", MOD_CONTROL | MOD_WIN, true},
        {MAKEWORD('B', 0), "B", 0, false},
        {MAKEWORD('B', HOTKEYF_SHIFT), "Shift+B", MOD_SHIFT, false},
        {0, "", 0, false},
    };
    Fixture f;
    BringToFront(f.hDialog);
    for (const Row& row : rows) {
        EXPECT_EQ(row.pszName, HotkeyName(row.wHotkey));
        EXPECT_EQ(row.modifiers, HotkeyModifiers(row.wHotkey)) << row.pszName;
        CDialogHotkey hotkey;
        FakeWinEvents::Stand(hotkey);
        hotkey.Start(f.hOwner, row.wHotkey, &Fixture::IsDialog, &Fixture::Tell, &f);
        EXPECT_EQ(row.bHeld, hotkey.IsRegistered()) << row.pszName << " with a file dialog in front";
    }
    EXPECT_EQ("Ctrl+F5", HotkeyName(MAKEWORD(VK_F5, HOTKEYF_CONTROL)));
}
