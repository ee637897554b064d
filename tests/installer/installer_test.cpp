// The one setup of dist/ (scripts/package.sh), end to end in a fresh prefix of 64-bit Windows: each
// install mode, silent, over a running copy, which is started again; uninstalls that leave nothing
// but the settings (and a sibling key under "Larkfield Software") unless asked; the per-user mode
// writing nothing under HKLM; an upgrade over a 1.3 installation made by the 1.3 script; the start
// with Windows choice kept; the 32-bit exe inside being build/win32's.
#include "fw/TextConv.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include "tests/harness/Harness.h"
#include "tests/support/RegistryDump.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <functional>
#include <string>

namespace {

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Trovel";
const char kSettingsKey[] = "Software\\Larkfield Software\\Trovel";

bool WaitUntil(const std::function<bool()>& done, DWORD limit = 30000)
{
    for (DWORD start = ::GetTickCount(); !done(); ::Sleep(50)) {
        if (::GetTickCount() - start > limit)
            return false;
    }
    return true;
}

std::string Folder(int csidl)
{
    char path[MAX_PATH] = {};
    ::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

bool Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// dist's setup, Trovel-<version>-setup.exe (a 32-bit program: it does not run on the Wine here).
std::string ShippedSetup()
{
    WIN32_FIND_DATAA found = {};
    HANDLE hFind = ::FindFirstFileA(TROVEL_DIST_DIR "Trovel-*-setup.exe", &found);
    if (hFind == INVALID_HANDLE_VALUE)
        return std::string();
    ::FindClose(hFind);
    return std::string(TROVEL_DIST_DIR) + found.cFileName;
}

// The same setup, script and files, built by package.sh on NSIS's 64-bit stub: the one run here.
std::string SetupExe()
{
    const std::string copy = TROVEL_TEST_BIN_DIR "Trovel-setup-amd64-stub.exe";
    return ::GetFileAttributesA(copy.c_str()) != INVALID_FILE_ATTRIBUTES && !ShippedSetup().empty() ? copy : std::string();
}

// A started program; ended at the end of the test if it is still there.
class Process {
public:
    explicit Process(std::string commandLine)
    {
        STARTUPINFOA si = {};
        si.cb = sizeof(si);
        m_bStarted = ::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_pi);
    }
    ~Process()
    {
        if (!m_bStarted)
            return;
        if (::WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT)
            ::TerminateProcess(m_pi.hProcess, 1);
        ::CloseHandle(m_pi.hThread);
        ::CloseHandle(m_pi.hProcess);
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool Started() const { return m_bStarted; }
    // Started up and waiting for input: past reading its settings.
    bool Idle() const { return m_bStarted && ::WaitForInputIdle(m_pi.hProcess, 20000) == 0; }
    DWORD Id() const { return m_pi.dwProcessId; }
    bool Ended(DWORD wait = 0) const { return m_bStarted && ::WaitForSingleObject(m_pi.hProcess, wait) == WAIT_OBJECT_0; }
    DWORD ExitCode() const
    {
        DWORD code = STILL_ACTIVE;
        ::GetExitCodeProcess(m_pi.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION m_pi = {};
    bool m_bStarted = false;
};

// Runs a command to its end; its exit code, or ~0 when it did not start or end.
DWORD RunToEnd(const std::string& commandLine)
{
    Process process(commandLine);
    return process.Ended(60000) ? process.ExitCode() : ~0u;
}

// Trovel's frame belongs to the given process.
bool FrameOf(DWORD pid)
{
    for (HWND hWnd = nullptr; (hWnd = ::FindWindowExA(nullptr, hWnd, "TrovelFrameWnd", nullptr)) != nullptr;) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(hWnd, &owner);
        if (owner == pid)
            return true;
    }
    return false;
}

// The id of a running process of that file name, or 0.
DWORD ProcessNamed(const char* pszName)
{
    DWORD pid = 0;
    HANDLE hSnap = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 pe = {};
    pe.dwSize = sizeof(pe);
    for (BOOL more = ::Process32First(hSnap, &pe); more && pid == 0; more = ::Process32Next(hSnap, &pe))
        if (WideToUtf8(pe.szExeFile) == pszName)
            pid = pe.th32ProcessID;
    ::CloseHandle(hSnap);
    return pid;
}

// The uninstaller runs from a copy of itself, named Un.exe by this NSIS; its end is waited for.
const char kUninstallerCopy[] = "Un.exe";

// Drives the uninstaller's copy as a user would: its confirm page's button, "Yes" to the question
// about the settings, then the last page's button. True when it ended after asking that question.
bool UninstallAnsweringYes(const std::string& uninstaller)
{
    if (RunToEnd("\"" + uninstaller + "\"") != 0)
        return false;
    bool asked = false;
    bool ended = WaitUntil([&] {
        const DWORD pid = ProcessNamed(kUninstallerCopy);
        if (pid == 0)
            return true;
        for (HWND hWnd = nullptr; (hWnd = ::FindWindowExA(nullptr, hWnd, "#32770", nullptr)) != nullptr;) {
            DWORD owner = 0;
            ::GetWindowThreadProcessId(hWnd, &owner);
            if (owner != pid || !::IsWindowVisible(hWnd))
                continue;
            HWND hYes = ::GetDlgItem(hWnd, IDYES), hNext = ::GetDlgItem(hWnd, IDOK);
            if (hYes != nullptr) {
                asked = true;
                ::PostMessageA(hWnd, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), (LPARAM)hYes);
            } else if (hNext != nullptr && ::IsWindowEnabled(hNext) && ::IsWindowVisible(hNext)) {
                ::PostMessageA(hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)hNext);
            } else {
                continue;
            }
            ::Sleep(300); // one click per page
            break;
        }
        return false;
    });
    return ended && asked;
}

bool KeyExists(HKEY hive, const char* pszKey, REGSAM view)
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(hive, pszKey, 0, KEY_READ | view, &hKey) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(hKey);
    return true;
}

