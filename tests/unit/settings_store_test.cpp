// Where the settings live: the machine key where it can be written, else the user's own key,
// filled once; the 32-bit view of the machine key; real registry, a DACL for a closed machine key.
#include "app/SettingsStore.h"
#include "tests/support/RegistryDump.h"
#include "tests/support/TestApp.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

namespace {

// Stand-ins for the machine key, the user's key and the two virtualised copies, below one scratch key.
class SettingsPlacesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string base = m_scratch.Path();
        m_places.hMachineHive = m_places.hUserHive = HKEY_CURRENT_USER;
        m_places.strMachinePath = base + "\\Machine\\Trovel";
        m_places.strUserPath = base + "\\User\\Trovel";
        m_places.virtualCopies = {base + "\\VirtualWow\\Trovel", base + "\\Virtual\\Trovel"};
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        char name[64];
        std::snprintf(name, sizeof(name), "TrovelFirstRun%lu.INI", ::GetCurrentProcessId());
        m_places.strFirstRunFile = std::string(temp) + name;
    }

    void TearDown() override
    {
        SetKeyWritable(HKEY_CURRENT_USER, m_places.strMachinePath, true);
        SetKeyWritable(HKEY_CURRENT_USER, m_places.strUserPath, true);
        ::DeleteFileA(m_places.strFirstRunFile.c_str());
    }

    // A key with one favourite named after it, and a nested value: what a copy must carry over.
    void Fill(const std::string& path, const std::string& tag)
    {
        ASSERT_TRUE(WriteRawValue(HKEY_CURRENT_USER, path + "\\PathList", "SN0", tag + '\0'));
        const std::string seven("\x07\0\0\0", 4);
        ASSERT_TRUE(WriteRawValue(HKEY_CURRENT_USER, path + "\\Deep\\Er", "Odd", seven, REG_DWORD));
    }
    static std::vector<std::string> Filled(const std::string& tag)
    {
        return {"Deep\\", "Deep\\Er\\", "Deep\\Er:<Odd>=<" + std::string("\x07\0\0\0", 4) + "> !raw", "PathList\\",
                "PathList:<SN0>=<" + tag + ">"};
    }
    std::vector<std::string> Dump(const std::string& path) { return DumpKeyTree(HKEY_CURRENT_USER, path); }

    void WriteFile(const std::string& text)
    {
        FILE* pFile = std::fopen(m_places.strFirstRunFile.c_str(), "wb");
        ASSERT_NE(pFile, nullptr);
        std::fwrite(text.data(), 1, text.size(), pFile);
        std::fclose(pFile);
    }

    ScratchRegistryRoot m_scratch; // everything below it goes at the end
    SettingsPlaces m_places;
    CRegistryKey m_store;
};

