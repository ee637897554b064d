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

// The small (SM_CXSMICON) image of an icon resource, or null. The caller owns it (DestroyIcon).
HICON AfxLoadSmallIcon(UINT nIDResource);

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