// A favourite in the settings key of that hive and view, as Trovel stores it.
bool WriteFavourite(HKEY hive, REGSAM view)
{
    HKEY hKey = nullptr;
    if (::RegCreateKeyExA(hive, (std::string(kSettingsKey) + "\\PathList").c_str(), 0, nullptr, 0, KEY_WRITE | view,
                          nullptr, &hKey, nullptr) != ERROR_SUCCESS)
        return false;
    bool written = ::RegSetValueExA(hKey, "P0", 0, REG_SZ, reinterpret_cast<const BYTE*>("C:\\"), 4) == ERROR_SUCCESS;
    ::RegCloseKey(hKey);
    return written;
}

// A value of the installer's Uninstall entry, in the 64-bit view of that hive; empty when missing.
std::string UninstallValue(const char* pszName, DWORD* pType = nullptr, HKEY hive = HKEY_LOCAL_MACHINE)
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(hive, kUninstallKey, 0, KEY_READ | KEY_WOW64_64KEY, &hKey) != ERROR_SUCCESS)
        return std::string();
    char data[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH, type = 0;
    LONG result = ::RegQueryValueExA(hKey, pszName, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    ::RegCloseKey(hKey);
    if (pType != nullptr)
        *pType = type;
    return result == ERROR_SUCCESS ? std::string(data, type == REG_SZ && size > 0 ? size - 1 : size) : std::string();
}

std::string UninstallText(const char* pszName, HKEY hive = HKEY_LOCAL_MACHINE)
{
    DWORD type = 0;
    std::string value = UninstallValue(pszName, &type, hive);
    return type == REG_SZ ? value : std::string("(not a text)");
}

DWORD UninstallNumber(const char* pszName, HKEY hive = HKEY_LOCAL_MACHINE)
{
    DWORD type = 0, number = ~0u;
    std::string value = UninstallValue(pszName, &type, hive);
    if (type == REG_DWORD && value.size() == sizeof(DWORD))
        std::memcpy(&number, value.data(), sizeof(DWORD));
    return number;
}


const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kMissing[] = "<missing>";

// The user's Run value "Trovel", or "<missing>".
std::string RunValue()
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return kMissing;
    char data[MAX_PATH * 2] = {};
    DWORD size = sizeof(data) - 1, type = 0;
    LONG result = ::RegQueryValueExA(hKey, "Trovel", nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    ::RegCloseKey(hKey);
    return result == ERROR_SUCCESS ? std::string(data) : std::string(kMissing);
}

void SetRunValue(const std::string& text)
{
    HKEY hKey = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_WRITE, nullptr, &hKey, nullptr), ERROR_SUCCESS);
    if (text == kMissing)
        ::RegDeleteValueA(hKey, "Trovel");
    else
        ::RegSetValueExA(hKey, "Trovel", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), (DWORD)text.size() + 1);
    ::RegCloseKey(hKey);
}

