// The scan's candidate rules over real windows: visibility, enabling, minimising, the process, and
// the box over its own disabled dialog.
#include "watcher/ScanCandidates.h"

#include <gtest/gtest.h>

namespace {

// Test windows are this process's own; the rules are asked as another process would ask them.
const DWORD kOtherProcess = ::GetCurrentProcessId() ^ 0x8000;

HWND MakeTopLevel(HWND hOwner, bool bVisible)
{
    return ::CreateWindowExW(0, L"#32770", L"Save As", WS_POPUP | WS_CAPTION | WS_SYSMENU | (bVisible ? WS_VISIBLE : 0),
                             20, 20, 200, 100, hOwner, nullptr, nullptr, nullptr);
}

struct WindowRow {
    const char* pszName;
    bool bVisible, bEnabled, bMinimised, bOwnProcess;
    bool bCandidate;
};

const WindowRow kWindowRows[] = {
    {"visible and enabled", true, true, false, false, true},
    {"hidden", false, true, false, false, false},
    {"disabled", true, false, false, false, false},
    {"minimised", true, true, true, false, false},
    {"this process's own", true, true, false, true, false},
};

struct BoxRow {
    const char* pszName;
    bool bOwnerVisible, bOwnerEnabled, bOwnerMinimised, bBoxVisible;
    bool bOwnerTaken;
};

const BoxRow kBoxRows[] = {
    {"box over its disabled dialog", true, false, false, true, true},
    {"owner still enabled: an ordinary owned window", true, true, false, true, false},
    {"owner hidden", false, false, false, true, false},
    {"owner minimised", true, false, true, true, false},
    {"box hidden", true, false, false, false, false},
};

} // namespace

TEST(ScanCandidates, OnlyVisibleEnabledUnminimisedWindowsOfAnotherProcess)
{
    for (const WindowRow& row : kWindowRows) {
        HWND hWnd = MakeTopLevel(nullptr, row.bVisible);
        ::EnableWindow(hWnd, row.bEnabled);
        if (row.bMinimised)
            ::ShowWindow(hWnd, SW_MINIMIZE);
        DWORD dwAsker = row.bOwnProcess ? ::GetCurrentProcessId() : kOtherProcess;
        EXPECT_EQ(row.bCandidate, IsCandidateWindow(hWnd, dwAsker)) << row.pszName;
        ::DestroyWindow(hWnd);
    }

    // Cloaking cannot be made here; the rule is asked with the state as read.
    CandidateState cloaked;
    cloaked.dwProcessId = kOtherProcess ^ 1;
    cloaked.bVisible = cloaked.bEnabled = true;
    EXPECT_TRUE(IsCandidate(cloaked, kOtherProcess));
    cloaked.bCloaked = true;
    EXPECT_FALSE(IsCandidate(cloaked, kOtherProcess));
}

TEST(ScanCandidates, ABoxStandsForItsDisabledDialogOnlyWhenThatDialogIsInReach)
{
    for (const BoxRow& row : kBoxRows) {
        HWND hOwner = MakeTopLevel(nullptr, row.bOwnerVisible);
        if (row.bOwnerMinimised)
            ::ShowWindow(hOwner, SW_MINIMIZE);
        HWND hBox = MakeTopLevel(hOwner, row.bBoxVisible);
        ::EnableWindow(hOwner, row.bOwnerEnabled);
        EXPECT_EQ(row.bOwnerTaken ? hOwner : nullptr, DisabledOwnerUnderBox(hBox, kOtherProcess)) << row.pszName;
        // The dialog under its box is no candidate by itself: the box is where it is found.
        if (row.bOwnerTaken) {
            EXPECT_FALSE(IsCandidateWindow(hOwner, kOtherProcess)) << row.pszName;
        }
        ::DestroyWindow(hBox);
        ::DestroyWindow(hOwner);
    }
    HWND hAlone = MakeTopLevel(nullptr, true);
    EXPECT_EQ(nullptr, DisabledOwnerUnderBox(hAlone, kOtherProcess));
    ::DestroyWindow(hAlone);
}
