// Common includes and the few global helpers of the framework layer.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <string>

#include "fw/TextConv.h"

class CWinApp;
class CWnd;

// The one application object of the process (registered by its constructor).
CWinApp* AfxGetApp();
// The application's main window, or null before it exists and after it is destroyed.
CWnd* AfxGetMainWnd();
// Module that holds the resources: the executable itself.
HINSTANCE AfxGetResourceHandle();

// A message box with the platform's W call.
int AfxMessageBox(HWND hOwner, const std::string& text, const std::string& caption, UINT uType);

// Loads a string resource; empty when it is missing.
std::string AfxLoadString(UINT nID);

// The small image of an icon resource, or null; the caller owns it (DestroyIcon). dpi 0: at the
// current small-icon size (LoadIconMetric where comctl32 has it, else LoadImage at SM_CXSMICON);
// otherwise at the small-icon size of that DPI, as after WM_DPICHANGED.
HICON AfxLoadSmallIcon(UINT nIDResource, UINT dpi = 0);
// The small-icon width for a DPI (0: the current one), as the system sizes it.
int AfxSmallIconSize(UINT dpi = 0);
// The top-level window a child belongs to (GetAncestor is missing on NT 4.0); itself when it is one.
HWND AfxTopLevelOf(HWND hWnd);
// The work area of the monitor the window is on (the nearest), or of the primary one where the
// system has no monitor functions (NT 4.0). FALSE when neither can be had.
BOOL AfxWorkAreaOf(HWND hWnd, RECT* prcWork);
// Moves a top-level window wholly inside the work area of the monitor it is on (the nearest),
// or of the primary one where the system has no monitor functions. A window larger than the
// work area keeps its top left corner inside.
void AfxKeepInsideWorkArea(HWND hWnd);
// The colour depth flag for an image list of 32-bit icons: ILC_COLOR32 from comctl32 4.70 on
// (version 6 draws their alpha), ILC_COLOR8 for NT 4.0's own comctl32.
UINT AfxImageListColour();

// A function of a system library that not every Windows the program loads on has, or null. The
// library is loaded when the process does not have it yet, and stays for the process's life.
FARPROC AfxGetSystemProc(const char* pszModule, const char* pszName);
template <typename Fn>
Fn AfxGetSystemProc(const char* pszModule, const char* pszName)
{
    return reinterpret_cast<Fn>(AfxGetSystemProc(pszModule, pszName));
}

// Diagnostic texts go here; the program keeps no diagnostic log, so it writes nothing.
inline void AfxTrace(const char*, ...) {}
