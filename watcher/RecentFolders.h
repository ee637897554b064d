// The folders of the items the platform lists as used lately (its Recent folder), read when a menu
// opens, never in the background.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The menus list no more than this many recent folders.
constexpr int kRecentFoldersMax = 8;

// The folder a shortcut's target gives: itself when it is a folder, else the folder it lies in;
// empty for a target without a file-system path. Ends in a backslash.
std::string RecentItemFolder(const std::string& target, DWORD dwAttributes);

// Up to nMax folders, newest first by the shortcut's last write, each once and none of listedAbove
// (letter case aside). Shortcuts are read and never resolved (no search for moved targets, no
// network access); a folder on a local fixed disk that is gone is left out, any other is listed
// unprobed. Reads only as many shortcuts as it needs, on a thread of its own waited for up to
// dwTimeout (answering what other threads send meanwhile); what was found by then is given. While
// an earlier read is still held so, this gives none. An empty recentFolder is the platform's own.
std::vector<std::string> ReadRecentFolders(const std::vector<std::string>& listedAbove, int nMax, DWORD dwTimeout,
                                           const std::wstring& recentFolder = std::wstring());
