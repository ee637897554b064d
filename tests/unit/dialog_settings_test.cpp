// The dialog settings in the real registry.
#include "tests/support/RegistryDump.h"
#include "tests/support/TestApp.h"
#include "watcher/DialogHotkey.h"
#include "watcher/DialogSettings.h"

#include <gtest/gtest.h>

TEST(DialogSettings, DefaultsThenWhatWasWrittenAsDecimalIntegers)
{
    ScratchRegistryRoot scratch;
    DialogSettings settings = ReadDialogSettings(scratch.Key());
    EXPECT_EQ(kDefaultDialogHotkey, settings.wHotkey) << "Ctrl+G";
    EXPECT_TRUE(settings.bListOpenFolders);
    EXPECT_TRUE(settings.bGoToFolder);
    EXPECT_TRUE(settings.bListRecentFolders);
    EXPECT_FALSE(settings.bFollowFileManager) << "a dialog moved by itself only when asked for";

    ASSERT_TRUE(WriteDialogSettings(scratch.Key(), {MAKEWORD(VK_F5, HOTKEYF_ALT), FALSE, FALSE, FALSE, TRUE}));
    EXPECT_EQ(DumpKeyTree(HKEY_CURRENT_USER, scratch.Path()),
              (std::vector<std::string>{"Dialog\\", "Dialog:<FollowFileManager>=<1>", "Dialog:<GoToFolder>=<0>",
                                        "Dialog:<Hotkey>=<1140>", "Dialog:<ListOpenFolders>=<0>",
                                        "Dialog:<ListRecentFolders>=<0>"}));
    settings = ReadDialogSettings(scratch.Key());
    EXPECT_EQ(MAKEWORD(VK_F5, HOTKEYF_ALT), settings.wHotkey);
    EXPECT_FALSE(settings.bListOpenFolders);
    EXPECT_FALSE(settings.bGoToFolder);
    EXPECT_FALSE(settings.bListRecentFolders);
    EXPECT_TRUE(settings.bFollowFileManager);

    // Switched off is a setting of its own, not a missing one.
    ASSERT_TRUE(WriteDialogSettings(scratch.Key(), {0, TRUE, TRUE, TRUE, FALSE}));
    EXPECT_EQ(0, ReadDialogSettings(scratch.Key()).wHotkey);
}

// A value no hotkey control could have given keeps the default; a key without Ctrl, Alt or the
// Windows key is no hotkey, and is kept to be named to the user.
TEST(DialogSettings, AStoredHotkeyIsTakenOnlyWithCtrlAltOrTheWindowsKey)
{
    const WORD kDefault = kDefaultDialogHotkey;
    const struct {
        int nStored;
        WORD wHotkey, wUnusable;
    } rows[] = {
        {-1, kDefault, 0},     {0x10000, kDefault, 0}, {0x2047, kDefault, 0}, // a flag no control has
        {0x0247, 0x0247, 0},   {0x0447, 0x0447, 0},    {0x1047, 0x1047, 0},   // Ctrl+G, Alt+G, Win+G
        {0x1147, 0x1147, 0},   {0x0A75, 0x0A75, 0},                           // Shift+Win+G, Ctrl+F6
        {0x0047, 0, 0x0047},   {0x0147, 0, 0x0147},    {0x0875, 0, 0x0875},   // G, Shift+G, F6
        {0x0200, 0, 0},        {0, 0, 0},                                     // no key
    };
    for (const auto& row : rows) {
        ScratchRegistryRoot scratch;
        scratch.Key().WriteInt("Dialog", "Hotkey", row.nStored);
        const DialogSettings settings = ReadDialogSettings(scratch.Key());
        EXPECT_EQ(row.wHotkey, settings.wHotkey) << row.nStored;
        EXPECT_EQ(row.wUnusable, settings.wUnusableHotkey) << row.nStored;
    }
}
