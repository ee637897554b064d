// Composing the pasted path and talking to another program's file-name control with a bounded wait.
#pragma once

#include <windows.h>

#include <string>

// How long to wait for another program's control to answer. A file-name field answers at once;
// a thread that cannot answer in this time is taken as hung, and the paste fails.
constexpr UINT kForeignReplyTimeout = 2000; // ms

// The folder with one backslash at its end, unless it already ends in one.
std::string FolderWithBackslash(const std::string& folder);

// The control's whole text: its length asked first, then read, and read again while it keeps changing
// meanwhile. FALSE when the control's thread did not answer in time or is hung.
BOOL ReadForeignText(HWND hCtrl, std::string& text);
// WM_SETTEXT of the whole text; FALSE when the control's thread did not answer in time or is hung.
BOOL WriteForeignText(HWND hCtrl, const std::string& text);
// Selects all of an edit's text and replaces it, so the edit tells its parent what typing would tell.
BOOL ReplaceForeignText(HWND hEdit, const std::string& text);
// A FALSE result above leaves the platform's reason as the last error: ERROR_ACCESS_DENIED when the
// system blocked the message (a target of higher integrity), ERROR_TIMEOUT when it did not answer.
