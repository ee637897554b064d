// "Start Trovel when Windows starts": the value "Trovel" under the user's Run key, holding the quoted
// path of the running exe. Per user; the setup writes the same value for the user who installs.
#pragma once

#include <windows.h>

#include <string>

extern const char kRunKeyPath[];   // Software\Microsoft\Windows\CurrentVersion\Run, under HKCU
extern const char kRunValueName[]; // "Trovel"

// The long form of a path (GetLongPathNameW), or the path as it is where it cannot be had.
std::string LongPathOf(const std::string& path);
// The Run value's text for an exe: its long path in double quotes.
std::string StartCommandFor(const std::string& exePath);

// Whether the value is there, whatever copy of Trovel it names.
bool StartsWithWindows();
// Writes the value with the running exe's quoted path (on) or removes it (off). A value already
// absent counts as removed. False when the registry refused.
bool SetStartsWithWindows(bool on);
