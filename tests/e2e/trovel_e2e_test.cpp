// The real Trovel.exe, started as a separate process: hidden, in the tray, its settings and close rules.
#include "tests/support/RegistryDump.h"
#include "tests/harness/Harness.h"
#include "app/RegistryKey.h"
#include "fw/TextConv.h"
#include "paths/PathList.h"
#include "tests/support/TrayProbe.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

// Both flavours keep the machine key in its 32-bit view; the 64-bit one sees it below WOW6432Node.
const char kRoot[] = "Software\\WOW6432Node\\Larkfield Software\\Trovel";
// A user's own key, where the machine key is closed to them.
const char kUserRoot[] = "Software\\Larkfield Software\\Trovel";
const UINT kTrayIconId = 109;
const UINT kAppClose = WM_APP + 0x20;
const UINT kHelpTopics = 350;
const char kHtmlHelpClass[] = "HH Parent";

std::string SettingsFilePath()
{
    char dir[MAX_PATH] = {};
    ::GetWindowsDirectoryA(dir, MAX_PATH);
    return std::string(dir) + "\\Trovel.INI";
}

void WriteSettingsFile(const std::string& text)
{
    FILE* pFile = std::fopen(SettingsFilePath().c_str(), "wb");
    ASSERT_NE(pFile, nullptr);
    std::fwrite(text.data(), 1, text.size(), pFile);
    std::fclose(pFile);
}

// No settings root and no settings file: the next start is a first start.
void ForgetInstallation()
{
    KeepTrayShown();
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kRoot);
    DeleteKeyTree(HKEY_CURRENT_USER, kUserRoot);
    ::DeleteFileA(SettingsFilePath().c_str());
}

// A root from an earlier start whose new-user help has been seen.
void SeenInstallation()
{
    ForgetInstallation();
    ASSERT_TRUE(WriteRawValue(HKEY_LOCAL_MACHINE, std::string(kRoot) + "\\Newbie", "Help", std::string("1", 2)));
}

std::vector<std::string> Stored(const char* pszSubKey)
{
    return DumpKeyTree(HKEY_LOCAL_MACHINE, std::string(kRoot) + "\\" + pszSubKey);
}

