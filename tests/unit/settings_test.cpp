// Settings store and first-run import, against the real registry.
#include "tests/support/RegistryDump.h"
#include "tests/support/TestApp.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>

namespace {

std::string Text(const std::string& s) { return s + std::string(1, '\0'); }

TEST(SettingsStore, IntegersAreWrittenAsDecimalTextAndReadBack)
{
    const struct { int value; const char* text; } cases[] = {
        {0, "0"}, {1, "1"}, {5004, "5004"}, {-1, "-1"}, {INT_MIN, "-2147483648"}, {INT_MAX, "2147483647"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ScratchRegistryRoot scratch;
        EXPECT_TRUE(scratch.Key().WriteInt("Sub", "V", c.value));
        EXPECT_EQ(DumpKeyTree(HKEY_CURRENT_USER, scratch.Path()),
                  (std::vector<std::string>{"Sub\\", std::string("Sub:<V>=<") + c.text + ">"}));
        EXPECT_EQ(scratch.Key().ReadInt("Sub", "V", 42), c.value);
    }
}

TEST(SettingsStore, ReadIntParsesLeadingNumberOrGivesDefault)
{
    const std::string zeros258(258, '0');
    const struct { const char* label; std::string stored; int expected; DWORD type = REG_SZ; } cases[] = {
        {"digit", Text("7"), 7},
        {"blank digit letters", Text(" 7abc"), 7},
        {"tab sign", Text("\t-12x"), -12},
        {"plus sign", Text("+5"), 5},
        {"hex prefix", Text("0x10"), 0},
        {"letters only", Text("abc"), 42},
        {"empty", Text(""), 42},
        {"blanks", Text("   "), 42},
        {"sign only", Text("-"), 42},
        {"259 characters", Text(zeros258 + "7"), 7},
        {"260 characters and more", Text(zeros258 + "07"), 7},
        // The data ends after its last digit: what follows in memory must not be read as more digits.
        {"no terminator", std::string("12"), 12},
        {"no terminator, odd length", std::string("12\0", 3), 12},
        {"DWORD", std::string("\x39\x30\0\0", 4), 12345, REG_DWORD},
        {"DWORD of a negative id", std::string("\xFF\xFF\xFF\xFF", 4), -1, REG_DWORD},
        {"expandable text", Text("5001"), 5001, REG_EXPAND_SZ},
        {"binary", std::string("\x07\0\0\0", 4), 42, REG_BINARY},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ScratchRegistryRoot scratch;
        std::string stored = c.stored;
        if (c.type != REG_DWORD && c.type != REG_BINARY) { // UTF-16 as the platform stores text
            const std::wstring wide = Utf8ToWide(c.stored);
            stored.assign(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
        }
        ASSERT_TRUE(WriteRawValue(HKEY_CURRENT_USER, scratch.Path() + "\\Sub", "V", stored, c.type, true));
        EXPECT_EQ(scratch.Key().ReadInt("Sub", "V", 42), c.expected);
    }
    // Text without a terminator ends with its data: digits past it in the buffer are not read.
    const wchar_t buffer[] = L"1299";
    EXPECT_EQ(RegistryText(REG_SZ, reinterpret_cast<const BYTE*>(buffer), 2 * sizeof(wchar_t)), "12");
    EXPECT_EQ(RegistryText(REG_SZ, reinterpret_cast<const BYTE*>(buffer), 2 * sizeof(wchar_t) + 1), "12");
}

TEST(SettingsStore, TextsOfAnyLengthAndScriptAreStoredAsUnicodeAndReadWhole)
{
    const std::string mixed = "C:\\\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB5\xD0\xBA\xD1\x82\xD1\x8B\\\xE5\xA0\xB1\xE5\x91\x8A\\"; // C:\Проекты\報告\ (proj)
    const std::string snowmanTwice = "\xE2\x98\x83\xF0\x9F\x98\x80"; // ☃ and a character beyond 16 bits
    const std::string texts[] = {"", "q", std::string(259, 'q'), std::string(260, 'q'), std::string(5000, 'q'), mixed,
                                 snowmanTwice};
    for (const std::string& text : texts) {
        SCOPED_TRACE(text.size());
        ScratchRegistryRoot scratch;
        EXPECT_TRUE(scratch.Key().WriteString("Sub", "T", text));
        EXPECT_EQ(RawValue(HKEY_CURRENT_USER, scratch.Path() + "\\Sub", "T"), Utf8ToWide(text) + L'\0');
        EXPECT_EQ(scratch.Key().ReadString("Sub", "T", "dflt"), text);
    }
}

TEST(SettingsStore, ValuesOtherToolsWriteAreReadAndAnUnchangedOneKeepsItsType)
{
    ScratchRegistryRoot scratch;
    const std::string sub = scratch.Path() + "\\Sub";
    const std::wstring expand = L"%SystemRoot%\\Fav\\";
    ASSERT_TRUE(WriteRawValue(HKEY_CURRENT_USER, sub, "P",
                              std::string(reinterpret_cast<const char*>(expand.c_str()), (expand.size() + 1) * 2),
                              REG_EXPAND_SZ, true));
    ASSERT_TRUE(WriteRawValue(HKEY_CURRENT_USER, sub, "ID", std::string("\x89\x13\0\0", 4), REG_DWORD, true));
    wchar_t windowsDir[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"SystemRoot", windowsDir, MAX_PATH);
    const std::string expanded = WideToUtf8(windowsDir) + "\\Fav\\";
    const CRegistryKey& reg = scratch.Key();
    EXPECT_EQ(reg.ReadString("Sub", "P", ""), expanded);
    EXPECT_EQ(reg.ReadInt("Sub", "ID", 0), 5001);

    // Written again with what it reads as: left as it is, type and spelling.
    EXPECT_TRUE(reg.UpdateString("Sub", "P", expanded));
    EXPECT_TRUE(reg.UpdateInt("Sub", "ID", 5001));
    EXPECT_EQ(RawValueType(HKEY_CURRENT_USER, sub, "P"), (DWORD)REG_EXPAND_SZ);
    EXPECT_EQ(RawValue(HKEY_CURRENT_USER, sub, "P"), expand + L'\0');
    EXPECT_EQ(RawValueType(HKEY_CURRENT_USER, sub, "ID"), (DWORD)REG_DWORD);
    // Changed: written as the program writes, REG_SZ.
    EXPECT_TRUE(reg.UpdateString("Sub", "P", "D:\\Other\\"));
    EXPECT_TRUE(reg.UpdateInt("Sub", "ID", 5002));
    EXPECT_EQ(RawValueType(HKEY_CURRENT_USER, sub, "P"), (DWORD)REG_SZ);
    EXPECT_EQ(reg.ReadString("Sub", "P", ""), "D:\\Other\\");
    EXPECT_EQ(reg.ReadInt("Sub", "ID", 0), 5002);
}

TEST(SettingsStore, MissingKeysGiveDefaultsWithoutBeingCreatedAndWritesCreateThem)
{
    ScratchRegistryRoot scratch;
    CRegistryKey& reg = scratch.Key();
    EXPECT_EQ(reg.ReadInt("Newbie", "Help", 3), 3);
    EXPECT_EQ(reg.ReadString("Tree", "Net", "d"), "d");
    EXPECT_TRUE(DumpKeyTree(HKEY_CURRENT_USER, scratch.Path()).empty());

    EXPECT_TRUE(reg.WriteInt("Tree", "Net", 0));
    EXPECT_TRUE(reg.WriteString("Deep\\Er", "x", "y"));
    EXPECT_EQ(reg.ReadInt("Newbie", "Help", 3), 3); // another value of another key is still missing
    EXPECT_EQ(reg.ReadInt("Tree", "Remov", 1), 1);
    EXPECT_EQ(DumpKeyTree(HKEY_CURRENT_USER, scratch.Path()),
              (std::vector<std::string>{"Deep\\", "Deep\\Er\\", "Deep\\Er:<x>=<y>", "Tree\\", "Tree:<Net>=<0>"}));
}

// The import reads <Windows directory>\<application name>.INI into the root the start creates.
// A name of its own per process keeps this file apart from the one the real program reads.
class FirstRunImport : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_savedName = TestApp().m_strAppName;
        m_savedRoot = TestApp().m_regRoot;
        char name[64];
        std::snprintf(name, sizeof(name), "TrovelImport%lu", ::GetCurrentProcessId());
        m_appName = name;
        TestApp().m_strAppName = m_appName;
        char windowsDir[MAX_PATH] = {};
        ::GetWindowsDirectoryA(windowsDir, MAX_PATH);
        m_iniPath = std::string(windowsDir) + "\\" + m_appName + ".INI";
        m_rootPath = std::string(kParent) + "\\" + m_appName;
        Clean();
    }

    void TearDown() override
    {
        Clean();
        ::RegDeleteKeyA(HKEY_CURRENT_USER, kParent); // only when nothing else lives there
        TestApp().m_strAppName = m_savedName;
        TestApp().m_regRoot = m_savedRoot;
    }

    void Clean()
    {
        ::DeleteFileA(m_iniPath.c_str());
        DeleteKeyTree(HKEY_CURRENT_USER, m_rootPath.c_str());
    }

    void WriteIni(const std::string& bytes)
    {
        FILE* pFile = std::fopen(m_iniPath.c_str(), "wb");
        ASSERT_NE(pFile, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), pFile);
        std::fclose(pFile);
    }

