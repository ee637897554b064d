// The dialog settings in the store, and what an open dialog is given.
#include "watcher/DialogSettings.h"
#include "app/RegistryKey.h"
#include "watcher/DialogHotkey.h"

namespace {
const char kDialogKey[] = "Dialog";
const char kHotkeyValue[] = "Hotkey";
const char kListValue[] = "ListOpenFolders";
const char kGoToFolderValue[] = "GoToFolder";
const char kRecentValue[] = "ListRecentFolders";
const char kFollowValue[] = "FollowFileManager";
constexpr int kHotkeyFlagsKnown = HOTKEYF_SHIFT | HOTKEYF_CONTROL | HOTKEYF_ALT | HOTKEYF_EXT | kHotkeyFlagWin;
}

DialogSettings DefaultDialogSettings()
{
    return {kDefaultDialogHotkey, TRUE, TRUE, TRUE, FALSE};
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
    settings.bListRecentFolders = reg.ReadInt(kDialogKey, kRecentValue, 1) != 0;
    settings.bFollowFileManager = reg.ReadInt(kDialogKey, kFollowValue, 0) != 0;
    return settings;
}

BOOL WriteDialogSettings(const CRegistryKey& reg, const DialogSettings& settings, const DialogSettings* pShown)
{
    const auto shown = [pShown](BOOL DialogSettings::*pb) { return pShown != nullptr ? (pShown->*pb ? 1 : 0) : -1; };
    const struct { const char* pszName; int nValue, nShown; } values[] = {
        {kHotkeyValue, settings.wHotkey, pShown != nullptr ? pShown->wHotkey : -1},
        {kListValue, settings.bListOpenFolders ? 1 : 0, shown(&DialogSettings::bListOpenFolders)},
        {kGoToFolderValue, settings.bGoToFolder ? 1 : 0, shown(&DialogSettings::bGoToFolder)},
        {kRecentValue, settings.bListRecentFolders ? 1 : 0, shown(&DialogSettings::bListRecentFolders)},
        {kFollowValue, settings.bFollowFileManager ? 1 : 0, shown(&DialogSettings::bFollowFileManager)},
    };
    BOOL ok = TRUE;
    for (const auto& value : values)
        if (value.nValue != value.nShown)
            ok &= reg.UpdateInt(kDialogKey, value.pszName, value.nValue);
    return ok;
}
