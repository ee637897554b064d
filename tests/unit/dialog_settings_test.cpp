// The dialog settings in the real registry, and what an open dialog is given.
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

    ASSERT_TRUE(WriteDialogSettings(scratch.Key(), {MAKEWORD(VK_F5, HOTKEYF_ALT), FALSE}));
    EXPECT_EQ(DumpKeyTree(HKEY_CURRENT_USER, scratch.Path()),
              (std::vector<std::string>{"Dialog\\", "Dialog:<Hotkey>=<1140>", "Dialog:<ListOpenFolders>=<0>"}));
    settings = ReadDialogSettings(scratch.Key());
    EXPECT_EQ(MAKEWORD(VK_F5, HOTKEYF_ALT), settings.wHotkey);
    EXPECT_FALSE(settings.bListOpenFolders);

    // Switched off is a setting of its own, not a missing one.
    ASSERT_TRUE(WriteDialogSettings(scratch.Key(), {0, TRUE}));
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

TEST(DialogSettings, AnOpenDialogGetsTheFolderAndOnlyAPatternOfTheTypedText)
{
    const struct {
        const char* pszFolder;
        const char* pszTyped;
        const char* pszExpected;
    } rows[] = {
        {"D:\\Work\\", "", "D:\\Work\\"},
        {"D:\\Work", "", "D:\\Work\\"},
        {"D:\\Work\\", "report.txt", "D:\\Work\\"},
        {"D:\\Work\\", "*.txt", "D:\\Work\\*.txt"},
        {"D:\\Work\\", "rep?rt.*", "D:\\Work\\rep?rt.*"},
        {"D:\\Work\\", "C:\\Old\\*.txt", "D:\\Work\\"}, // a pattern in another folder is not carried over
        {"C:\\", "*.\xe6\x97\xa5", "C:\\*.\xe6\x97\xa5"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.pszExpected, ComposeOpenPath(row.pszFolder, row.pszTyped)) << row.pszTyped;
}
