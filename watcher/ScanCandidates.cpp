// The candidate rules of the scan.
#include "watcher/ScanCandidates.h"
#include "fw/Afx.h"

namespace {
constexpr DWORD kDwmCloaked = 14; // DWMWA_CLOAKED, Windows 8 and later
using DwmGetWindowAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);
}

bool IsCloaked(HWND hWnd)
{
    // Looked up once: the scan asks this of every window.
    static const DwmGetWindowAttributeFn pfnGet =
        AfxGetSystemProc<DwmGetWindowAttributeFn>("dwmapi.dll", "DwmGetWindowAttribute");
    DWORD dwCloaked = 0;
    return pfnGet != nullptr && SUCCEEDED(pfnGet(hWnd, kDwmCloaked, &dwCloaked, sizeof(dwCloaked))) && dwCloaked != 0;
}

CandidateState ReadCandidateState(HWND hWnd)
{
    CandidateState state;
    ::GetWindowThreadProcessId(hWnd, &state.dwProcessId);
    state.bVisible = ::IsWindowVisible(hWnd) != FALSE;
    state.bEnabled = ::IsWindowEnabled(hWnd) != FALSE;
    state.bMinimised = ::IsIconic(hWnd) != FALSE;
    // The window manager is asked only about a window that passes the rest.
    state.bCloaked = state.bVisible && !state.bMinimised && IsCloaked(hWnd);
    return state;
}

bool IsCandidate(const CandidateState& state, DWORD dwOwnProcessId)
{
    return state.dwProcessId != dwOwnProcessId && state.bVisible && state.bEnabled && !state.bMinimised &&
           !state.bCloaked;
}

bool IsCandidateWindow(HWND hWnd, DWORD dwOwnProcessId)
{
    return IsCandidate(ReadCandidateState(hWnd), dwOwnProcessId);
}

HWND DisabledOwnerUnderBox(HWND hBox, DWORD dwOwnProcessId)
{
    HWND hOwner = ::GetWindow(hBox, GW_OWNER);
    if (hOwner == nullptr)
        return nullptr;
    CandidateState box = ReadCandidateState(hBox);
    CandidateState owner = ReadCandidateState(hOwner);
    if (!IsCandidate(box, dwOwnProcessId) || owner.bEnabled || owner.dwProcessId != box.dwProcessId)
        return nullptr;
    owner.bEnabled = true; // disabled by its box, and otherwise in reach
    return IsCandidate(owner, dwOwnProcessId) ? hOwner : nullptr;
}
