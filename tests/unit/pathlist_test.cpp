// The path list and the dialog table in their registry form.
#include "paths/PathList.h"
#include "app/RegistryKey.h"
#include "prefs/FolderTree.h"
#include "tray/MenuRows.h"
#include "tests/support/RegistryDump.h"
#include "tests/support/TestApp.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <optional>

namespace {

using Value = std::optional<std::string>;
struct Row { Value text1, text2, id; };

// Stores rows as the program would have: "P%d"/"SN%d"/"ID%d" or "WT%d"/"CN%d"/"ID%d".
// An empty optional leaves that value out.
void StoreRows(ScratchRegistryRoot& scratch, const char* pszKey, const char* pszPrefix1, const char* pszPrefix2,
               const std::vector<Row>& rows)
{
    for (size_t i = 0; i < rows.size(); ++i) {
        const std::pair<const char*, const Value*> values[] = {
            {pszPrefix1, &rows[i].text1}, {pszPrefix2, &rows[i].text2}, {"ID", &rows[i].id}};
        for (const auto& v : values) {
            if (!v.second->has_value())
                continue;
            char name[16];
            std::snprintf(name, sizeof(name), "%s%d", v.first, (int)i);
            ASSERT_TRUE(WriteRawValue(HKEY_CURRENT_USER, scratch.Path() + "\\" + pszKey, name, **v.second + '\0'));
        }
    }
}

std::vector<std::string> Describe(const CPathList& list)
{
    std::vector<std::string> out;
    for (const auto& e : list)
        out.push_back(e->strPath + "|" + e->strName + "|" + std::to_string(e->nID));
    return out;
}

std::vector<std::string> Describe(const CDialogList& list)
{
    std::vector<std::string> out;
    for (const auto& e : list)
        out.push_back(e->strTitle + "|" + e->strClass + "|" + std::to_string(e->nID));
    return out;
}

CPathList MakePaths(int count)
{
    CPathList list;
    for (int i = 0; i < count; ++i) {
        std::string n = std::to_string(i);
        list.push_back(std::make_unique<PathEntry>(PathEntry{"C:\\F" + n + "\\", "N" + n, 5000 + i}));
    }
    return list;
}

TEST(PathLists, FirstSaveOfEmptyListsWritesOnlyTheTerminatorRows)
{
    ScratchRegistryRoot scratch;
    CDialogList dialogs;
    CPathList paths;
    LoadPathLists(scratch.Key(), dialogs, paths);
    EXPECT_TRUE(dialogs.empty());
    EXPECT_TRUE(paths.empty());
    SavePathLists(scratch.Key(), dialogs, paths);
    EXPECT_EQ(DumpKeyTree(HKEY_CURRENT_USER, scratch.Path()),
              (std::vector<std::string>{"PathList\\", "PathList:<ID0>=<0>", "PathList:<P0>=<>", "PathList:<SN0>=<>",
                                        "PtrList\\", "PtrList:<CN0>=<>", "PtrList:<ID0>=<0>", "PtrList:<WT0>=<>"}));
}

TEST(PathLists, ShorterListEndsAtItsTerminatorAndLeavesOldRowsUnread)
{
    ScratchRegistryRoot scratch;
    CDialogList noDialogs;
    SavePathLists(scratch.Key(), noDialogs, MakePaths(6));
    CPathList four = MakePaths(4);
    four[1]->strName = "Renamed";
    SavePathLists(scratch.Key(), noDialogs, four);

    std::vector<std::string> pathValues;
    for (const std::string& entry : DumpKeyTree(HKEY_CURRENT_USER, scratch.Path()))
        if (entry.compare(0, 9, "PathList:") == 0)
            pathValues.push_back(entry.substr(9));
    // Row 4 is the new terminator; rows 5 and 6 (the old terminator) stay as the longer list left them.
    EXPECT_EQ(pathValues, (std::vector<std::string>{
                              "<ID0>=<5000>", "<ID1>=<5001>", "<ID2>=<5002>", "<ID3>=<5003>", "<ID4>=<0>",
                              "<ID5>=<5005>", "<ID6>=<0>", "<P0>=<C:\\F0\\>", "<P1>=<C:\\F1\\>", "<P2>=<C:\\F2\\>",
                              "<P3>=<C:\\F3\\>", "<P4>=<>", "<P5>=<C:\\F5\\>", "<P6>=<>", "<SN0>=<N0>",
                              "<SN1>=<Renamed>", "<SN2>=<N2>", "<SN3>=<N3>", "<SN4>=<>", "<SN5>=<N5>", "<SN6>=<>"}));

    CDialogList dialogs;
    CPathList loaded;
    LoadPathLists(scratch.Key(), dialogs, loaded);
    EXPECT_EQ(Describe(loaded), Describe(four));
}

TEST(PathLists, PathListEndsAtTheFirstRowWithoutPathOrName)
{
    const struct { const char* label; Row third; size_t expected; std::string name; } cases[] = {
        {"complete row", {"C:\\C\\", "C", "5002"}, 4, "C"},
        {"empty name", {"C:\\C\\", "", "5002"}, 2, ""},
        {"missing name", {"C:\\C\\", {}, "5002"}, 2, ""},
        {"empty path", {"", "C", "5002"}, 2, ""},
        // Read at their stored size: neither ends the list nor loses the favourites after it.
        {"path over 259 characters", {"C:\\" + std::string(257, 'p') + "\\", "C", "5002"}, 4, "C"},
        {"name over 259 bytes", {"C:\\X\\C\\", std::string(300, 'n'), "5002"}, 4, std::string(300, 'n')},
        {"missing id still loads", {"C:\\C\\", "C", {}}, 4, "C"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ScratchRegistryRoot scratch;
        StoreRows(scratch, "PathList", "P", "SN",
                  {{"C:\\A\\", "A", "5000"}, {"C:\\B\\", "B", "5001"}, c.third, {"C:\\D\\", "D", "5003"}});
        CDialogList dialogs;
        CPathList paths;
        LoadPathLists(scratch.Key(), dialogs, paths);
        ASSERT_EQ(paths.size(), c.expected);
        if (c.expected == 4) {
            EXPECT_EQ(paths[2]->strPath, *c.third.text1);
            EXPECT_EQ(paths[2]->nID, 5002); // stored, or the one id left free

            EXPECT_EQ(paths[2]->strName, c.name);
            EXPECT_EQ(paths[3]->strName, "D");
        }
    }
}

TEST(PathLists, SevenEntriesAreAllLoadedGapsKeptAndOnlyTheFirstFiveIdsGiven)
{
    ScratchRegistryRoot scratch;
    StoreRows(scratch, "PathList", "P", "SN",
              {{"C:\\", "Root", "5000"}, {"C:\\B\\", "B", "5002"}, {"C:\\C\\", "C", "5004"}, {"C:\\D\\", "D", "7"},
               {"C:\\E\\", "E", "-1"}, {"C:\\B\\", "B", "5002"}, {"D:\\G\\", "G", "5001"}});
    CDialogList dialogs;
    CPathList paths;
    LoadPathLists(scratch.Key(), dialogs, paths);
    // Unique stored ids stay, gaps included; the one id left goes to the first row needing one; the
    // rest get none (0) and stay out of the menu.
    EXPECT_EQ(Describe(paths), (std::vector<std::string>{"C:\\|Root|5000", "C:\\B\\|B|5002", "C:\\C\\|C|5004",
                                                         "C:\\D\\|D|5003", "C:\\E\\|E|0", "C:\\B\\|B|0",
                                                         "D:\\G\\|G|5001"}));

    SavePathLists(scratch.Key(), dialogs, paths);
    EXPECT_EQ(RawValue(HKEY_CURRENT_USER, scratch.Path() + "\\PathList", "ID3"), std::wstring(L"5003") + L'\0');
    EXPECT_EQ(RawValue(HKEY_CURRENT_USER, scratch.Path() + "\\PathList", "ID4"), std::wstring(L"-1") + L'\0');
    CPathList again;
    LoadPathLists(scratch.Key(), dialogs, again);
    EXPECT_EQ(Describe(again), Describe(paths));
}

// A value as another program may have left it: its type and its bytes exactly.
struct Typed {
    DWORD type;
    std::string bytes;
};
Typed Sz(const std::string& text)
{
    const std::wstring w = Utf8ToWide(text) + L'\0';
    return {REG_SZ, std::string(reinterpret_cast<const char*>(w.data()), w.size() * 2)};
}
Typed Number(DWORD type, unsigned long long value, size_t size)
{
    std::string bytes(size, '\0');
    std::memcpy(&bytes[0], &value, size);
    return {type, bytes};
}

// Rows of every kind: each is read as it can be, ids are made whole, and a row that cannot be read
// is left out of the menu, keeps the rows after it, and is never written over by a save.
TEST(PathLists, EveryRowReadAsItCanIdsMadeWholeAndUnreadableRowsKept)
{
    using OptTyped = std::optional<Typed>;
    struct TypedRow { OptTyped path, name, id; };
    auto row = [](const char* folder, OptTyped id) { return TypedRow{Sz(std::string("C:\\") + folder + "\\"), Sz(folder), id}; };
    const Typed multi = {REG_MULTI_SZ, Sz("C:\\M\\").bytes + std::string(2, '\0')}, binary = {REG_BINARY, "C:\\B\\"};
    const struct {
        const char* label;
        std::vector<TypedRow> rows;
        std::vector<std::string> loaded; // folder|name|id in list order
        std::vector<int> skipped;
    } cases[] = {
        {"repeated ids", {row("A", Sz("5000")), row("B", Sz("5000")), row("C", Sz("5001"))},
         {"C:\\A\\|A|5000", "C:\\B\\|B|5002", "C:\\C\\|C|5001"}, {}},
        {"missing ids", {row("A", {}), row("B", Sz("5000")), row("C", {})},
         {"C:\\A\\|A|5001", "C:\\B\\|B|5000", "C:\\C\\|C|5002"}, {}},
        {"REG_QWORD ids, one past 32 bits", {row("A", Number(REG_QWORD, 5003, 8)), row("B", Number(REG_QWORD, 0x100001388ull, 8))},
         {"C:\\A\\|A|5003", "C:\\B\\|B|5000"}, {}},
        {"REG_DWORD of 2, 3 and 1 bytes", {row("A", Number(REG_DWORD, 5001, 2)), row("B", Number(REG_DWORD, 5002, 3)),
                                            row("C", Number(REG_DWORD, 7, 1))},
         {"C:\\A\\|A|5001", "C:\\B\\|B|5002", "C:\\C\\|C|5000"}, {}},
        {"a path of REG_MULTI_SZ between good rows", {row("A", Sz("5000")), {multi, Sz("M"), Sz("5001")}, row("C", Sz("5002"))},
         {"C:\\A\\|A|5000", "C:\\C\\|C|5002"}, {1}},
        {"a path of REG_BINARY, a name of REG_BINARY", {{binary, Sz("B"), Sz("5000")}, row("A", Sz("5001")),
                                                        {Sz("C:\\N\\"), binary, Sz("5003")}, row("D", Sz("5000"))},
         {"C:\\A\\|A|5001", "C:\\D\\|D|5000"}, {0, 2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ScratchRegistryRoot scratch;
        const std::string key = scratch.Path() + "\\PathList";
        for (size_t i = 0; i < c.rows.size(); ++i) {
            const std::pair<const char*, const OptTyped*> values[] = {
                {"P", &c.rows[i].path}, {"SN", &c.rows[i].name}, {"ID", &c.rows[i].id}};
            for (const auto& v : values)
                if (v.second->has_value())
                    ASSERT_TRUE(WriteRawValue(HKEY_CURRENT_USER, key, (v.first + std::to_string(i)).c_str(),
                                              (*v.second)->bytes, (*v.second)->type, true));
        }
        CDialogList dialogs;
        CPathList paths;
        std::vector<int> skipped;
        LoadPathLists(scratch.Key(), dialogs, paths, &skipped);
        EXPECT_EQ(Describe(paths), c.loaded);
        EXPECT_EQ(skipped, c.skipped);
        // The menu: one item per favourite, and a pick of each gives that favourite's own folder.
        const std::vector<MenuRow> menu = BuildFolderRows(paths, {}, MenuFor::Tray);
        ASSERT_EQ(menu.size(), paths.size());
        for (const auto& entry : paths) {
            const MenuRow* pRow = FindMenuRow(menu, (UINT)entry->nID);
            ASSERT_NE(pRow, nullptr) << entry->strPath;
            EXPECT_EQ(pRow->strFolder, entry->strPath);
        }

        // A save for another reason: the new ids go in as text, the unreadable rows stay as they were.
        auto skippedRows = [&] {
            std::vector<std::wstring> values;
            for (int i : c.skipped)
                for (const std::string name : {"P" + std::to_string(i), "SN" + std::to_string(i), "ID" + std::to_string(i)})
                    values.push_back(RawValue(HKEY_CURRENT_USER, key, name.c_str()) + L"|" +
                                     std::to_wstring(RawValueType(HKEY_CURRENT_USER, key, name.c_str())));
            return values;
        };
        const std::vector<std::wstring> skippedBefore = skippedRows();
        paths[0]->strName = "Renamed";
        SavePathLists(scratch.Key(), dialogs, paths);
        EXPECT_EQ(skippedRows(), skippedBefore);
        CPathList again;
        std::vector<int> skippedAgain;
        LoadPathLists(scratch.Key(), dialogs, again, &skippedAgain);
        EXPECT_EQ(Describe(again), Describe(paths));
        EXPECT_EQ(skippedAgain, c.skipped);
        // Each id reads as given; one made anew went in as text, one that read right kept its form.
        for (const auto& entry : again) {
            const std::string name = "ID" + std::to_string(entry->nRow);
            EXPECT_EQ(scratch.Key().ReadInt("PathList", name.c_str(), -1), entry->nID) << name;
            if (RawValueType(HKEY_CURRENT_USER, key, name.c_str()) == REG_SZ)
                EXPECT_EQ(RawValue(HKEY_CURRENT_USER, key, name.c_str()), std::to_wstring(entry->nID) + L'\0');
        }
        if (std::string(c.label) == "REG_DWORD of 2, 3 and 1 bytes") // 7 became 5000, as text
            EXPECT_EQ(RawValue(HKEY_CURRENT_USER, key, "ID2"), std::wstring(L"5000") + L'\0');
    }
}

TEST(PathLists, DialogTableEndsAtARowWithoutTextsOrWithAnIdOutside5000To5004)
{
    const struct { const char* label; Row second; size_t expected; } cases[] = {
        {"5000", {"T", "C", "5000"}, 3},
        {"5004", {"T", "C", "5004"}, 3},
        {"4999", {"T", "C", "4999"}, 1},
        {"5005", {"T", "C", "5005"}, 1},
        {"negative", {"T", "C", "-1"}, 1},
        {"missing id", {"T", "C", {}}, 1},
        {"empty title", {"", "C", "5001"}, 1},
        {"missing class", {"T", {}, "5001"}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ScratchRegistryRoot scratch;
        StoreRows(scratch, "PtrList", "WT", "CN", {{"Save As", "#32770", "5001"}, c.second, {"X", "Y", "5002"}});
        CDialogList dialogs;
        CPathList paths;
        LoadPathLists(scratch.Key(), dialogs, paths);
        EXPECT_EQ(dialogs.size(), c.expected);
    }
}

TEST(PathLists, DialogTableIsCarriedAlongWhole)
{
    ScratchRegistryRoot scratch;
    const std::string title60(60, 't'), class60 = std::string(50, 'c') + "0123456789";
    StoreRows(scratch, "PtrList", "WT", "CN", {{title60, class60, "5003"}, {"Open", "#32770", "5000"}});
    CDialogList dialogs;
    CPathList paths;
    LoadPathLists(scratch.Key(), dialogs, paths);
    EXPECT_EQ(Describe(dialogs), (std::vector<std::string>{title60 + "|" + class60 + "|5003", "Open|#32770|5000"}));

    SavePathLists(scratch.Key(), dialogs, paths);
    std::vector<std::string> stored;
    for (const std::string& entry : DumpKeyTree(HKEY_CURRENT_USER, scratch.Path()))
        if (entry.compare(0, 8, "PtrList:") == 0)
            stored.push_back(entry.substr(8));
    EXPECT_EQ(stored, (std::vector<std::string>{"<CN0>=<" + class60 + ">", "<CN1>=<#32770>", "<CN2>=<>",
                                                "<ID0>=<5003>", "<ID1>=<5000>", "<ID2>=<0>",
                                                "<WT0>=<" + title60 + ">", "<WT1>=<Open>", "<WT2>=<>"}));
}

TEST(PathLists, IdsOutsideTheFavouritesRangeGetFreePathIdsAtLoad)
{
    using Ids = std::vector<std::string>;
    const struct { const char* label; Ids stored; std::vector<int> loaded; } cases[] = {
        {"the menu's commands: Shutdown, Preferences, Help Topics, About", {"32775", "5000", "32771", "350", "57664"},
         {5001, 5000, 5002, 5003, 5004}},
        {"the framework's Exit, and another entry's command in the low word", {"57665", "70536", "5002"},
         {5000, 5001, 5002}},
        {"no path id left", {"5000", "5001", "5002", "5003", "5004", "32775"}, {5000, 5001, 5002, 5003, 5004, 0}},
        {"the ids of the folders open in Explorer", {"5100", "5109", "5004"}, {5000, 5001, 5004}},
        {"ids that would run nothing", {"1", "-1", "6000", "5004"}, {5000, 5001, 5002, 5004}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ScratchRegistryRoot scratch;
        std::vector<Row> rows;
        for (const std::string& id : c.stored)
            rows.push_back({"C:\\" + id + "\\", "N" + id, id});
        StoreRows(scratch, "PathList", "P", "SN", rows);
        CDialogList dialogs;
        CPathList paths;
        LoadPathLists(scratch.Key(), dialogs, paths);
        std::vector<int> ids;
        for (const auto& entry : paths)
            ids.push_back(entry->nID);
        EXPECT_EQ(ids, c.loaded);
    }
}

TEST(PathLists, SettingsFileReadsInItsCodePageOrItsByteOrderMarkAndNothingIsCut)
{
    // 表 in code page 932 is 0x95 0x5C: its trail byte is a backslash.
    const std::string hyo932 = "\x95\x5C", hyoUtf8 = "\xE8\xA1\xA8", aeUtf8 = "\xC3\xA4";
    std::string longName932, longNameUtf8;
    for (int i = 0; i < 200; ++i) {
        longName932 += hyo932;
        longNameUtf8 += hyoUtf8;
    }
    const std::wstring wideFile = L"\xFEFF[PathList]\r\nP0=C:\\\x8868\\\r\nSN0=\x00E4\r\nID0=5000\r\n";
    std::string bigEndian;
    for (wchar_t ch : wideFile) {
        bigEndian += (char)(ch >> 8);
        bigEndian += (char)(ch & 0xFF);
    }
    const std::string uebung = "\xC3\x9C" "bung", nihon = "\xE6\x97\xA5\xE6\x9C\xAC";
    const struct { const char* label; std::string bytes; UINT cp; std::string path, name; size_t count = 2; } cases[] = {
        {"code page 932", "[PathList]\nP0=C:\\" + hyo932 + "\\\nSN0=" + longName932 + "\nID0=5000\n", 932,
         "C:\\" + hyoUtf8 + "\\", longNameUtf8},
        {"code page 1252", "[PathList]\nP0=C:\\\xE4\\\nSN0=" + std::string(300, 'n') + "\nID0=5000\n", 1252,
         "C:\\" + aeUtf8 + "\\", std::string(300, 'n')},
        {"UTF-8 mark", "\xEF\xBB\xBF[PathList]\r\nP0=C:\\" + hyoUtf8 + "\\\r\nSN0=" + aeUtf8 + "\r\nID0=5000\r\n", 1252,
         "C:\\" + hyoUtf8 + "\\", aeUtf8},
        {"UTF-16 LE mark", std::string(reinterpret_cast<const char*>(wideFile.data()), wideFile.size() * 2), 932,
         "C:\\" + hyoUtf8 + "\\", aeUtf8, 1}, // its tail is not UTF-16
        {"UTF-16 BE mark", bigEndian, 1252, "C:\\" + hyoUtf8 + "\\", aeUtf8, 1},
        {"UTF-8 without a mark, as Notepad saves it", "[PathList]\r\nP0=C:\\" + uebung + "\\" + nihon + "\\\r\nSN0=" + uebung +
         "\r\nID0=5000\r\n", 1252, "C:\\" + uebung + "\\" + nihon + "\\", uebung},
        // Not decodable: told, and nothing imported.
        {"NUL bytes without a UTF-16 mark", std::string("[PathList]\0\nP0=C:\\A\\\0\n", 18), 1252, "", "", 0},
        {"a UTF-8 mark over bytes that are not UTF-8", "\xEF\xBB\xBF[PathList]\nP0=C:\\\xE4\\\n", 1252, "", "", 0},
        {"a UTF-16 mark over an odd byte", "\xFF\xFE[\0P\0]", 1252, "", "", 0},
    };
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::string file = WideToUtf8(temp) + "TrovelNames" + std::to_string(::GetCurrentProcessId()) + ".INI";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        FILE* pFile = _wfopen(Utf8ToWide(file).c_str(), L"wb");
        ASSERT_NE(pFile, nullptr);
        const std::string text = c.bytes + "P1=C:\\B\\\nSN1=B\nID1=5001\n";
        std::fwrite(text.data(), 1, text.size(), pFile);
        std::fclose(pFile);
        ScratchRegistryRoot scratch;
        HKEY hRoot = nullptr;
        ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, scratch.Path().c_str(), 0, KEY_WRITE, &hRoot), ERROR_SUCCESS);
        EXPECT_TRUE(scratch.Key().ImportIniFile(hRoot, file, c.cp));
        ::RegCloseKey(hRoot);
        EXPECT_EQ(scratch.Key().m_strUndecodableFile, c.count == 0 ? file : "");
        CDialogList dialogs;
        CPathList paths;
        LoadPathLists(scratch.Key(), dialogs, paths);
        EXPECT_EQ(paths.size(), c.count);
        if (c.count == 0) {
            EXPECT_EQ(DumpKeyTree(HKEY_CURRENT_USER, scratch.Path()), std::vector<std::string>{});
            continue;
        }
        ASSERT_GE(paths.size(), 1u);
        EXPECT_EQ(Describe(paths)[0], c.path + "|" + c.name + "|5000");
    }
    ::DeleteFileW(Utf8ToWide(file).c_str());

    // The display name of a folder whose own name ends in that byte's character is the whole name.
    EXPECT_EQ(EntryNameForPath("C:\\Data\\" + hyoUtf8), hyoUtf8);
    EXPECT_EQ(EntryNameForPath("C:\\" + hyoUtf8 + "\\Work"), "Work");
}

} // namespace
