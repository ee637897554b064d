// The settings of the file dialog's hotkey and menu, stored as integers under the program's root
// key, sub-key "Dialog".
#pragma once

#include <windows.h>

#include <string>

class CRegistryKey;

struct DialogSettings {
    WORD wHotkey;          // hotkey control value (kHotkeyFlagWin for the Windows key); 0: no hotkey
    BOOL bListOpenFolders; // the menus list the folders open in Explorer
    WORD wUnusableHotkey = 0; // a stored key without Ctrl, Alt or the Windows key, read as no hotkey
};

DialogSettings DefaultDialogSettings();
// Each value falls back to its default when missing or not a valid value; a key without Ctrl, Alt or
// the Windows key is no hotkey.
DialogSettings ReadDialogSettings(const CRegistryKey& reg);
BOOL WriteDialogSettings(const CRegistryKey& reg, const DialogSettings& settings);

// The text a pick puts into an open dialog: the folder with its backslash, and the typed text
// only when it is a pattern of names ("*.txt"), which the dialog then applies in that folder.
std::string ComposeOpenPath(const std::string& folder, const std::string& typedText);
