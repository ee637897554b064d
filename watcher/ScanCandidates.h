// Which top-level windows the scan may take for a file dialog, and the box that stands in front of
// its own dialog.
#pragma once

#include <windows.h>

// What the rules ask of a window, read once.
struct CandidateState {
    DWORD dwProcessId = 0;
    bool bVisible = false;
    bool bEnabled = false;
    bool bMinimised = false;
    bool bCloaked = false; // hidden by the window manager (another virtual desktop, a suspended app)
};

CandidateState ReadCandidateState(HWND hWnd);

// A window the user can see and type into, of another process. EnumWindows also gives hidden,
// minimised and cloaked windows: none of those is the dialog the user means.
bool IsCandidate(const CandidateState& state, DWORD dwOwnProcessId);
bool IsCandidateWindow(HWND hWnd, DWORD dwOwnProcessId);

// For a candidate that is a box of its owner's process over that owner, disabled while the box is
// up ("... already exists. Replace it?"): the owner, which is a candidate but for being disabled.
// Null otherwise. A dialog found this way keeps its place in the Z order, ahead of its box.
HWND DisabledOwnerUnderBox(HWND hBox, DWORD dwOwnProcessId);

// Whether the window manager hides the window; false where it cannot say (before Windows 8).
bool IsCloaked(HWND hWnd);