TEST_F(SettingsPlacesTest, ClosedMachineKeyGivesAUserKeyFilledOnceFromTheUsersOldSettings)
{
    const struct { const char* label; bool wow, plain, machine; SettingsSource source; const char* from; } cases[] = {
        {"virtualised copy below WOW6432Node first", true, true, true, SettingsSource::UserFromVirtualCopy, "wow"},
        {"then the one without", false, true, true, SettingsSource::UserFromVirtualCopy, "plain"},
        {"then the machine key, read only", false, false, true, SettingsSource::UserFromMachine, "machine"},
        {"else the first-run file", false, false, false, SettingsSource::UserFromFile, "file"},
    };
    WriteFile("[PathList]\nSN0=file\n[Deep\\Er]\nOdd=7\n");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        SetKeyWritable(HKEY_CURRENT_USER, m_places.strMachinePath, true);
        for (const std::string& path : {m_places.strMachinePath, m_places.strUserPath, m_places.virtualCopies[0],
                                        m_places.virtualCopies[1]})
            DeleteKeyTree(HKEY_CURRENT_USER, path);
        if (c.wow)
            Fill(m_places.virtualCopies[0], "wow");
        if (c.plain)
            Fill(m_places.virtualCopies[1], "plain");
        SettingsPlaces places = m_places;
        if (c.machine) {
            Fill(m_places.strMachinePath, "machine");
            ASSERT_TRUE(SetKeyWritable(HKEY_CURRENT_USER, m_places.strMachinePath, false));
        } else {
            places.strMachinePath = "\\" + m_places.strMachinePath; // missing, and cannot be made
        }
        const auto wowBefore = Dump(m_places.virtualCopies[0]), plainBefore = Dump(m_places.virtualCopies[1]),
                   machineBefore = Dump(m_places.strMachinePath);

        EXPECT_EQ(ChooseSettingsStore(places, m_store), c.source);
        EXPECT_EQ(m_store.m_hRoot, HKEY_CURRENT_USER);
        EXPECT_EQ(m_store.m_strKey, m_places.strUserPath);
        EXPECT_EQ(m_store.m_samView, 0u);
        const std::vector<std::string> fromFile = {"Deep\\", "Deep\\Er\\", "Deep\\Er:<Odd>=<7>", "PathList\\",
                                                   "PathList:<SN0>=<file>"};
        if (c.source == SettingsSource::UserFromFile)
            EXPECT_EQ(Dump(m_places.strUserPath), fromFile);
        else
            EXPECT_EQ(Dump(m_places.strUserPath), Filled(c.from));
        EXPECT_TRUE(m_store.WriteInt("Newbie", "Help", 1));
        EXPECT_EQ(m_store.ReadString("PathList", "SN0", ""), c.from);

        // Filled once: the old settings no longer matter, and it was never changed.
        if (c.plain)
            Fill(m_places.virtualCopies[1], "changed");
        EXPECT_EQ(ChooseSettingsStore(places, m_store), SettingsSource::User);
        EXPECT_EQ(m_store.ReadString("PathList", "SN0", ""), c.from);
        EXPECT_EQ(m_store.ReadInt("Newbie", "Help", 0), 1);
        EXPECT_EQ(Dump(m_places.virtualCopies[0]), wowBefore);
        EXPECT_EQ(Dump(m_places.strMachinePath), machineBefore);
        if (!c.plain) {
            EXPECT_EQ(Dump(m_places.virtualCopies[1]), plainBefore);
        }
        EXPECT_FALSE(m_store.m_bReadOnly || m_store.m_bWriteFailed);
    }
}

TEST_F(SettingsPlacesTest, WritableMachineKeyStaysTheStoreUntilTheUserHasAKeyOfTheirOwn)
{
    WriteFile("[Tree]\nNet=0\n");
    EXPECT_EQ(ChooseSettingsStore(m_places, m_store), SettingsSource::MachineCreated);
    EXPECT_EQ(Dump(m_places.strMachinePath), (std::vector<std::string>{"Tree\\", "Tree:<Net>=<0>"}));
    EXPECT_EQ(ChooseSettingsStore(m_places, m_store), SettingsSource::Machine);
    EXPECT_EQ(m_store.m_strKey, m_places.strMachinePath);
    EXPECT_TRUE(m_store.WriteInt("Tree", "Remov", 0));
    EXPECT_EQ(Dump(m_places.strUserPath), std::vector<std::string>{}); // never made

    // Once a user has a key of their own (made while the machine key was closed to them), a start
    // that could write the machine key (with elevation) still shows their own settings.
    Fill(m_places.strUserPath, "own");
    EXPECT_EQ(ChooseSettingsStore(m_places, m_store), SettingsSource::User);
    EXPECT_EQ(m_store.ReadString("PathList", "SN0", ""), "own");
}