    // Everything below the parent of the root, as seen from the root; the root itself is not listed.
    std::vector<std::string> WrittenBelowRoot()
    {
        std::vector<std::string> all = DumpKeyTree(HKEY_CURRENT_USER, kParent), below;
        const std::string prefix = m_appName + "\\";
        for (const std::string& entry : all) {
            if (entry == prefix)
                continue;
            if (entry.compare(0, prefix.size(), prefix) == 0)
                below.push_back(entry.substr(prefix.size()));
            else if (entry.compare(0, m_appName.size() + 1, m_appName + ":") == 0)
                below.push_back(entry.substr(m_appName.size()));
            else
                below.push_back("OUTSIDE THE ROOT: " + entry);
        }
        return below;
    }

    // The start's choice over a root that can be written; true when it made the root (and imported).
    bool OpenRoot()
    {
        SettingsPlaces places;
        places.hMachineHive = places.hUserHive = HKEY_CURRENT_USER;
        places.strMachinePath = m_rootPath;
        places.strUserPath = m_rootPath + " of the user"; // never made: the root can be written
        places.strFirstRunFile = m_iniPath;
        return TestApp().OpenSettingsRoot(places) == SettingsSource::MachineCreated;
    }

    static constexpr const char* kParent = "Software\\Larkfield Software";
    std::string m_savedName, m_appName, m_iniPath, m_rootPath;
    CRegistryKey m_savedRoot;
};

