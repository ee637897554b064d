// Text at the platform boundary: the program keeps UTF-8 in std::string, the platform's W calls take
// UTF-16. Every conversion between the two goes through here.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// UTF-16 as the W calls take it. A lone surrogate that came from WideToUtf8 comes back as it was.
std::wstring Utf8ToWide(std::string_view utf8);
// UTF-8 of UTF-16 text; a lone surrogate (legal in a file name) is kept, encoded as its own
// three bytes, so that a name read from the platform is written back exactly.
std::string WideToUtf8(std::wstring_view wide);
// The text up to its terminator; "" for null.
std::string WideToUtf8(const wchar_t* pszWide);
// Bytes in a code page (CP_ACP: the system's ANSI code page) as UTF-8.
std::string CodePageToUtf8(std::string_view bytes, UINT codePage);

// Upper case by the platform's Unicode rule (CharUpperBuffW), as the title rules compare.
std::string Utf8Upper(std::string_view utf8);
// A folder's path for comparing with another: upper case, without a trailing backslash (the file
// system ignores letter case, and "C:\x" and "C:\x\" are one folder).
std::string FolderKey(std::string_view folder);
// Characters (UTF-16 units) the platform counts for the text: what EM_LIMITTEXT and MAX_PATH count.
size_t Utf16Length(std::string_view utf8);

// A window's or control's whole text, of any length.
std::string AfxGetWindowText(HWND hWnd);
void AfxSetWindowText(HWND hWnd, const std::string& text);
