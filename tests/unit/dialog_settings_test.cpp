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

    ASSERT_TRUE(WriteDialogSettings(scratch.Key(), {MAKEWORD(VK_F5, HOTKEYF_ALT), FALSE, FALSE}));
    EXPECT_EQ(DumpKeyTree(HKEY_CURRENT_USER, scratch.Path()),
              (std::vector<std::string>{"Dialog\\", "Dialog:<GoToFolder>=<0>", "Dialog:<Hotkey>=<1140>",
                                        "Dialog:<ListOpenFolders>=<0>"}));
    settings = ReadDialogSettings(scratch.Key());
    EXPECT_EQ(MAKEWORD(VK_F5, HOTKEYF_ALT), settings.wHotkey);
    EXPECT_FALSE(settings.bListOpenFolders);
    EXPECT_FALSE(settings.bGoToFolder);

    // Switched off is a setting of its own, not a missing one.
    ASSERT_TRUE(WriteDialogSettings(scratch.Key(), {0, TRUE, TRUE}));
    EXPECT_EQ(0, ReadDialogSettings(scratch.Key()).wHotkey);
}

TEST(DialogSettings, AStoredHotkeyNoControlCouldGiveKeepsTheDefault)
{
    for (int nStored : {-1, 0x10000, 0x1047 /* a flag the control has not */}) {
        ScratchRegistryRoot scratch;
        scratch.Key().WriteInt("Dialog", "Hotkey", nStored);
        EXPECT_EQ(kDefaultDialogHotkey, ReadDialogSettings(scratch.Key()).wHotkey) << nStored;
    }
}
