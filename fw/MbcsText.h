// Byte strings in an ANSI code page, walked character by character: in double-byte code pages the
// trail byte of many characters is an ASCII value (0x5C, the backslash, ends 表 in code page 932).
#pragma once

#include <windows.h>

#include <string>

// Bytes of the character that starts at pos: 1, 2 in a double-byte code page, up to 4 in UTF-8;
// never past the end of the text.
size_t MbcsCharLength(const std::string& text, size_t pos, UINT codePage = CP_ACP);
// Position of the last character that is the ASCII byte ch, or npos.
size_t MbcsFindLast(const std::string& text, char ch, UINT codePage = CP_ACP);
// Whether the last character is the ASCII byte ch.
bool MbcsEndsWith(const std::string& text, char ch, UINT codePage = CP_ACP);
// The longest start of the text that has at most maxBytes bytes and ends on a character boundary.
std::string MbcsLeft(const std::string& text, size_t maxBytes, UINT codePage = CP_ACP);