// One run of Trovel.exe. Every wait also looks at the process's top-level windows and remembers
// whether any was ever visible.
class TrovelProcess {
public:
    explicit TrovelProcess(const std::string& arguments = "", const std::string& exe = TROVEL_EXE)
    {
        std::wstring commandLine = Utf8ToWide("\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments));
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        m_bStarted = ::CreateProcessW(Utf8ToWide(exe).c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                      nullptr, &si, &m_pi);
    }

    ~TrovelProcess()
    {
        if (!m_bStarted)
            return;
        if (::WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT)
            ::TerminateProcess(m_pi.hProcess, 1);
        EndHelpViewers();
        ::CloseHandle(m_pi.hThread);
        ::CloseHandle(m_pi.hProcess);
    }

    bool Started() const { return m_bStarted; }
    bool SawVisibleWindow() const { return m_bSawVisible; }
    // The class of the first window seen visible, for failure messages.
    const std::string& SawVisibleClass() const { return m_strSawVisibleClass; }

    // The main frame: the top-level window of this process titled "Trovel".
    HWND Frame() const
    {
        for (HWND hWnd : TopLevelWindows()) {
            char title[16] = {};
            ::GetWindowTextA(hWnd, title, sizeof(title));
            if (std::string(title) == "Trovel")
                return hWnd;
        }
        return nullptr;
    }

    // The view: the frame's child built on the dialog template.
    HWND View() const { return ::FindWindowExA(Frame(), nullptr, "#32770", nullptr); }

    // False when the process is gone, or after a generous limit, and the condition still fails.
    bool WaitUntil(const std::function<bool()>& done)
    {
        for (DWORD start = ::GetTickCount(); m_bStarted; ::Sleep(20)) {
            bool running = Alive();
            bool met = done();
            Sample();
            if (met)
                return true;
            if (!running || ::GetTickCount() - start > 30000)
                break;
        }
        return false;
    }

    bool WaitForExit()
    {
        return WaitUntil([this] { return !Alive(); });
    }

    DWORD ExitCode() const
    {
        DWORD code = 0;
        ::GetExitCodeProcess(m_pi.hProcess, &code);
        return code;
    }

    bool Alive() const { return ::WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT; }

    // A visible top-level window of this process with the given title, or null.
    HWND Shown(const char* pszTitle) const
    {
        for (HWND hWnd : TopLevelWindows()) {
            char title[64] = {};
            ::GetWindowTextA(hWnd, title, sizeof(title));
            if (::IsWindowVisible(hWnd) && std::string(title) == pszTitle)
                return hWnd;
        }
        return nullptr;
    }

    // The visible HTML help window of this process, or null.
    HWND HtmlHelpWindow() const
    {
        for (HWND hWnd : TopLevelWindows()) {
            char className[32] = {};
            ::GetClassNameA(hWnd, className, sizeof(className));
            if (::IsWindowVisible(hWnd) && std::string(className) == kHtmlHelpClass)
                return hWnd;
        }
        return nullptr;
    }

    // The help viewer processes this run started.
    std::vector<DWORD> HelpViewers() const
    {
        std::vector<DWORD> pids;
        HANDLE hSnap = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32 pe = {};
        pe.dwSize = sizeof(pe);
        for (BOOL more = ::Process32First(hSnap, &pe); more; more = ::Process32Next(hSnap, &pe))
            if (pe.th32ParentProcessID == m_pi.dwProcessId && lstrcmpiW(pe.szExeFile, L"winhlp32.exe") == 0)
                pids.push_back(pe.th32ProcessID);
        ::CloseHandle(hSnap);
        return pids;
    }

    // The help files of these tests are not real ones; the viewer's error box would keep the program
    // inside its help call.
    void EndHelpViewers()
    {
        for (DWORD pid : HelpViewers()) {
            HANDLE hViewer = ::OpenProcess(PROCESS_TERMINATE, FALSE, pid);
            if (hViewer != nullptr) {
                ::TerminateProcess(hViewer, 0);
                ::CloseHandle(hViewer);
            }
        }
    }

private:
    std::vector<HWND> TopLevelWindows() const
    {
        struct Search { DWORD pid; std::vector<HWND> found; } search = {m_pi.dwProcessId, {}};
        ::EnumWindows(
            [](HWND hWnd, LPARAM lParam) CALLBACK -> BOOL {
                auto* s = reinterpret_cast<Search*>(lParam);
                DWORD pid = 0;
                ::GetWindowThreadProcessId(hWnd, &pid);
                if (pid == s->pid)
                    s->found.push_back(hWnd);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    // The help viewer's windows, and what they own (tool tips), are meant to show; the program's
    // own windows are not.
public:
    // One look at the process's windows.
    void Sample()
    {
        for (HWND hWnd : TopLevelWindows()) {
            if (m_bSawVisible || !::IsWindowVisible(hWnd) || IsHtmlHelp(hWnd) || IsHtmlHelp(::GetWindow(hWnd, GW_OWNER)))
                continue;
            m_bSawVisible = true;
            char className[64] = {};
            ::GetClassNameA(hWnd, className, sizeof(className));
            m_strSawVisibleClass = className;
        }
    }

private:

    // The viewer's windows: "HH Parent", and its "HH Popup" that flashes up as the index loads.
    static bool IsHtmlHelp(HWND hWnd)
    {
        char className[32] = {};
        return hWnd != nullptr && ::GetClassNameA(hWnd, className, sizeof(className)) > 0 &&
               std::string(className).compare(0, 3, "HH ") == 0;
    }

    PROCESS_INFORMATION m_pi = {};
    bool m_bStarted = false;
    bool m_bSawVisible = false;
    std::string m_strSawVisibleClass;
};

bool Send(HWND hWnd, UINT msg)
{
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutA(hWnd, msg, 0, 0, SMTO_NORMAL, 30000, &result) != 0;
}

TEST(EndToEnd, FirstStartStaysHiddenInTheTrayAndEndsOnlyOnAppClose)
{
    ForgetInstallation();
    TrovelProcess trovel;
    ASSERT_TRUE(trovel.Started());
    ASSERT_TRUE(trovel.WaitUntil([&] { return trovel.View() != nullptr; }));
    HWND hFrame = trovel.Frame(), hView = trovel.View();
    ASSERT_TRUE(trovel.WaitUntil([&] { return TrayKnowsIcon(hView, kTrayIconId); }));
    ASSERT_TRUE(trovel.WaitUntil([&] { return Stored("Newbie") == std::vector<std::string>{":<Help>=<1>"}; }));
    // No .HLP beside the program: no WinHelp viewer is started to complain about it.
    EXPECT_TRUE(trovel.HelpViewers().empty());

    ASSERT_TRUE(Send(hFrame, WM_CLOSE));
    EXPECT_TRUE(Send(hFrame, WM_NULL)); // still serving messages
    EXPECT_TRUE(trovel.Alive());
    EXPECT_TRUE(::IsWindow(hFrame));
    EXPECT_FALSE(::IsWindowVisible(hFrame));
    EXPECT_TRUE(TrayKnowsIcon(hView, kTrayIconId));

    Send(hFrame, kAppClose);
    ASSERT_TRUE(trovel.WaitForExit());
    EXPECT_EQ(trovel.ExitCode(), 0u);
    // Nothing changed in this run: nothing written back.
    EXPECT_EQ(Stored("PathList"), std::vector<std::string>{});
    EXPECT_EQ(Stored("PtrList"), std::vector<std::string>{});
    EXPECT_FALSE(trovel.SawVisibleWindow()) << trovel.SawVisibleClass();
}

TEST(EndToEnd, SettingsFileFillsOnlyTheStartThatCreatesTheRoot)
{
    ForgetInstallation();
    WriteSettingsFile("[PathList]\r\nP0=C:\\Work\\\r\nSN0=Work\r\nID0=5000\r\nP1=C:\\\r\nSN1=Drive C\r\nID1=5002\r\n"
                      "[PtrList]\r\nWT0=Save As\r\nCN0=#32770\r\nID0=5001\r\n[Tree]\r\nNet=0\r\n");
    const std::vector<std::string> paths = {":<ID0>=<5000>", ":<ID1>=<5002>", ":<P0>=<C:\\Work\\>", ":<P1>=<C:\\>",
                                            ":<SN0>=<Work>", ":<SN1>=<Drive C>"};
    const std::vector<std::string> dialogs = {":<CN0>=<#32770>", ":<ID0>=<5001>", ":<WT0>=<Save As>"};
    {
        TrovelProcess trovel;
        ASSERT_TRUE(trovel.WaitUntil([&] { return TrayKnowsIcon(trovel.View(), kTrayIconId); }));
        ::PostMessageA(trovel.Frame(), kAppClose, 0, 0);
        ASSERT_TRUE(trovel.WaitForExit());
    }
    // As imported: an exit that changed nothing writes nothing.
    EXPECT_EQ(Stored("PathList"), paths);
    EXPECT_EQ(Stored("PtrList"), dialogs);
    EXPECT_EQ(Stored("Tree"), std::vector<std::string>{":<Net>=<0>"});

    WriteSettingsFile("[PathList]\r\nP0=C:\\Other\\\r\nSN0=Other\r\nID0=5000\r\nP1=\r\n[Tree]\r\nNet=1\r\n");
    {
        TrovelProcess trovel;
        ASSERT_TRUE(trovel.WaitUntil([&] { return TrayKnowsIcon(trovel.View(), kTrayIconId); }));
        // Posted, so it is handled after the start routine has finished.
        ::PostMessageA(trovel.Frame(), kAppClose, 0, 0);
        ASSERT_TRUE(trovel.WaitForExit());
        EXPECT_TRUE(trovel.HelpViewers().empty());
    }
    EXPECT_EQ(Stored("PathList"), paths);
    EXPECT_EQ(Stored("PtrList"), dialogs);
    EXPECT_EQ(Stored("Tree"), std::vector<std::string>{":<Net>=<0>"});
    ::DeleteFileA(SettingsFilePath().c_str());
}

// Trovel.chm lies beside the built exe. Wine's viewer opens a window only for a context id the file
// maps (it draws no topic page: its HTML engine is off in these prefixes), so the window at the first
// start shows the new-user topic's id is mapped.
TEST(EndToEnd, HtmlHelpOpensAtTheNewUserTopicThenFromHelpTopicsAndEndsWithTrovel)
{
    ForgetInstallation();
    {
        TrovelProcess trovel;
        ASSERT_TRUE(trovel.WaitUntil([&] { return trovel.HtmlHelpWindow() != nullptr; }));
        HWND hHelp = trovel.HtmlHelpWindow();
        char title[32] = {};
        ::GetWindowTextA(hHelp, title, sizeof(title));
        EXPECT_STREQ(title, "Trovel Help");
        EXPECT_TRUE(trovel.HelpViewers().empty());

        // Closed by the user, opened again from the tray menu's command.
        ASSERT_TRUE(Send(hHelp, WM_CLOSE));
        ASSERT_TRUE(trovel.WaitUntil([&] { return trovel.HtmlHelpWindow() == nullptr; }));
        ASSERT_TRUE(::PostMessageA(trovel.View(), WM_COMMAND, kHelpTopics, 0));
        ASSERT_TRUE(trovel.WaitUntil([&] { return trovel.HtmlHelpWindow() != nullptr; }));

        // Ends cleanly with the help open.
        ::PostMessageA(trovel.Frame(), kAppClose, 0, 0);
        ASSERT_TRUE(trovel.WaitForExit());
        EXPECT_EQ(trovel.ExitCode(), 0u);
        EXPECT_FALSE(trovel.SawVisibleWindow()) << trovel.SawVisibleClass();
    }
    TrovelProcess second;
    ASSERT_TRUE(second.WaitUntil([&] { return TrayKnowsIcon(second.View(), kTrayIconId); }));
    ASSERT_TRUE(Send(second.Frame(), WM_NULL)); // the start routine has finished
    EXPECT_EQ(second.HtmlHelpWindow(), nullptr);
    ::PostMessageA(second.Frame(), kAppClose, 0, 0);
    EXPECT_TRUE(second.WaitForExit());
}

TEST(EndToEnd, HelpOpensFromAFolderNoCodePageSpellsAndOneThatIsMissingLeavesTheFlagUnset)
{
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::string dir = WideToUtf8(temp) + "\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB3\xD1\x80\xD0\xB0\xD0\xBC\xD0\xBC\xD1\x8B \xE2\x98\x83\\"; // Программы ☃
    ::CreateDirectoryW(Utf8ToWide(dir).c_str(), nullptr);
    const std::string exe = dir + "Trovel.exe", chm = dir + "Trovel.chm";
    const std::string builtExe = TROVEL_EXE;
    ASSERT_TRUE(::CopyFileW(Utf8ToWide(builtExe).c_str(), Utf8ToWide(exe).c_str(), FALSE));
    ASSERT_TRUE(::CopyFileW(Utf8ToWide(builtExe.substr(0, builtExe.rfind('\\') + 1) + "Trovel.chm").c_str(),
                            Utf8ToWide(chm).c_str(), FALSE));
    for (bool withHelp : {true, false}) {
        SCOPED_TRACE(withHelp ? "help beside it" : "help missing");
        if (!withHelp)
            ASSERT_TRUE(::DeleteFileW(Utf8ToWide(chm).c_str()));
        ForgetInstallation();
        TrovelProcess trovel("", exe);
        ASSERT_TRUE(trovel.WaitUntil([&] { return TrayKnowsIcon(trovel.View(), kTrayIconId); }));
        if (withHelp)
            EXPECT_TRUE(trovel.WaitUntil([&] { return trovel.HtmlHelpWindow() != nullptr; }));
        ASSERT_TRUE(Send(trovel.Frame(), WM_NULL)); // the start routine has finished
        EXPECT_EQ(trovel.HtmlHelpWindow() != nullptr, withHelp);
        // Set only when the help really opened: without it the next start offers it again.
        EXPECT_EQ(Stored("Newbie"), withHelp ? std::vector<std::string>{":<Help>=<1>"} : std::vector<std::string>{});
        ::PostMessageA(trovel.Frame(), kAppClose, 0, 0);
        ASSERT_TRUE(trovel.WaitForExit());
    }
    ::DeleteFileW(Utf8ToWide(exe).c_str());
    ::RemoveDirectoryW(Utf8ToWide(dir).c_str());
}

TEST(EndToEnd, HlpFileBesideTheProgramIsPreferredAndAskedForUntilItOpens)
{
    // A copy of the program with both help files beside it: the WinHelp file wins.
    char tempDir[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, tempDir);
    const std::string dir = std::string(tempDir) + "Trovel e2e help\\";
    ::CreateDirectoryA(dir.c_str(), nullptr);
    const std::string exe = dir + "Trovel.exe", help = dir + "Trovel.HLP", chm = dir + "Trovel.chm";
    const std::string builtExe = TROVEL_EXE;
    ASSERT_TRUE(::CopyFileA(builtExe.c_str(), exe.c_str(), FALSE));
    ASSERT_TRUE(::CopyFileA((builtExe.substr(0, builtExe.rfind('\\') + 1) + "Trovel.chm").c_str(), chm.c_str(), FALSE));
    FILE* pFile = std::fopen(help.c_str(), "wb");
    ASSERT_NE(pFile, nullptr);
    std::fclose(pFile);

    ForgetInstallation();
    for (int start = 1; start <= 2; ++start) {
        TrovelProcess trovel("", exe);
        ASSERT_TRUE(trovel.WaitUntil([&] { return TrayKnowsIcon(trovel.View(), kTrayIconId); }));
        // This help file is empty: the viewer refuses it, so the help never opened and the next
        // start asks again.
        EXPECT_TRUE(trovel.WaitUntil([&] { return !trovel.HelpViewers().empty(); }));
        EXPECT_EQ(trovel.HtmlHelpWindow(), nullptr);
        trovel.EndHelpViewers();
        ::PostMessageA(trovel.Frame(), kAppClose, 0, 0);
        ASSERT_TRUE(trovel.WaitForExit());
    }
    ::DeleteFileA(exe.c_str());
    ::DeleteFileA(help.c_str());
    ::DeleteFileA(chm.c_str());
    ::RemoveDirectoryA(dir.c_str());
}

// Runs a helper to its end; true when it succeeded.
bool RunHelper(const std::string& exe, const std::string& arguments)
{
    std::string commandLine = "\"" + exe + "\" " + arguments;
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    DWORD code = 1;
    if (::WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0)
        ::GetExitCodeProcess(pi.hProcess, &code);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return code == 0;
}

// Run in the system's code page: 1252 as CTest finds each case, and 932 once more under the Japanese
// locale (tests/CMakeLists.txt), since Wine takes the code page from the locale a program starts in.
TEST(EndToEnd, AStoreAndASettingsFileWrittenInTheSystemsCodePageReadAsBefore)
{
    // 表 in code page 932 is 0x95 0x5C: its second byte is a backslash. 130 of them are 260 bytes,
    // a path the earlier program kept but could not read back, losing every favourite after it.
    std::string long932 = "C:\\", longUtf8 = "C:\\";
    for (int i = 0; i < 130; ++i) {
        long932 += "\x95\x5C";
        longUtf8 += "\xE8\xA1\xA8";
    }
    const struct {
        UINT codePage;
        std::string folder, name;         // the bytes, in the code page
        std::string folderUtf8, nameUtf8; // the characters they are
    } cases[] = {
        {1252, "C:\\Caf\xE9\\", "Caf\xE9 \xBD", "C:\\Caf\xC3\xA9\\", "Caf\xC3\xA9 \xC2\xBD"},
        {932, long932 + "\\", "\x93\xFA\x96\x7B", longUtf8 + "\\", "\xE6\x97\xA5\xE6\x9C\xAC"},
    };
    const std::vector<PathEntry> more = {{"C:\\B\\", "B", 5001}, {"C:\\C\\", "C", 5002}};
    auto expectRead = [&](const std::string& folder, const std::string& name) {
        CRegistryKey store;
        store.m_hRoot = HKEY_LOCAL_MACHINE;
        store.m_strKey = kUserRoot; // the same path, in the machine key's 32-bit view
        store.m_samView = KEY_WOW64_32KEY;
        CDialogList dialogs;
        CPathList paths;
        LoadPathLists(store, dialogs, paths);
        ASSERT_EQ(paths.size(), 3u);
        EXPECT_EQ(paths[0]->strPath, folder);
        EXPECT_EQ(paths[0]->strName, name);
        EXPECT_EQ(*paths[1], more[0]);
        EXPECT_EQ(*paths[2], more[1]);
    };
    // The run under the Japanese locale must really have code page 932, or it would test 1252 again.
    char expected[16] = {};
    if (::GetEnvironmentVariableA("TROVEL_EXPECT_ACP", expected, sizeof(expected)) > 0)
        ASSERT_EQ(::GetACP(), (UINT)std::atoi(expected));
    bool tested = false;
    for (const auto& c : cases) {
        if (c.codePage != ::GetACP())
            continue;
        tested = true;
        SCOPED_TRACE(c.codePage);

        // The first-run file, in the system's code page as ever; imported by the real program.
        ForgetInstallation();
        std::string file = "[PathList]\r\nP0=" + c.folder + "\r\nSN0=" + c.name + "\r\nID0=5000\r\n";
        for (size_t i = 0; i < more.size(); ++i)
            file += "P" + std::to_string(i + 1) + "=" + more[i].strPath + "\r\nSN" + std::to_string(i + 1) + "=" +
                    more[i].strName + "\r\nID" + std::to_string(i + 1) + "=" + std::to_string(more[i].nID) + "\r\n";
        WriteSettingsFile(file);
        {
            TrovelProcess trovel;
            ASSERT_TRUE(trovel.WaitUntil([&] { return TrayKnowsIcon(trovel.View(), kTrayIconId); }));
            ::PostMessageA(trovel.Frame(), kAppClose, 0, 0);
            ASSERT_TRUE(trovel.WaitForExit());
        }
        EXPECT_EQ(RawValue(HKEY_LOCAL_MACHINE, std::string(kRoot) + "\\PathList", "P0"), Utf8ToWide(c.folderUtf8) + L'\0');
        EXPECT_EQ(RawValue(HKEY_LOCAL_MACHINE, std::string(kRoot) + "\\PathList", "SN0"), Utf8ToWide(c.nameUtf8) + L'\0');
        expectRead(c.folderUtf8, c.nameUtf8);

        // A store the earlier program wrote, with the ANSI calls in that code page.
        ForgetInstallation();
        const std::string key = std::string(kUserRoot) + "\\PathList";
        const std::pair<const char*, std::string> values[] = {
            {"P0", c.folder},         {"SN0", c.name},          {"ID0", "5000"}, {"P1", more[0].strPath},
            {"SN1", more[0].strName}, {"ID1", "5001"},          {"P2", more[1].strPath},
            {"SN2", more[1].strName}, {"ID2", "5002"}};
        for (const auto& v : values)
            ASSERT_TRUE(RunHelper(TROVEL_HELPER("trovel_old_store"), "\"" + key + "\" " + v.first + " " + HexOf(v.second)));
        expectRead(c.folderUtf8, c.nameUtf8);
    }
    EXPECT_TRUE(tested) << "no case for code page " << ::GetACP();
    ForgetInstallation();
}

TEST(EndToEnd, SecondStartBringsUpTheRunningCopysPreferencesAndEnds)
{
    SeenInstallation();
    TrovelProcess first;
    ASSERT_TRUE(first.WaitUntil([&] { return TrayKnowsIcon(first.View(), kTrayIconId); }));
    for (int start = 1; start <= 2; ++start) {
        TrovelProcess second;
        ASSERT_TRUE(second.WaitForExit());
        EXPECT_EQ(second.ExitCode(), 0u);
        EXPECT_FALSE(second.SawVisibleWindow());
        // The running copy shows its sheet, as on a double-click; a second request stacks no other.
        EXPECT_TRUE(first.WaitUntil([&] { return first.Shown("Preferences") != nullptr; }));
    }
    ::Sleep(300);
    int sheets = 0;
    for (HWND hWnd = ::FindWindowA("#32770", "Preferences"); hWnd != nullptr;
         hWnd = ::FindWindowExA(nullptr, hWnd, "#32770", "Preferences"))
        sheets += ::IsWindowVisible(hWnd) ? 1 : 0;
    EXPECT_EQ(sheets, 1);
    EXPECT_TRUE(first.Alive());
    EXPECT_TRUE(TrayKnowsIcon(first.View(), kTrayIconId));
    ::PostMessageA(first.Frame(), kAppClose, 0, 0);
    ASSERT_TRUE(first.WaitForExit());

    // Once the first has ended, a new start runs as usual.
    TrovelProcess again;
    ASSERT_TRUE(again.WaitUntil([&] { return TrayKnowsIcon(again.View(), kTrayIconId); }));
    ::PostMessageA(again.Frame(), kAppClose, 0, 0);
    EXPECT_TRUE(again.WaitForExit());
}

TEST(EndToEnd, RestartManagerEndWithPreferencesOpenSavesAndEndsTheProcess)
{
    const UINT kPreferences = 32771;
    const LPARAM kCloseApp = 0x1; // ENDSESSION_CLOSEAPP: the session goes on, only the program must end
    SeenInstallation();
    ASSERT_TRUE(WriteRawValue(HKEY_LOCAL_MACHINE, std::string(kRoot) + "\\PathList", "P0", std::string("C:\\", 4)));
    ASSERT_TRUE(WriteRawValue(HKEY_LOCAL_MACHINE, std::string(kRoot) + "\\PathList", "SN0", std::string("Drive", 6)));
    ASSERT_TRUE(WriteRawValue(HKEY_LOCAL_MACHINE, std::string(kRoot) + "\\PathList", "ID0", std::string("5000", 5)));
    DeleteKeyTree(HKEY_LOCAL_MACHINE, std::string(kRoot) + "\\PtrList");
    {
        TrovelProcess trovel;
        ASSERT_TRUE(trovel.WaitUntil([&] { return TrayKnowsIcon(trovel.View(), kTrayIconId); }));
        HWND hView = trovel.View();
        ::PostMessageA(hView, WM_COMMAND, kPreferences, 0);
        ASSERT_TRUE(trovel.WaitUntil([&] { return trovel.Shown("Preferences") != nullptr; }));
        DWORD_PTR result = 0;
        ::SendMessageTimeoutA(trovel.Frame(), WM_QUERYENDSESSION, 0, kCloseApp, SMTO_NORMAL, 30000, &result);
        ::SendMessageTimeoutA(trovel.Frame(), WM_ENDSESSION, TRUE, kCloseApp, SMTO_NORMAL, 30000, &result);
        ASSERT_TRUE(trovel.WaitForExit());
        EXPECT_EQ(trovel.ExitCode(), 0u);
        EXPECT_FALSE(TrayKnowsIcon(hView, kTrayIconId));
    }
    // Kept as stored: the run changed nothing, so it wrote nothing back.
    EXPECT_EQ(Stored("PathList"), (std::vector<std::string>{":<ID0>=<5000>", ":<P0>=<C:\\>", ":<SN0>=<Drive>"}));
    EXPECT_EQ(Stored("PtrList"), std::vector<std::string>{});
    // The single-copy name went with the process: the next start runs.
    TrovelProcess again;
    ASSERT_TRUE(again.WaitUntil([&] { return TrayKnowsIcon(again.View(), kTrayIconId); }));
    ::PostMessageA(again.Frame(), kAppClose, 0, 0);
    EXPECT_TRUE(again.WaitForExit());
}

TEST(EndToEnd, MachineKeyClosedToTheUserKeepsTheirSettingsInAKeyOfTheirOwn)
{
    SeenInstallation();
    ASSERT_TRUE(WriteRawValue(HKEY_LOCAL_MACHINE, std::string(kRoot) + "\\PathList", "P0", std::string("C:\\", 4)));
    ASSERT_TRUE(WriteRawValue(HKEY_LOCAL_MACHINE, std::string(kRoot) + "\\PathList", "SN0", std::string("Drive", 6)));
    ASSERT_TRUE(WriteRawValue(HKEY_LOCAL_MACHINE, std::string(kRoot) + "\\PathList", "ID0", std::string("5000", 5)));
    ASSERT_TRUE(SetKeyWritable(HKEY_LOCAL_MACHINE, kRoot, false)); // a standard user's view of it
    const std::vector<std::string> machine = DumpKeyTree(HKEY_LOCAL_MACHINE, kRoot);
    for (int start = 1; start <= 2; ++start) {
        TrovelProcess trovel;
        ASSERT_TRUE(trovel.WaitUntil([&] { return TrayKnowsIcon(trovel.View(), kTrayIconId); }));
        // Answered once the start routine is over: a box it put up is on the screen now, and stays
        // until answered, so this one look cannot miss it.
        ASSERT_TRUE(Send(trovel.Frame(), WM_NULL));
        trovel.Sample();
        EXPECT_FALSE(trovel.SawVisibleWindow()) << trovel.SawVisibleClass(); // saved, so nothing to tell
        ::PostMessageA(trovel.Frame(), kAppClose, 0, 0);
        ASSERT_TRUE(trovel.WaitForExit());
        EXPECT_TRUE(trovel.HelpViewers().empty()); // the new-user flag set beforehand holds
    }
    EXPECT_EQ(DumpKeyTree(HKEY_LOCAL_MACHINE, kRoot), machine);
    EXPECT_EQ(DumpKeyTree(HKEY_CURRENT_USER, kUserRoot),
              (std::vector<std::string>{"Newbie\\", "Newbie:<Help>=<1>", "PathList\\", "PathList:<ID0>=<5000>",
                                        "PathList:<P0>=<C:\\>", "PathList:<SN0>=<Drive>"}));
    SetKeyWritable(HKEY_LOCAL_MACHINE, kRoot, true);
    DeleteKeyTree(HKEY_CURRENT_USER, kUserRoot);
}

TEST(EndToEnd, RestartedShellGetsTheIconBack)
{
    SeenInstallation();
    TrovelProcess trovel;
    ASSERT_TRUE(trovel.WaitUntil([&] { return TrayKnowsIcon(trovel.View(), kTrayIconId); }));
    HWND hView = trovel.View();
    NOTIFYICONDATAA nid = {};
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = hView;
    nid.uID = kTrayIconId;
    ASSERT_TRUE(::Shell_NotifyIconA(NIM_DELETE, &nid)); // what a restarted shell has forgotten
    ASSERT_FALSE(TrayKnowsIcon(hView, kTrayIconId));
    // The shell's broadcast reaches top-level windows, and of the program that is the frame.
    Send(trovel.Frame(), ::RegisterWindowMessageA("TaskbarCreated"));
    EXPECT_TRUE(trovel.WaitUntil([&] { return TrayKnowsIcon(hView, kTrayIconId); }));
    ::PostMessageA(trovel.Frame(), kAppClose, 0, 0);
    EXPECT_TRUE(trovel.WaitForExit());
}

TEST(EndToEnd, ShutdownWithPreferencesAndTheAboutBoxOpenClosesThemAndSaves)
{
    const UINT kPreferences = 32771, kAbout = 1013;
    SeenInstallation();
    ASSERT_TRUE(WriteRawValue(HKEY_LOCAL_MACHINE, std::string(kRoot) + "\\PathList", "P0", std::string("C:\\", 4)));
    ASSERT_TRUE(WriteRawValue(HKEY_LOCAL_MACHINE, std::string(kRoot) + "\\PathList", "SN0", std::string("Drive", 6)));
    ASSERT_TRUE(WriteRawValue(HKEY_LOCAL_MACHINE, std::string(kRoot) + "\\PathList", "ID0", std::string("5000", 5)));
    TrovelProcess trovel;
    ASSERT_TRUE(trovel.WaitUntil([&] { return TrayKnowsIcon(trovel.View(), kTrayIconId); }));
    ::PostMessageA(trovel.View(), WM_COMMAND, kPreferences, 0);
    HWND hSheet = nullptr;
    ASSERT_TRUE(trovel.WaitUntil([&] { return (hSheet = trovel.Shown("Preferences")) != nullptr; }));
    // The "Other Settings" page, and its About button: the box opens over the sheet.
    ::PostMessageA(hSheet, PSM_SETCURSEL, 1, 0);
    HWND hPage = nullptr;
    ASSERT_TRUE(trovel.WaitUntil([&] {
        hPage = ::FindWindowExA(hSheet, nullptr, "#32770", "Other Settings");
        return hPage != nullptr && ::IsWindowVisible(hPage);
    }));
    ::PostMessageA(hPage, WM_COMMAND, MAKEWPARAM(kAbout, BN_CLICKED), (LPARAM)::GetDlgItem(hPage, kAbout));
    ASSERT_TRUE(trovel.WaitUntil([&] { return trovel.Shown("About Trovel") != nullptr; }));

    // Sent from this process: both dialogs close, then the program ends as usual.
    EXPECT_TRUE(Send(trovel.Frame(), kAppClose));
    ASSERT_TRUE(trovel.WaitForExit());
    EXPECT_EQ(trovel.ExitCode(), 0u);
    // Kept as stored: the run changed nothing, so it wrote nothing back.
    EXPECT_EQ(Stored("PathList"), (std::vector<std::string>{":<ID0>=<5000>", ":<P0>=<C:\\>", ":<SN0>=<Drive>"}));
    EXPECT_EQ(Stored("PtrList"), std::vector<std::string>{});
    EXPECT_EQ(Stored("Tree"), std::vector<std::string>{}); // closed without OK: nothing of the sheet's written
}

TEST(EndToEnd, FileArgumentOpensItAsTheDocumentAndShowsTheFrame)
{
    SeenInstallation();
    char tempDir[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, tempDir);
    const std::string document = std::string(tempDir) + "Trovel e2e document.txt";
    FILE* pFile = std::fopen(document.c_str(), "wb");
    ASSERT_NE(pFile, nullptr);
    std::fclose(pFile);
    {
        TrovelProcess trovel("\"" + document + "\"");
        ASSERT_TRUE(trovel.WaitUntil([&] { return ::IsWindowVisible(trovel.Frame()) != FALSE; }));
        EXPECT_TRUE(trovel.SawVisibleWindow());
        ::PostMessageA(trovel.Frame(), kAppClose, 0, 0);
        EXPECT_TRUE(trovel.WaitForExit());
    }
    ::DeleteFileA(document.c_str());
}

} // namespace