// A REG_SZ value, its key made in that view.
bool WriteText(HKEY hive, const std::string& key, const char* pszName, const std::string& text, REGSAM view)
{
    HKEY hKey = nullptr;
    if (::RegCreateKeyExA(hive, key.c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr, &hKey, nullptr) != ERROR_SUCCESS)
        return false;
    bool written = ::RegSetValueExA(hKey, pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                    (DWORD)text.size() + 1) == ERROR_SUCCESS;
    ::RegCloseKey(hKey);
    return written;
}

std::string ReadText(HKEY hive, const std::string& key, const char* pszName, REGSAM view)
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(hive, key.c_str(), 0, KEY_READ | view, &hKey) != ERROR_SUCCESS)
        return kMissing;
    char data[MAX_PATH] = {};
    DWORD size = sizeof(data) - 1;
    LONG result = ::RegQueryValueExA(hKey, pszName, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    ::RegCloseKey(hKey);
    return result == ERROR_SUCCESS ? std::string(data) : std::string(kMissing);
}

std::string FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The processor an exe is built for: 0x8664 x86-64, 0x14C i386; 0 when it is no PE file.
unsigned PeMachine(const std::string& bytes)
{
    if (bytes.size() < 0x40)
        return 0;
    DWORD pe = 0;
    std::memcpy(&pe, bytes.data() + 0x3C, sizeof(pe));
    if (pe + 6 > bytes.size() || bytes.compare(pe, 4, std::string("PE\0\0", 4)) != 0)
        return 0;
    WORD machine = 0;
    std::memcpy(&machine, bytes.data() + pe + 4, sizeof(machine));
    return machine;
}

// The process of a Trovel frame other than the given one's, or 0.
DWORD OtherFrame(DWORD notPid)
{
    for (HWND hWnd = nullptr; (hWnd = ::FindWindowExA(nullptr, hWnd, "TrovelFrameWnd", nullptr)) != nullptr;) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(hWnd, &owner);
        if (owner != notPid)
            return owner;
    }
    return 0;
}

// Ends every Trovel of this desktop as Shutdown does and waits for it; one still starting (setup
// starts a closed copy again through the shell, a moment after it ends) is waited for first.
void EndEveryTrovel()
{
    ::Sleep(500);
    for (DWORD start = ::GetTickCount(); ProcessNamed("Trovel.exe") != 0 && !::FindWindowA("TrovelFrameWnd", nullptr) &&
                                         ::GetTickCount() - start < 10000;)
        ::Sleep(50);
    for (HWND hWnd; (hWnd = ::FindWindowA("TrovelFrameWnd", nullptr)) != nullptr;) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(hWnd, &pid);
        HANDLE hProcess = ::OpenProcess(SYNCHRONIZE, FALSE, pid);
        ::PostMessageA(hWnd, 0x8020, 0, 0);
        if (hProcess != nullptr) {
            ::WaitForSingleObject(hProcess, 10000);
            ::CloseHandle(hProcess);
        }
    }
}

std::string Version(const std::string&)
{
    // dist\Trovel-<version>-setup.exe
    const std::string setup = ShippedSetup();
    const size_t start = setup.rfind("Trovel-") + 7;
    return setup.substr(start, setup.rfind("-setup") - start);
}

// The lines of one listing missing from the other, for a failure message.
std::string Difference(const std::vector<std::string>& a, const std::vector<std::string>& b)
{
    std::string text;
    for (const std::string& line : a)
        if (std::find(b.begin(), b.end(), line) == b.end())
            text += "  " + line + "\n";
    return text;
}

