// Shortcut files as the shell writes them into the Recent folder, made through the shell's own
// shortcut object.
#pragma once

#include <windows.h>

#include <string>

// Writes linkPath (a .lnk) pointing at target (UTF-16), with the target's attributes stored in its
// header as the shell stores them (0: leave what the shell found), and its last write nAgeMinutes
// ago. FALSE when the shell refused.
BOOL MakeShortcut(const std::wstring& linkPath, const std::wstring& target, DWORD dwAttributes, int nAgeMinutes);
// The platform's Recent folder, made when missing; ends in a backslash.
std::wstring RecentFolderPath();
