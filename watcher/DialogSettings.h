// The settings of the file dialog's hotkey and menu, stored as integers under the program's root
// key, sub-key "Dialog".
#pragma once

#include <windows.h>

class CRegistryKey;

struct DialogSettings {
    WORD wHotkey;          // hotkey control value (kHotkeyFlagWin for the Windows key); 0: no hotkey
    BOOL bListOpenFolders; // the menus list the folders open in Explorer
    BOOL bGoToFolder;      // a pick at the dialog takes it to the folder and keeps the typed name
    BOOL bListRecentFolders; // the menus list the folders of the items used recently
    BOOL bFollowFileManager; // a switch from a file manager to a file dialog takes it to that folder
    WORD wUnusableHotkey = 0; // a stored key without Ctrl, Alt or the Windows key, read as no hotkey
};

DialogSettings DefaultDialogSettings();
// Each value falls back to its default when missing or not a valid value; a key without Ctrl, Alt or
// the Windows key is no hotkey.
DialogSettings ReadDialogSettings(const CRegistryKey& reg);
// With pShown, only the values that differ from it are written, each only where the store reads
// otherwise, so a value nobody changed keeps its type and a missing one stays missing.
BOOL WriteDialogSettings(const CRegistryKey& reg, const DialogSettings& settings, const DialogSettings* pShown = nullptr);
