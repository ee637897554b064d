// The recent items' folders from real shortcuts: newest first, a file's folder, each once, those gone
// or listed above left out, a share listed without being asked.
#include "fw/TextConv.h"
#include "tests/support/Shortcuts.h"
#include "watcher/RecentFolders.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::wstring TempPath(const std::wstring& name)
{
    wchar_t szTemp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, szTemp);
    return std::wstring(szTemp) + name;
}

void MakeFile(const std::wstring& path)
{
    ::CloseHandle(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
}

} // namespace

TEST(RecentFolders, AShortcutGivesItsFolderOrItsFilesFolder)
{
    const struct {
        const char* pszTarget;
        DWORD dwAttributes;
        const char* pszFolder;
    } cases[] = {
        {"C:\\Work", FILE_ATTRIBUTE_DIRECTORY, "C:\\Work\\"},
        {"C:\\Work\\", FILE_ATTRIBUTE_DIRECTORY, "C:\\Work\\"},
        {"C:\\Work\\a.txt", FILE_ATTRIBUTE_ARCHIVE, "C:\\Work\\"},
        {"C:\\a.txt", 0, "C:\\"},
        {"\\\\server\\share\\docs\\r.txt", FILE_ATTRIBUTE_ARCHIVE, "\\\\server\\share\\docs\\"},
        {"\\\\server\\share", FILE_ATTRIBUTE_DIRECTORY, "\\\\server\\share\\"},
        {"\\\\server\\x.txt", 0, ""},                 // no share, no folder
        {"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", 0, ""}, // a virtual item
        {"", FILE_ATTRIBUTE_DIRECTORY, ""},
        {"\xe6\x97\xa5\xe6\x9c\xac:\\x", 0, ""},       // no drive letter
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.pszFolder, RecentItemFolder(c.pszTarget, c.dwAttributes)) << c.pszTarget;
}

TEST(RecentFolders, NewestFirstEachOnceAndOnlyWhereTheUserCanGo)
{
    const std::wstring recent = TempPath(L"trovel-recent\\");
    const std::wstring base = TempPath(L"trovel-recent-targets\\");
    ::CreateDirectoryW(recent.c_str(), nullptr);
    ::CreateDirectoryW(base.c_str(), nullptr);
    const std::wstring names[] = {L"Alpha", L"Beta \u0416", L"Gamma", L"Listed", L"Old1", L"Old2", L"Old3", L"Gone"};
    for (const std::wstring& name : names)
        ::CreateDirectoryW((base + name).c_str(), nullptr);
    MakeFile(base + L"Beta \u0416\\b.txt");
    MakeFile(base + L"Alpha\\a.txt");
    const std::string b = WideToUtf8(base);

    const struct {
        const wchar_t* pszLink;
        std::wstring target;
        DWORD dwAttributes;
        int nAge; // minutes
    } links[] = {
        {L"gone.lnk", base + L"Gone", FILE_ATTRIBUTE_DIRECTORY, 1},           // a folder deleted since
        {L"beta.lnk", base + L"Beta \u0416\\b.txt", 0, 2},                    // a file: its folder
        {L"alpha.lnk", base + L"Alpha", 0, 3},                                // a folder
        {L"alpha-file.lnk", base + L"Alpha\\a.txt", 0, 4},                    // the same folder again
        {L"listed.lnk", base + L"Listed", 0, 5},                              // a favourite already
        {L"share.lnk", L"\\\\trovel-nowhere\\share\\docs\\r.txt", FILE_ATTRIBUTE_ARCHIVE, 6}, // not asked
        {L"moved.lnk", base + L"Gamma\\moved.txt", FILE_ATTRIBUTE_ARCHIVE, 7}, // its file gone, its folder here
        {L"old1.lnk", base + L"Old1", 0, 8},
        {L"old2.lnk", base + L"Old2", 0, 9},
        {L"old3.lnk", base + L"Old3", 0, 10},
    };
    for (const auto& link : links)
        ASSERT_TRUE(MakeShortcut(recent + link.pszLink, link.target, link.dwAttributes, link.nAge)) << link.pszLink;
    ::RemoveDirectoryW((base + L"Gone").c_str());

    const std::vector<std::string> above = {b + "listed"}; // letter case aside, without its backslash
    const std::vector<std::string> expected = {b + "Beta \xd0\x96\\", b + "Alpha\\", "\\\\trovel-nowhere\\share\\docs\\",
                                               b + "Gamma\\", b + "Old1\\"};
    EXPECT_EQ(expected, ReadRecentFolders(above, 5, 5000, recent));
    const std::vector<std::string> all = ReadRecentFolders(above, 8, 5000, recent);
    ASSERT_EQ(7u, all.size());
    EXPECT_EQ(b + "Old3\\", all.back());
    EXPECT_TRUE(ReadRecentFolders(above, 0, 5000, recent).empty());
    EXPECT_TRUE(ReadRecentFolders(above, 8, 5000, TempPath(L"trovel-no-such-recent")).empty());

    for (const auto& link : links)
        ::DeleteFileW((recent + link.pszLink).c_str());
    ::DeleteFileW((base + L"Beta \u0416\\b.txt").c_str());
    ::DeleteFileW((base + L"Alpha\\a.txt").c_str());
    for (const std::wstring& name : names)
        ::RemoveDirectoryW((base + name).c_str());
    ::RemoveDirectoryW(base.c_str());
    ::RemoveDirectoryW(recent.c_str());
}