const char* const kInstalled[] = {"Trovel.exe", "Trovel.chm", "README.txt", "Uninstall.exe"};
const char* const kShortcuts[] = {"Trovel.lnk", "Trovel Help.lnk", "Uninstall Trovel.lnk"};
const char kSibling[] = "Software\\Larkfield Software\\Another Program";

TEST(Installer, AllUsersInstallsTheNativeExeRestartsAClosedCopyAndUninstallsLeavingOnlyTheSettingsUnlessAsked)
{
    EndEveryTrovel(); // none left by an earlier test of this prefix
    const std::string setup = SetupExe();
    ASSERT_FALSE(setup.empty()) << "no dist\\Trovel-*-setup.exe: run scripts/package.sh";
    const std::string version = Version(setup);
    const std::string dir = Folder(CSIDL_PROGRAM_FILES) + "\\Trovel\\";
    const std::string menu = Folder(CSIDL_COMMON_PROGRAMS) + "\\Trovel\\";
    const std::string startup = Folder(CSIDL_COMMON_STARTUP) + "\\Trovel.lnk";
    const std::string quotedExe = "\"" + dir + "Trovel.exe\"";
    SetRunValue(kMissing);

    ASSERT_EQ(RunToEnd("\"" + setup + "\" /S /AllUsers"), 0u);
    for (const char* name : kInstalled)
        EXPECT_TRUE(Exists(dir + name)) << name;
    for (const char* name : kShortcuts)
        EXPECT_TRUE(Exists(menu + name)) << name;
    const std::string exe = FileBytes(dir + "Trovel.exe");
    EXPECT_EQ(PeMachine(exe), 0x8664u); // the 64-bit one on 64-bit Windows
    EXPECT_TRUE(exe == FileBytes(TROVEL_EXE)) << "not build/win64's Trovel.exe";
    EXPECT_FALSE(Exists(startup)); // the Run value instead
    EXPECT_EQ(RunValue(), quotedExe);
    EXPECT_EQ(UninstallText("DisplayName"), "Trovel " + version + " (64-bit)");
    EXPECT_EQ(UninstallText("DisplayVersion"), version);
    EXPECT_EQ(UninstallText("Publisher"), "Larkfield Software");
    EXPECT_EQ(UninstallText("DisplayIcon"), dir + "Trovel.exe,0");
    EXPECT_EQ(UninstallText("UninstallString"), "\"" + dir + "Uninstall.exe\" /AllUsers");
    EXPECT_EQ(UninstallText("QuietUninstallString"), "\"" + dir + "Uninstall.exe\" /AllUsers /S");
    EXPECT_EQ(UninstallNumber("NoModify"), 1u);
    EXPECT_EQ(UninstallNumber("NoRepair"), 1u);
    const DWORD sizeKb = UninstallNumber("EstimatedSize");
    EXPECT_TRUE(sizeKb > 100 && sizeKb < 10000) << sizeKb;
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUninstallKey, 0));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_32KEY));

    DWORD restarted = 0;
    {
        // Installing again closes the running copy first (it ends as on Shutdown) and starts it again.
        Process trovel(quotedExe);
        ASSERT_TRUE(WaitUntil([&] { return FrameOf(trovel.Id()); }));
        ASSERT_EQ(RunToEnd("\"" + setup + "\" /S /AllUsers"), 0u);
        EXPECT_TRUE(trovel.Ended());
        EXPECT_EQ(trovel.ExitCode(), 0u);
        EXPECT_TRUE(WaitUntil([&] { return (restarted = OtherFrame(trovel.Id())) != 0; })) << "not started again";
    }
    // The uninstaller closes it too. It runs from a copy of itself, so its end is waited for.
    ASSERT_EQ(RunToEnd(UninstallText("QuietUninstallString")), 0u);
    EXPECT_TRUE(WaitUntil([&] { return !Exists(dir) && !KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_64KEY); }));
    EXPECT_TRUE(WaitUntil([&] { return ProcessNamed(kUninstallerCopy) == 0; }));
    EXPECT_TRUE(restarted == 0 || !FrameOf(restarted));
    EXPECT_FALSE(Exists(dir));
    EXPECT_FALSE(Exists(menu));
    EXPECT_FALSE(Exists(startup));
    EXPECT_EQ(RunValue(), kMissing);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_64KEY));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_32KEY));
    // What the runs of Trovel stored stays: a silent uninstall keeps the settings.
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kSettingsKey, KEY_WOW64_32KEY) ||
                KeyExists(HKEY_LOCAL_MACHINE, kSettingsKey, KEY_WOW64_64KEY));

    // Asked, the user may remove them: the machine key in both views and the user's own copy; another
    // program's key beside them stays.
    ASSERT_EQ(RunToEnd("\"" + setup + "\" /S /AllUsers"), 0u);
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        ASSERT_TRUE(WriteFavourite(HKEY_LOCAL_MACHINE, view));
        ASSERT_TRUE(WriteText(HKEY_LOCAL_MACHINE, kSibling, "Kept", "yes", view));
    }
    ASSERT_TRUE(WriteFavourite(HKEY_CURRENT_USER, 0));
    ASSERT_TRUE(WriteText(HKEY_CURRENT_USER, kSibling, "Kept", "yes", 0));
    // A Run value naming the exe by its short (8.3) path, as an older copy started that way stored it.
    char shortExe[MAX_PATH] = {};
    ASSERT_NE(::GetShortPathNameA((dir + "Trovel.exe").c_str(), shortExe, MAX_PATH), 0u);
    ASSERT_NE(std::string(shortExe), dir + "Trovel.exe");
    SetRunValue("\"" + std::string(shortExe) + "\"");
    EXPECT_TRUE(UninstallAnsweringYes(dir + "Uninstall.exe"));
    EXPECT_FALSE(Exists(dir));
    EXPECT_EQ(RunValue(), kMissing);
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey, view));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kSettingsKey, view));
        EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kSibling, "Kept", view), "yes");
        DeleteKeyTree(HKEY_LOCAL_MACHINE, view == KEY_WOW64_32KEY ? "Software\\Wow6432Node\\Larkfield Software"
                                                                  : "Software\\Larkfield Software");
    }
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey, 0));
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kSibling, "Kept", 0), "yes");
    DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Larkfield Software");
    EndEveryTrovel();
}

