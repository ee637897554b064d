// The menu at the dialog over real windows and real keys: it opens below the field with the first
// item selected, Enter or Down and Enter pick, and the dialog gets the front and its field back.
#include "fw/TextConv.h"
#include "watcher/DialogMenu.h"

#include "tests/harness/Harness.h"
#include "tests/support/TestApp.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void Key(WORD vk)
{
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = vk;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, in, sizeof(INPUT));
}

// Presses the keys once the menu is up (or clicks into a window), from a thread of its own, and
// notes where the menu showed.
struct KeyPresser {
    std::vector<WORD> keys;
    HWND hClickInto = nullptr;
    RECT rcMenu = {};
    bool bMenuSeen = false;

    static DWORD WINAPI Run(LPVOID pParam)
    {
        auto* pThis = static_cast<KeyPresser*>(pParam);
        HWND hMenu = nullptr;
        for (int i = 0; i < 200 && (hMenu = VisibleMenuOf()) == nullptr; ++i)
            ::Sleep(10);
        if (hMenu == nullptr)
            return 0;
        pThis->bMenuSeen = true;
        ::GetWindowRect(hMenu, &pThis->rcMenu);
        ::Sleep(200);
        if (pThis->hClickInto != nullptr) {
            RECT rc = {};
            ::GetWindowRect(pThis->hClickInto, &rc);
            INPUT in[2] = {};
            in[0].type = in[1].type = INPUT_MOUSE;
            in[0].mi.dx = ((rc.left + rc.right) / 2) * 65535 / ::GetSystemMetrics(SM_CXSCREEN);
            in[0].mi.dy = ((rc.top + rc.bottom) / 2) * 65535 / ::GetSystemMetrics(SM_CYSCREEN);
            in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
            in[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
            ::SendInput(2, in, sizeof(INPUT));
            ::Sleep(150); // as a hand lets go
            in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
            ::SendInput(1, &in[1], sizeof(INPUT));
        }
        for (WORD vk : pThis->keys) {
            Key(vk);
            ::Sleep(100);
        }
        return 0;
    }
};

struct Windows {
    HWND hOwner = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                                    nullptr);
    HWND hDialog = ::CreateWindowExW(0, L"#32770", L"Save As", WS_POPUP | WS_CAPTION | WS_VISIBLE, 100, 80, 400, 200,
                                     nullptr, nullptr, nullptr, nullptr);
    HWND hOther = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 10, 300, 22, hDialog,
                                    (HMENU)1, nullptr, nullptr);
    HWND hField = ::CreateWindowExW(0, L"EDIT", L"C:\\Work\\report.txt", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 60,
                                    300, 22, hDialog, (HMENU)1148, nullptr, nullptr);
    // Another stop after the field, so that the focus can only reach the field by its handle.
    HWND hAfter = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 110, 300, 22, hDialog,
                                    (HMENU)2, nullptr, nullptr);
    ~Windows()
    {
        ::DestroyWindow(hDialog);
        ::DestroyWindow(hOwner);
    }
};

std::vector<MenuRow> Rows()
{
    return {{MenuPick::Favourite, 5000, "Work", "C:\\Work\\"},
            {MenuPick::Separator, 0, "", ""},
            {MenuPick::OpenFolder, 5100, "C:\\Open\\", "C:\\Open\\"}};
}

UINT PickWith(Windows& w, std::vector<WORD> keys, KeyPresser& presser, bool* pbLeftFor = nullptr)
{
    presser.keys = std::move(keys);
    HANDLE hThread = ::CreateThread(nullptr, 0, &KeyPresser::Run, &presser, 0, nullptr);
    UINT nPicked = TrackMenuBesideField(w.hField, Rows(), pbLeftFor);
    ::WaitForSingleObject(hThread, 5000);
    ::CloseHandle(hThread);
    PumpMessagesFor(100);
    return nPicked;
}

} // namespace

TEST(DialogMenu, OpensBelowTheFieldWithTheFirstItemSelectedAndKeysPick)
{
    Windows w;
    RECT rcField;
    ::GetWindowRect(w.hField, &rcField);

    KeyPresser enter;
    EXPECT_EQ(5000u, PickWith(w, {VK_RETURN}, enter)) << "Enter alone picks the first item";
    ASSERT_TRUE(enter.bMenuSeen);
    EXPECT_EQ(rcField.left, enter.rcMenu.left);
    EXPECT_GE(enter.rcMenu.top, rcField.bottom) << "the field stays in sight";

    KeyPresser downEnter;
    EXPECT_EQ(5100u, PickWith(w, {VK_DOWN, VK_RETURN}, downEnter)) << "Down skips the separator";

    KeyPresser escape;
    bool bLeftFor = true;
    EXPECT_EQ(0u, PickWith(w, {VK_ESCAPE}, escape, &bLeftFor));
    EXPECT_FALSE(bLeftFor) << "closed where it was: the dialog gets the front back";
    EXPECT_EQ(0u, TrackMenuBesideField(w.hField, {})) << "nothing to show";

    // A click into another window closes the menu, and that window keeps the front.
    HWND hElsewhere = ::CreateWindowExW(0, L"#32770", L"Notes", WS_POPUP | WS_CAPTION | WS_VISIBLE, 600, 400, 240, 160,
                                        nullptr, nullptr, nullptr, nullptr);
    KeyPresser click;
    click.hClickInto = hElsewhere;
    EXPECT_EQ(0u, PickWith(w, {}, click, &bLeftFor));
    EXPECT_TRUE(bLeftFor);
    EXPECT_EQ(hElsewhere, ::GetForegroundWindow());
    ::DestroyWindow(hElsewhere);
}

TEST(DialogMenu, AMenuNearTheScreensFootOpensAboveTheField)
{
    Windows w;
    const int cyScreen = ::GetSystemMetrics(SM_CYSCREEN);
    ::SetWindowPos(w.hDialog, nullptr, 100, cyScreen - 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    RECT rcField;
    ::GetWindowRect(w.hField, &rcField);
    KeyPresser escape;
    PickWith(w, {VK_ESCAPE}, escape);
    ASSERT_TRUE(escape.bMenuSeen);
    EXPECT_LE(escape.rcMenu.bottom, rcField.top);
}

TEST(DialogMenu, TheDialogGetsTheFrontAndItsFieldBackWithTheCaretAtTheEnd)
{
    Windows w;
    ::SetForegroundWindow(w.hOwner);
    ::SetFocus(w.hOther);
    PumpMessagesFor(100);
    ASSERT_TRUE(ReturnToDialog(w.hDialog, w.hField));
    PumpMessagesFor(100);
    EXPECT_EQ(w.hDialog, ::GetForegroundWindow());
    EXPECT_EQ(w.hField, ::GetFocus());
    DWORD dwStart = 0, dwEnd = 0;
    ::SendMessageW(w.hField, EM_GETSEL, (WPARAM)&dwStart, (LPARAM)&dwEnd);
    const DWORD nLength = (DWORD)::GetWindowTextLengthW(w.hField);
    EXPECT_EQ(nLength, dwStart);
    EXPECT_EQ(nLength, dwEnd);

    HWND hGone = w.hDialog;
    ::DestroyWindow(w.hDialog);
    w.hDialog = nullptr;
    EXPECT_FALSE(ReturnToDialog(hGone, nullptr));
}
