// Where the settings live: the machine key where it can be written, shared by all users; otherwise
// a key of the user's own with the same layout, which starts out with what the user saw until then.
#pragma once

#include "app/RegistryKey.h"

#include <functional>
#include <string>
#include <vector>

// The keys and the file the choice looks at; every path is below its hive.
struct SettingsPlaces {
    HKEY hMachineHive = HKEY_LOCAL_MACHINE;
    std::string strMachinePath;
    REGSAM samMachineView = 0;              // KEY_WOW64_32KEY on 64-bit Windows
    HKEY hUserHive = HKEY_CURRENT_USER;
    std::string strUserPath;
    std::vector<std::string> virtualCopies; // below hUserHive, in the order they are tried
    std::string strFirstRunFile;
    // Called before each value copied into a new user key; false stops the filling there, as a kill
    // would (a seam for tests; empty in the program).
    std::function<bool()> fnFillStep;
};

enum class SettingsSource {
    Machine,                   // the machine key, as it was
    MachineCreated,            // the machine key, made by this start and filled from the first-run file
    User,                      // the user's key from an earlier start
    UserFromVirtualCopy,       // the user's key, made now: their virtualised machine key over the machine key
    UserFromMachine,           // ... the machine key alone, read only
    UserFromFile,              // ... imported from the first-run file
    NowhereToSave,             // reads come from what the user saw before; every write is refused
};

// Points store at the settings of this user and reports where they came from. The machine key and
// the virtualised copies are only ever opened for reading here.
SettingsSource ChooseSettingsStore(const SettingsPlaces& places, CRegistryKey& store);

// The real places for this application name and this program's flavour.
SettingsPlaces DefaultSettingsPlaces(const std::string& appName);

// On 64-bit Windows both flavours keep the machine key in its 32-bit view, where 32-bit installs
// always had it; Windows 2000 rejects the flag, so it is given only there.
REGSAM MachineViewFlags(bool b64BitProgram, bool bOn64BitWindows);
// Whether this 32-bit program runs on 64-bit Windows; IsWow64Process is looked up at run time (absent
// before XP SP2). A test hands in its own function in its place; null means the system has none.
using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
bool RunningOnWow64();
bool RunningOnWow64(IsWow64ProcessFn pfnIsWow64);

// Copies every value (type and data as they are) and every sub-key of hSource into hDest, values over
// those of the same name. fnStep, when given, is asked before each value; false stops the copy.
BOOL CopyKeyTree(HKEY hSource, HKEY hDest, REGSAM samSourceView = 0, const std::function<bool()>& fnStep = {});

// "Software\Larkfield Software\" followed by the application name.
std::string SettingsRootPath(const std::string& appName);
