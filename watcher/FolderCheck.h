// Whether a favourite's folder is there, asked without letting an unreachable server hold the program.
#pragma once

#include <windows.h>

#include <string>

// How long a folder may take to answer; a network folder whose server has gone can keep the asking
// thread for tens of seconds.
constexpr DWORD kFolderCheckTimeout = 2000; // ms

// TRUE when the folder exists. A folder on anything but a local fixed disk is asked on a thread of its
// own, waited for up to dwTimeout (answering what other threads send meanwhile); a thread that does
// not answer in time ends on its own, unseen, and the folder counts as out of reach.
BOOL FolderReachable(const std::string& folder, DWORD dwTimeout = kFolderCheckTimeout);
// Whether a path lies on a local fixed disk (or a RAM disk), where asking never waits on a server or
// a drive that has to spin up.
bool OnLocalFixedDisk(const std::wstring& path);