TEST(Installer, CurrentUserInstallsIntoTheProfileWritesNothingUnderHklmAndUninstallsItsOwnItems)
{
    EndEveryTrovel(); // none left by an earlier test of this prefix
    const std::string setup = SetupExe();
    ASSERT_FALSE(setup.empty());
    const std::string dir = Folder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Trovel\\";
    const std::string menu = Folder(CSIDL_PROGRAMS) + "\\Trovel\\";
    const std::string quotedExe = "\"" + dir + "Trovel.exe\"";
    SetRunValue(kMissing);

    const std::vector<std::string> before = DumpKeyTree(HKEY_LOCAL_MACHINE, "Software");
    ASSERT_EQ(RunToEnd("\"" + setup + "\" /S /CurrentUser"), 0u);
    const std::vector<std::string> after = DumpKeyTree(HKEY_LOCAL_MACHINE, "Software");
    EXPECT_GT(before.size(), 100u);
    EXPECT_TRUE(before == after) << "added under HKLM\\Software:\n" << Difference(after, before) << "removed:\n"
                                 << Difference(before, after);
    for (const char* name : kInstalled)
        EXPECT_TRUE(Exists(dir + name)) << name;
    for (const char* name : kShortcuts)
        EXPECT_TRUE(Exists(menu + name)) << name;
    EXPECT_FALSE(Exists(Folder(CSIDL_COMMON_PROGRAMS) + "\\Trovel"));
    EXPECT_FALSE(Exists(Folder(CSIDL_PROGRAM_FILES) + "\\Trovel"));
    EXPECT_EQ(PeMachine(FileBytes(dir + "Trovel.exe")), 0x8664u);
    EXPECT_EQ(UninstallText("UninstallString", HKEY_CURRENT_USER), "\"" + dir + "Uninstall.exe\" /CurrentUser");
    EXPECT_EQ(UninstallText("InstallLocation", HKEY_CURRENT_USER), dir.substr(0, dir.size() - 1));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_64KEY));
    EXPECT_EQ(RunValue(), quotedExe);

    {
        // Over a running copy: closed, and started again as the user.
        Process trovel(quotedExe);
        ASSERT_TRUE(WaitUntil([&] { return FrameOf(trovel.Id()); }));
        ASSERT_EQ(RunToEnd("\"" + setup + "\" /S /CurrentUser"), 0u);
        EXPECT_TRUE(trovel.Ended());
        EXPECT_TRUE(WaitUntil([&] { return OtherFrame(trovel.Id()) != 0; })) << "not started again";
    }

    // The uninstaller started without a mode finds its own from the entry naming its folder. Asked, it
    // removes the user's settings, never the machine key that other users share, nor a sibling key.
    ASSERT_TRUE(WriteFavourite(HKEY_CURRENT_USER, 0));
    ASSERT_TRUE(WriteText(HKEY_CURRENT_USER, kSibling, "Kept", "yes", 0));
    ASSERT_TRUE(WriteFavourite(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY));
    EXPECT_TRUE(UninstallAnsweringYes(dir + "Uninstall.exe"));
    EXPECT_FALSE(Exists(dir));
    EXPECT_FALSE(Exists(menu));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUninstallKey, 0));
    EXPECT_EQ(RunValue(), kMissing);
    EXPECT_EQ(OtherFrame(0), 0u);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey, 0));
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kSibling, "Kept", 0), "yes");
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kSettingsKey, KEY_WOW64_32KEY));
    DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Larkfield Software");
    EndEveryTrovel();
}

