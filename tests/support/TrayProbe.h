// The notification area as the tests see it: whether the shell knows an icon, a placeholder icon,
// and the items of a menu.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Asks the shell whether it knows the icon of that window and id, changing nothing about it.
bool TrayKnowsIcon(HWND hWnd, UINT uID);

// Puts a placeholder icon of the test program in the notification area for the rest of the process.
// With no window manager, each time the tray empties the display driver waits two seconds for its
// window to be withdrawn, and the removing call waits with it; while this icon stays, it never empties.
void KeepTrayShown();

// One line per menu item: "-" for a separator, else "text #id" (UTF-8), with " (default)" for the
// bold one.
std::vector<std::string> DescribeMenu(HMENU hMenu);
