// The clipboard as the tests see it.
#pragma once

#include <string>

// Its Unicode text as UTF-8; "" when it holds none, "(clipboard busy)" when it cannot be opened.
std::string ClipboardText();
// Leaves it empty.
void EmptyTheClipboard();