TEST_F(SettingsPlacesTest, AUserKeyStartsWithTheVirtualisedValuesOverTheMachineKeysAndIsNeverLeftHalfFilled)
{
    // The machine key as an administrator set it; the user's virtualised copy holds only what the old
    // program wrote for them. The old program saw both, merged.
    ASSERT_TRUE(WriteRawValue(HKEY_CURRENT_USER, m_places.strMachinePath + "\\Newbie", "Help", std::string("1", 2)));
    ASSERT_TRUE(WriteRawValue(HKEY_CURRENT_USER, m_places.strMachinePath + "\\Tree", "Net", std::string("0", 2)));
    ASSERT_TRUE(WriteRawValue(HKEY_CURRENT_USER, m_places.strMachinePath + "\\PathList", "SN0", std::string("admin", 6)));
    Fill(m_places.virtualCopies[0], "mine");
    ASSERT_TRUE(SetKeyWritable(HKEY_CURRENT_USER, m_places.strMachinePath, false));
    const std::vector<std::string> merged = {"Deep\\",           "Deep\\Er\\", "Deep\\Er:<Odd>=<" + std::string("\x07\0\0\0", 4) + "> !raw",
                                             "Newbie\\",         "Newbie:<Help>=<1>", "PathList\\",
                                             "PathList:<SN0>=<mine>", "Tree\\",     "Tree:<Net>=<0>"};

    // Killed at every point of the filling in turn: the next start finds either no user key or a whole one.
    for (int killAt = 0;; ++killAt) {
        SCOPED_TRACE(killAt);
        DeleteKeyTree(HKEY_CURRENT_USER, m_places.strUserPath);
        SettingsPlaces killed = m_places;
        int steps = 0;
        killed.fnFillStep = [&] { return steps++ < killAt; };
        const SettingsSource first = ChooseSettingsStore(killed, m_store);
        const bool finished = steps <= killAt;
        if (!finished)
            EXPECT_NE(Dump(m_places.strUserPath), merged); // stopped before the end

        EXPECT_EQ(ChooseSettingsStore(m_places, m_store), finished ? SettingsSource::User : SettingsSource::UserFromVirtualCopy);
        EXPECT_EQ(Dump(m_places.strUserPath), merged);
        EXPECT_EQ(m_store.ReadString("PathList", "SN0", ""), "mine");
        EXPECT_EQ(m_store.ReadInt("Tree", "Net", 1), 0);
        if (finished) {
            EXPECT_EQ(first, SettingsSource::UserFromVirtualCopy);
            break;
        }
    }
}