TEST_F(FirstRunImport, LinesBecomeKeysAndValuesBelowTheNewRootOnly)
{
    const struct { const char* label; std::string file; std::vector<std::string> expected; } cases[] = {
        {"example", "[Tree]\nNet=0\n", {"Tree\\", "Tree:<Net>=<0>"}},
        {"blanks around and inside brackets, CRLF", " \t[  Tree \t] \r\nNet=0\r\n", {"Tree\\", "Tree:<Net>=<0>"}},
        {"blanks around equals", "[Tree]\nNet = 0\n", {"Tree\\", "Tree:<Net >=< 0>"}},
        {"value lines before any section, comments",
         "Net=0\n; Remov=0 is a comment\n\n[Tree]\nRemov=0\ntext without equals\n", {"Tree\\", "Tree:<Remov>=<0>"}},
        {"empty section names select the root", "[]\nHelp=1\n[ ]\nX=2\n", {":<Help>=<1>", ":<X>=<2>"}},
        {"nested section names", "[Outer\\Inner]\nX=1\n[Outer]\nY=\n",
         {"Outer\\", "Outer:<Y>=<>", "Outer\\Inner\\", "Outer\\Inner:<X>=<1>"}},
        {"long lines are read whole",
         "[Tree]\nLong=" + std::string(600, 'a') + "\n" + std::string(530, 'x') + "=5\n",
         {"Tree\\", "Tree:<Long>=<" + std::string(600, 'a') + ">", "Tree:<" + std::string(530, 'x') + ">=<5>"}},
        // NUL bytes without a UTF-16 mark: no text, so nothing comes of it (the start tells the user).
        {"NUL bytes make it no text file", std::string("[Tree]\0junk\nNe\0t=1\nNet=0\n", 25), {}},
        {"a NUL in a UTF-16 file ends a line's text",
         std::string("\xFF\xFE[\0T\0r\0e\0e\0]\0\n\0N\0e\0t\0=\0\x30\0\0\0x\0\n\0", 32), {"Tree\\", "Tree:<Net>=<0>"}},
        {"no final newline", "[Tree]\nNet=0", {"Tree\\", "Tree:<Net>=<0>"}},
        {"a section that cannot be created ends the import",
         "[Tree]\nNet=0\n[\\Outside]\nA=1\n[Later]\nB=2\n", {"Tree\\", "Tree:<Net>=<0>"}},
        {"empty file", "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Clean();
        WriteIni(c.file);
        EXPECT_TRUE(OpenRoot());
        EXPECT_EQ(WrittenBelowRoot(), c.expected);
        EXPECT_EQ(TestApp().m_regRoot.m_strKey, m_rootPath);
        HKEY hOutside = nullptr;
        EXPECT_NE(::RegOpenKeyExA(HKEY_CURRENT_USER, "Outside", 0, KEY_READ, &hOutside), ERROR_SUCCESS);
    }
}

// The sample shipped in the portable zip: its comments must import nothing.
TEST_F(FirstRunImport, ShippedSampleGivesTheTreeSettingsAndTwoFavouritesOnly)
{
    FILE* pFile = std::fopen(TROVEL_SOURCE_DIR "installer\\Trovel.INI", "rb");
    ASSERT_NE(pFile, nullptr);
    std::string text;
    char buffer[4096];
    for (size_t got; (got = std::fread(buffer, 1, sizeof(buffer), pFile)) > 0;)
        text.append(buffer, got);
    std::fclose(pFile);
    WriteIni(text);
    ASSERT_TRUE(OpenRoot());
    EXPECT_EQ(WrittenBelowRoot(),
              (std::vector<std::string>{"PathList\\", "PathList:<ID0>=<5000>", "PathList:<ID1>=<5001>",
                                        "PathList:<P0>=<C:\\Users\\Public\\Documents\\>", "PathList:<P1>=<C:\\>",
                                        "PathList:<SN0>=<Public Documents>", "PathList:<SN1>=<Drive C>", "Tree\\",
                                        "Tree:<Net>=<1>", "Tree:<Remov>=<1>"}));
}

TEST_F(FirstRunImport, RunsOnlyInTheStartThatCreatesTheRoot)
{
    WriteIni("[Tree]\nNet=0\n");
    ASSERT_TRUE(OpenRoot());
    WriteIni("[Tree]\nNet=1\nRemov=0\n");
    EXPECT_FALSE(OpenRoot());
    EXPECT_EQ(WrittenBelowRoot(), (std::vector<std::string>{"Tree\\", "Tree:<Net>=<0>"}));
}

TEST_F(FirstRunImport, MissingFileLeavesTheNewRootEmpty)
{
    EXPECT_TRUE(OpenRoot());
    EXPECT_TRUE(WrittenBelowRoot().empty());
    EXPECT_EQ(DumpKeyTree(HKEY_CURRENT_USER, kParent), (std::vector<std::string>{m_appName + "\\"}));
}

} // namespace
