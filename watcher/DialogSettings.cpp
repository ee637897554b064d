// The dialog settings in the store, and what an open dialog is given.
#include "watcher/DialogSettings.h"
#include "app/RegistryKey.h"
#include "watcher/DialogHotkey.h"

namespace {
const char kDialogKey[] = "Dialog";
const char kHotkeyValue[] = "Hotkey";
const char kListValue[] = "ListOpenFolders";
const char kGoToFolderValue[] = "GoToFolder";
constexpr int kHotkeyFlagsKnown = HOTKEYF_SHIFT | HOTKEYF_CONTROL | HOTKEYF_ALT | HOTKEYF_EXT | kHotkeyFlagWin;
}

DialogSettings DefaultDialogSettings()
{
    return {kDefaultDialogHotkey, TRUE, TRUE};
}

DialogSettings ReadDialogSettings(const CRegistryKey& reg)
{
    DialogSettings settings = DefaultDialogSettings();
    const int nHotkey = reg.ReadInt(kDialogKey, kHotkeyValue, settings.wHotkey);
    // A value no hotkey control could have given is not a key: the default stands.
    if (nHotkey >= 0 && nHotkey <= 0xFFFF && (HIBYTE(nHotkey) & ~kHotkeyFlagsKnown) == 0)
        settings.wHotkey = (WORD)nHotkey;
    if (settings.wHotkey != 0 && !HotkeyIsUsable(settings.wHotkey)) {
        settings.wUnusableHotkey = LOBYTE(settings.wHotkey) != 0 ? settings.wHotkey : 0; // no key, nothing to name
        settings.wHotkey = 0;
    }
    settings.bListOpenFolders = reg.ReadInt(kDialogKey, kListValue, 1) != 0;
    settings.bGoToFolder = reg.ReadInt(kDialogKey, kGoToFolderValue, 1) != 0;
    return settings;
}

BOOL WriteDialogSettings(const CRegistryKey& reg, const DialogSettings& settings, const DialogSettings* pShown)
{
    const struct { const char* pszName; int nValue, nShown; } values[] = {
        {kHotkeyValue, settings.wHotkey, pShown != nullptr ? pShown->wHotkey : -1},
        {kListValue, settings.bListOpenFolders ? 1 : 0, pShown != nullptr ? (pShown->bListOpenFolders ? 1 : 0) : -1},
        {kGoToFolderValue, settings.bGoToFolder ? 1 : 0, pShown != nullptr ? (pShown->bGoToFolder ? 1 : 0) : -1},
    };
    BOOL ok = TRUE;
    for (const auto& value : values)
        if (value.nValue != value.nShown)
            ok &= reg.UpdateInt(kDialogKey, value.pszName, value.nValue);
    return ok;
}