TEST_F(SettingsPlacesTest, NowhereToSaveShowsWhatTheUserSawAndRefusesEveryWrite)
{
    Fill(m_places.strMachinePath, "machine");
    ASSERT_TRUE(SetKeyWritable(HKEY_CURRENT_USER, m_places.strMachinePath, false));
    SettingsPlaces places = m_places;
    places.strUserPath = "\\" + m_places.strUserPath; // cannot be made
    const struct { const char* label; bool plain; const char* shown; } cases[] = {
        {"the machine key", false, "machine"}, {"a virtualised copy before it", true, "plain"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        if (c.plain)
            Fill(m_places.virtualCopies[1], "plain");
        const auto plainBefore = Dump(m_places.virtualCopies[1]), machineBefore = Dump(m_places.strMachinePath);
        EXPECT_EQ(ChooseSettingsStore(places, m_store), SettingsSource::NowhereToSave);
        EXPECT_EQ(m_store.ReadString("PathList", "SN0", ""), c.shown);
        EXPECT_TRUE(m_store.m_bReadOnly);
        EXPECT_FALSE(m_store.m_bWriteFailed);
        EXPECT_FALSE(m_store.WriteString("PathList", "SN0", "lost"));
        EXPECT_TRUE(m_store.m_bWriteFailed);
        EXPECT_EQ(Dump(m_places.virtualCopies[1]), plainBefore);
        EXPECT_EQ(Dump(m_places.strMachinePath), machineBefore);
    }

    // A user key of their own that has been closed to them since: read, never written.
    Fill(m_places.strUserPath, "own");
    ASSERT_TRUE(SetKeyWritable(HKEY_CURRENT_USER, m_places.strUserPath, false));
    EXPECT_EQ(ChooseSettingsStore(m_places, m_store), SettingsSource::NowhereToSave);
    EXPECT_EQ(m_store.ReadString("PathList", "SN0", ""), "own");
    EXPECT_FALSE(m_store.WriteInt("Newbie", "Help", 1));
}

BOOL WINAPI says32On64(HANDLE, PBOOL pb) { *pb = TRUE; return TRUE; }
BOOL WINAPI saysNative(HANDLE, PBOOL pb) { *pb = FALSE; return TRUE; }
BOOL WINAPI fails(HANDLE, PBOOL pb) { *pb = TRUE; return FALSE; }

TEST(SettingsView, BothFlavoursUseTheMachineKeysThirtyTwoBitView)
{
    const struct { bool b64BitProgram, bOn64BitWindows; REGSAM view; } cases[] = {
        {true, true, KEY_WOW64_32KEY},   // the 64-bit flavour: always on 64-bit Windows
        {false, true, KEY_WOW64_32KEY},  // the 32-bit flavour there: the flag is harmless and explicit
        {false, false, 0},               // 32-bit Windows (2000 rejects the flag)
    };
    for (const auto& c : cases)
        EXPECT_EQ(MachineViewFlags(c.b64BitProgram, c.bOn64BitWindows), c.view) << c.b64BitProgram << c.bOn64BitWindows;
    EXPECT_FALSE(RunningOnWow64()); // this test program is the 64-bit flavour
    // The answer is the system's: a 32-bit copy on 64-bit Windows, one on 32-bit Windows, and a
    // system without the function (before XP SP2).
    EXPECT_TRUE(RunningOnWow64(says32On64));
    EXPECT_FALSE(RunningOnWow64(saysNative));
    EXPECT_FALSE(RunningOnWow64(fails));
    EXPECT_FALSE(RunningOnWow64(nullptr));
    EXPECT_EQ(MachineViewFlags(false, RunningOnWow64(says32On64)), (REGSAM)KEY_WOW64_32KEY);

    // The real places, under a name of this process's own in this Wine prefix.
    char name[64];
    std::snprintf(name, sizeof(name), "TrovelView%lu", ::GetCurrentProcessId());
    const std::string path = std::string("Software\\Larkfield Software\\") + name;
    const std::string seen32 = std::string("Software\\WOW6432Node\\Larkfield Software\\") + name;
    const SettingsPlaces places = DefaultSettingsPlaces(name);
    EXPECT_EQ(places.hMachineHive, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(places.strMachinePath, path);
    EXPECT_EQ(places.samMachineView, (REGSAM)KEY_WOW64_32KEY);
    EXPECT_EQ(places.hUserHive, HKEY_CURRENT_USER);
    EXPECT_EQ(places.strUserPath, path);
    const std::string virtualStore = "Software\\Classes\\VirtualStore\\MACHINE\\SOFTWARE\\";
    EXPECT_EQ(places.virtualCopies, (std::vector<std::string>{virtualStore + "WOW6432Node\\" + path.substr(9),
                                                              virtualStore + path.substr(9)}));
    EXPECT_EQ(places.strFirstRunFile.substr(places.strFirstRunFile.size() - std::strlen(name) - 5),
              std::string("\\") + name + ".INI");

    CRegistryKey store;
    EXPECT_EQ(ChooseSettingsStore(places, store), SettingsSource::MachineCreated);
    EXPECT_TRUE(store.WriteInt("Tree", "Net", 0));
    EXPECT_EQ(store.ReadInt("Tree", "Net", 1), 0);
    // Where a 32-bit program sees it, and not in the 64-bit view.
    EXPECT_EQ(DumpKeyTree(HKEY_LOCAL_MACHINE, seen32), (std::vector<std::string>{"Tree\\", "Tree:<Net>=<0>"}));
    HKEY hKey = nullptr;
    EXPECT_NE(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &hKey), ERROR_SUCCESS);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, seen32);
}

} // namespace
