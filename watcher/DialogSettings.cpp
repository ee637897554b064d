// The dialog settings in the store, and what an open dialog is given.
#include "watcher/DialogSettings.h"
#include "app/RegistryKey.h"
#include "watcher/DialogHotkey.h"

namespace {
const char kDialogKey[] = "Dialog";
const char kHotkeyValue[] = "Hotkey";
const char kListValue[] = "ListOpenFolders";
constexpr int kHotkeyFlagsKnown = HOTKEYF_SHIFT | HOTKEYF_CONTROL | HOTKEYF_ALT | HOTKEYF_EXT | kHotkeyFlagWin;
}

DialogSettings DefaultDialogSettings()
{
    return {kDefaultDialogHotkey, TRUE};
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
    return settings;
}

BOOL WriteDialogSettings(const CRegistryKey& reg, const DialogSettings& settings)
{
    BOOL ok = reg.WriteInt(kDialogKey, kHotkeyValue, settings.wHotkey);
    ok &= reg.WriteInt(kDialogKey, kListValue, settings.bListOpenFolders ? 1 : 0);
    return ok;
}

std::string ComposeOpenPath(const std::string& folder, const std::string& typedText)
{
    std::string path = folder;
    if (path.empty() || path.back() != '\\') // UTF-8 never has 0x5C inside a character
        path += '\\';
    if (typedText.find_first_of("*?") != std::string::npos && typedText.find('\\') == std::string::npos)
        path += typedText;
    return path;
}