TEST(Installer, UpgradesA13InstallationWithARunningCopyAndKeepsTheStartUpChoice)
{
    EndEveryTrovel(); // none left by an earlier test of this prefix
    const std::string setup = SetupExe();
    ASSERT_FALSE(setup.empty());
    const std::string dir = Folder(CSIDL_PROGRAM_FILES) + "\\Trovel\\";
    const std::string menu = Folder(CSIDL_COMMON_PROGRAMS) + "\\Trovel\\";
    const std::string startup = Folder(CSIDL_COMMON_STARTUP) + "\\Trovel.lnk";
    const std::string quotedExe = "\"" + dir + "Trovel.exe\"";
    const std::string pathList = std::string(kSettingsKey) + "\\PathList";
    SetRunValue(kMissing);

    ASSERT_EQ(RunToEnd(std::string("\"") + TROVEL_TEST_BIN_DIR + "Trovel-1.3-win64-setup.exe\" /S"), 0u);
    ASSERT_EQ(UninstallText("DisplayVersion"), "1.3");
    ASSERT_TRUE(Exists(startup)); // 1.3's start-up choice: a shortcut for all users
    // No user key before the machine key, and no first-start help (its viewer would hold the help
    // file open).
    DeleteKeyTree(HKEY_CURRENT_USER, kSettingsKey);
    ASSERT_TRUE(WriteText(HKEY_LOCAL_MACHINE, std::string(kSettingsKey) + "\\Newbie", "Help", "1", KEY_WOW64_32KEY));
    {
        // Favourites the running copy holds unsaved: added in its Preferences (by the demo helper)
        // while their key refused writes, so OK could not store them and the copy says so. Setup
        // must close it so that it saves them on its way out.
        ASSERT_TRUE(WriteText(HKEY_LOCAL_MACHINE, pathList, "P0", "", KEY_WOW64_32KEY));
        ASSERT_TRUE(SetKeyWritable(HKEY_LOCAL_MACHINE, pathList, false, KEY_WOW64_32KEY));
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        const std::string flags = std::string(temp) + "trovel-flags";
        ::CreateDirectoryA(flags.c_str(), nullptr);
        for (const char* page : {"\\page1", "\\page2"}) // no screenshots: go straight on
            ::CloseHandle(::CreateFileA((flags + page).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_EQ(RunToEnd("\"" TROVEL_HELPER("trovel_prefs_demo") "\" \"" + dir + "Trovel.exe\" \"" + flags + "\" --leave-running"), 0u);
        HWND hFrame = ::FindWindowA("TrovelFrameWnd", nullptr);
        ASSERT_NE(hFrame, nullptr);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(hFrame, &pid);
        HANDLE hTrovel = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
        ASSERT_NE(hTrovel, nullptr);
        // The copy's box "settings not saved" is answered; then the key takes writes again.
        HWND hBox = nullptr;
        EXPECT_TRUE(WaitUntil([&] {
            for (hBox = nullptr; (hBox = ::FindWindowExA(nullptr, hBox, "#32770", nullptr)) != nullptr;) {
                DWORD owner = 0;
                ::GetWindowThreadProcessId(hBox, &owner);
                if (owner == pid && ::IsWindowVisible(hBox))
                    return true;
            }
            return false;
        }, 10000)) << "the copy did not tell that its favourites were not saved";
        if (hBox != nullptr)
            ::PostMessageA(hBox, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(SetKeyWritable(HKEY_LOCAL_MACHINE, pathList, true, KEY_WOW64_32KEY));
        ASSERT_EQ(ReadText(HKEY_LOCAL_MACHINE, pathList, "P0", KEY_WOW64_32KEY), "");

        ASSERT_EQ(RunToEnd("\"" + setup + "\" /S"), 0u);
        EXPECT_EQ(::WaitForSingleObject(hTrovel, 0), WAIT_OBJECT_0);
        DWORD code = STILL_ACTIVE;
        ::GetExitCodeProcess(hTrovel, &code);
        EXPECT_EQ(code, 0u); // ended as on Shutdown, not killed
        ::CloseHandle(hTrovel);
        EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, pathList, "P1", KEY_WOW64_32KEY), "C:\\Projects\\Trovel Demo\\Letters\\")
            << "favourites not saved";
        EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, pathList, "SN1", KEY_WOW64_32KEY), "Letters to answer");
        EXPECT_TRUE(WaitUntil([&] { return OtherFrame(pid) != 0; })) << "not started again";
    }
    // One Uninstall entry, replaced; one Start-menu folder; the shortcut's choice is the Run value now.
    EXPECT_EQ(UninstallText("DisplayVersion"), Version(setup));
    EXPECT_EQ(UninstallText("UninstallString"), "\"" + dir + "Uninstall.exe\" /AllUsers");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUninstallKey, 0));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_32KEY));
    for (const char* name : kShortcuts)
        EXPECT_TRUE(Exists(menu + name)) << name;
    EXPECT_FALSE(Exists(Folder(CSIDL_PROGRAMS) + "\\Trovel"));
    EXPECT_FALSE(Exists(startup));
    EXPECT_FALSE(Exists(Folder(CSIDL_STARTUP) + "\\Trovel.lnk"));
    EXPECT_EQ(RunValue(), quotedExe);

    // A reinstall keeps the user's choice, whichever it is. Each closes the copy started again
    // and starts it once more: it is waited for, so the next run finds it.
    for (const char* choice : {kMissing, "\"C:\\Portable\\Trovel.exe\""}) {
        SetRunValue(choice);
        HWND hBefore = ::FindWindowA("TrovelFrameWnd", nullptr);
        DWORD before = 0;
        ::GetWindowThreadProcessId(hBefore, &before);
        ASSERT_EQ(RunToEnd("\"" + setup + "\" /S"), 0u);
        EXPECT_EQ(RunValue(), choice == kMissing ? std::string(kMissing) : quotedExe);
        EXPECT_TRUE(WaitUntil([&] { return OtherFrame(before) != 0; }));
    }
    // The uninstall leaves the value of another copy alone.
    SetRunValue("\"C:\\Portable\\Trovel.exe\"");
    ASSERT_EQ(RunToEnd(UninstallText("QuietUninstallString")), 0u);
    EXPECT_TRUE(WaitUntil([&] { return ProcessNamed(kUninstallerCopy) == 0 && !Exists(dir); }));
    EXPECT_EQ(RunValue(), "\"C:\\Portable\\Trovel.exe\"");
    SetRunValue(kMissing);
    EndEveryTrovel();
}

