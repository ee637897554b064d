// Save-dialog recognition: both rule tables, and the choice of rule set by system version.
#include "watcher/Recognizer.h"

#include <gtest/gtest.h>

namespace {

constexpr int kNone = kCtrlNotFound;

TEST(Recognition, EveryRowAndEdgeCaseUnderBothRuleSets)
{
    const struct {
        const char* title;
        const char* className;
        const char* ownerTitle;
        int nt4;
        int win2000;
    } cases[] = {
        // NT 4 row 1 / Windows 2000 row 5: contains "SAVE AS", equals "#32770", no Visio owner.
        {"Save As", "#32770", "", 1152, 1148},
        {"save as", "#32770", "", 1152, 1148},
        {"SAVE AS", "#32770", "untitled - notepad", 1152, 1148},
        {"Document - Save As", "#32770", "", 1152, 1148},
        {"Save Assistant", "#32770", "", 1152, 1148},
        // Windows 2000 row 1 wins over row 4 even with a Visio owner; NT 4 only sees "contains".
        {"Save As...", "#32770", "", 1152, 1148},
        {"save as...", "#32770", "Drawing1 - Visio Professional", 1152, 1148},
        // Windows 2000 row 4: a Visio owner, in any letter case, and a title other than "SAVE AS...".
        {"Save As", "#32770", "Drawing1 - Visio", 1152, 1152},
        {"Save As", "#32770", "visio", 1152, 1152},
        {"Save As... ", "#32770", "VISIO", 1152, 1152},
        // Windows 2000 row 2 only.
        {"Save Web Page", "#32770", "", kNone, 1148},
        {"save web page", "#32770", "Visio", kNone, 1148},
        {"Save Web Page Complete", "#32770", "", kNone, kNone},
        // NT 4 row 2 only.
        {"Save HTML Document", "#32770", "", 1152, kNone},
        {"save html document", "#32770", "Visio", 1152, kNone},
        {"Save HTML Documents", "#32770", "", kNone, kNone},
        // Row 3 of both: the class contains "BOSA_", before any owner rule.
        {"Save As", "bosa_sdm_XL9", "", 39, 48},
        {"Save As", "BOSA_SDM_Microsoft Office Word", "Visio", 39, 48},
        {"Save As...", "bosa_", "", 39, 48},
        {"Save", "bosa_sdm_XL9", "", kNone, kNone},
        {"Save As", "bosa-sdm", "", kNone, kNone},
        // "#32770" must be the whole class name.
        {"Save As", "#32770x", "", kNone, kNone},
        {"Save As", "x#32770", "", kNone, kNone},
        {"Save As...", " #32770", "", kNone, kNone},
        // Neither a dialog class nor "BOSA_".
        {"Save As", "Notepad", "", kNone, kNone},
        {"Save Web Page", "Edit", "", kNone, kNone},
        // Titles that are no save dialog.
        {"Open", "#32770", "", kNone, kNone},
        {"Save  As", "#32770", "", kNone, kNone},
        {"SaveAs", "#32770", "", kNone, kNone},
        // Empty texts fail every test.
        {"", "", "", kNone, kNone},
        {"", "#32770", "Visio", kNone, kNone},
        {"Save As", "", "", kNone, kNone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << '"' << c.title << "\" \"" << c.className << "\" \"" << c.ownerTitle << '"');
        EXPECT_EQ(MatchNT4Dialog(c.title, c.className), c.nt4);
        EXPECT_EQ(MatchWin2000Dialog(c.title, c.className, c.ownerTitle), c.win2000);
        EXPECT_EQ(MatchDialog(OSCLASS_NT4, c.title, c.className, c.ownerTitle), c.nt4);
        EXPECT_EQ(MatchDialog(OSCLASS_WIN2000, c.title, c.className, c.ownerTitle), c.win2000);
    }
}

TEST(Recognition, RuleSetFollowsTheMajorVersion)
{
    const struct {
        DWORD major, minor, build;
        OSClass expected;
    } cases[] = {
        {3, 51, 1057, OSCLASS_NT4},
        {4, 0, 1381, OSCLASS_NT4},
        {4, 90, 0, OSCLASS_NT4},
        {5, 0, 2195, OSCLASS_WIN2000},
        {5, 1, 2600, OSCLASS_WIN2000},
        {6, 1, 7601, OSCLASS_WIN2000},
        {10, 0, 19041, OSCLASS_WIN2000},
    };
    for (const auto& c : cases) {
        OSVERSIONINFOW info = {};
        info.dwOSVersionInfoSize = sizeof(info);
        info.dwPlatformId = VER_PLATFORM_WIN32_NT;
        info.dwMajorVersion = c.major;
        info.dwMinorVersion = c.minor;
        info.dwBuildNumber = c.build;
        EXPECT_EQ(OSClassFromVersion(info), c.expected) << c.major << "." << c.minor << "." << c.build;
    }
}

} // namespace
