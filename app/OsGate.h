// The operating-system gate: the program runs on the Windows NT family only.
#pragma once

#include <windows.h>

enum OSClass { OSCLASS_NT4, OSCLASS_WIN2000 };

// TRUE exactly for the NT platform id; a failed version query counts as platform 0 and fails.
BOOL PassesOsGate(BOOL bQueried, const OSVERSIONINFOW& info);
// Rule set for dialog recognition: major version 4 or lower, or 5 and higher.
OSClass OSClassFromVersion(const OSVERSIONINFOW& info);
// Fills the record with the running system's version; FALSE when the query fails.
BOOL QueryOsVersion(OSVERSIONINFOW& info);
