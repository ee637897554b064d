// The folders open in Explorer windows and tabs, read when a menu opens, never in the background.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct IShellWindows;

// The menus list no more than this many open folders.
constexpr int kOpenFoldersMax = 10;

// Hands the shell's window list to the thread that walks it: S_OK and a pointer the caller releases.
// Called on that thread, inside its own (multithreaded) apartment.
using ShellWindowsSource = HRESULT (*)(void* pContext, IShellWindows** ppWindows);
// The shell's own list (CLSID_ShellWindows).
HRESULT CreateShellWindows(void* pContext, IShellWindows** ppWindows);

// One window or tab of the shell's list that shows a file-system folder.
struct OpenFolder {
    std::string strPath;       // UTF-8, ending in a backslash
    HWND hFrame = nullptr;     // its top-level window
    bool bShownTab = false;    // its view is the one shown in that window (the selected tab)
    int nIndex = 0;            // its place in the shell's list
    int nZOrder = 0;           // its top-level window's place from the top; windows not found go last
};

// Front-most window first, in a window its shown tab first, then the shell's order; each folder once
// (letter case aside), at most nMax.
std::vector<std::string> OrderOpenFolders(std::vector<OpenFolder> found, int nMax);

// Walks the list on threads of its own, since every call crosses into Explorer: an entry that does
// not answer within a quarter of dwTimeout is passed by (another thread takes the entries after it),
// and whatever has not answered within dwTimeout is left out, so a hung Explorer costs at most that;
// the threads it holds end unseen when it answers. While an earlier walk is still held so, this
// gives none and starts no thread. While waiting, messages sent to this thread are
// answered. A list that cannot count its windows (Wine answers E_NOTIMPL) gives none, and says so
// in *pbCannotCount: it never will, so the caller need not ask again. Every folder found comes with
// its window and place, unordered (OrderOpenFolders puts them in the menus' order).
std::vector<OpenFolder> ReadOpenWindows(ShellWindowsSource source, void* pContext, DWORD dwTimeout,
                                        bool* pbCannotCount = nullptr);
// The folder a top-level window shows: its shown tab's, or empty when the walk found none of it.
std::string ShownFolderOf(const std::vector<OpenFolder>& found, HWND hFrame);