// A copy in another session has no window here but keeps its exe in use (held open here without
// sharing, as the loader does): setup waits, then stops before replacing anything.
TEST(Installer, ACopyInAnotherSessionLeavesTheInstallationAsItWas)
{
    EndEveryTrovel(); // none left by an earlier test of this prefix
    const std::string setup = SetupExe();
    ASSERT_FALSE(setup.empty());
    const std::string dir = Folder(CSIDL_PROGRAM_FILES) + "\\Trovel\\";
    SetRunValue(kMissing);
    ASSERT_EQ(RunToEnd(std::string("\"") + TROVEL_TEST_BIN_DIR + "Trovel-1.3-win64-setup.exe\" /S"), 0u);
    ASSERT_EQ(UninstallText("DisplayVersion"), "1.3");
    const std::string startup = Folder(CSIDL_COMMON_STARTUP) + "\\Trovel.lnk";
    HANDLE hExe = ::CreateFileA((dir + "Trovel.exe").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(hExe, INVALID_HANDLE_VALUE);
    const DWORD start = ::GetTickCount();
    Process run("\"" + setup + "\" /S");
    EXPECT_TRUE(run.Ended(90000));
    EXPECT_EQ(run.ExitCode(), 3u);
    EXPECT_GE(::GetTickCount() - start, 25000u); // it waited for the copy to end
    ::CloseHandle(hExe);
    EXPECT_EQ(UninstallText("DisplayVersion"), "1.3");
    EXPECT_TRUE(Exists(startup));
    EXPECT_EQ(RunValue(), kMissing);
    // Once it has ended, setup goes ahead.
    ASSERT_EQ(RunToEnd("\"" + setup + "\" /S"), 0u);
    EXPECT_EQ(UninstallText("DisplayVersion"), Version(setup));
    ASSERT_EQ(RunToEnd(UninstallText("QuietUninstallString")), 0u);
    EXPECT_TRUE(WaitUntil([&] { return ProcessNamed(kUninstallerCopy) == 0 && !Exists(dir); }));
    SetRunValue(kMissing);
    EndEveryTrovel();
}

TEST(Installer, TheShippedSetupIsOneThirtyTwoBitProgram)
{
    const std::string shipped = ShippedSetup();
    ASSERT_FALSE(shipped.empty());
    EXPECT_EQ(PeMachine(FileBytes(shipped)), 0x14Cu);
    // The only setup in dist: the per-flavour ones are gone.
    WIN32_FIND_DATAA found = {};
    int count = 0;
    HANDLE hFind = ::FindFirstFileA(TROVEL_DIST_DIR "*setup*", &found);
    for (BOOL more = hFind != INVALID_HANDLE_VALUE; more; more = ::FindNextFileA(hFind, &found))
        ++count;
    if (hFind != INVALID_HANDLE_VALUE)
        ::FindClose(hFind);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(Version(shipped), "2.0");
}

TEST(Installer, TheThirtyTwoBitExeInsideIsTheOneBuildWin32Made)
{
    EndEveryTrovel(); // none left by an earlier test of this prefix
    const std::string setup = SetupExe();
    ASSERT_FALSE(setup.empty());
    const std::string dir = Folder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Trovel\\";
    const std::string built = FileBytes(TROVEL_WIN32_EXE);
    ASSERT_EQ(PeMachine(built), 0x14Cu) << TROVEL_WIN32_EXE;
    ASSERT_EQ(RunToEnd("\"" + setup + "\" /S /CurrentUser /32bit"), 0u);
    EXPECT_TRUE(FileBytes(dir + "Trovel.exe") == built);
    EXPECT_EQ(UninstallText("DisplayName", HKEY_CURRENT_USER), "Trovel " + Version(setup) + " (32-bit)");
    ASSERT_EQ(RunToEnd(UninstallText("QuietUninstallString", HKEY_CURRENT_USER)), 0u);
    EXPECT_TRUE(WaitUntil([&] { return ProcessNamed(kUninstallerCopy) == 0 && !Exists(dir); }));
    SetRunValue(kMissing);
}

} // namespace
