// Recognition of a save dialog from a window's title, class name and owner title.
#pragma once

#include "app/OsGate.h"

#include <string_view>

// File-name control ids the recogniser answers with.
constexpr int kCtrlNotFound = -1;
constexpr int kCtrlClassicEdit = 0x480;    // 1152, edt1 of the classic common file dialog
constexpr int kCtrlExplorerCombo = 0x47C;  // 1148, cmb13 of the Explorer-style dialog
constexpr int kCtrlBosaNT4 = 0x27;         // 39
constexpr int kCtrlBosaWin2000 = 0x30;     // 48

// The two rule sets; each works on upper-cased copies and leaves the given texts alone.
int MatchNT4Dialog(std::string_view title, std::string_view className);
int MatchWin2000Dialog(std::string_view title, std::string_view className, std::string_view ownerTitle);
// The rule set of the given system class.
int MatchDialog(OSClass osClass, std::string_view title, std::string_view className, std::string_view ownerTitle);
