// The 64-bit installer of dist/ (scripts/package.sh), end to end in a fresh prefix: silent install,
// Trovel started, installed again over the running copy, silent uninstall with Trovel running; then
// nothing of it remains but the settings. Installed again, an uninstall whose question is answered
// Yes removes the settings too.
#include "fw/TextConv.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <cstring>
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

std::string SetupExe()
{
    WIN32_FIND_DATAA found = {};
    HANDLE hFind = ::FindFirstFileA(TROVEL_DIST_DIR "Trovel-*-win64-setup.exe", &found);
    if (hFind == INVALID_HANDLE_VALUE)
        return std::string();
    ::FindClose(hFind);
    return std::string(TROVEL_DIST_DIR) + found.cFileName;
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

// A value of the installer's Uninstall entry, in the 64-bit view; empty when missing.
std::string UninstallValue(const char* pszName, DWORD* pType = nullptr)
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ | KEY_WOW64_64KEY, &hKey) != ERROR_SUCCESS)
        return std::string();
    char data[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH, type = 0;
    LONG result = ::RegQueryValueExA(hKey, pszName, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    ::RegCloseKey(hKey);
    if (pType != nullptr)
        *pType = type;
    return result == ERROR_SUCCESS ? std::string(data, type == REG_SZ && size > 0 ? size - 1 : size) : std::string();
}

std::string UninstallText(const char* pszName)
{
    DWORD type = 0;
    std::string value = UninstallValue(pszName, &type);
    return type == REG_SZ ? value : std::string("(not a text)");
}

DWORD UninstallNumber(const char* pszName)
{
    DWORD type = 0, number = ~0u;
    std::string value = UninstallValue(pszName, &type);
    if (type == REG_DWORD && value.size() == sizeof(DWORD))
        std::memcpy(&number, value.data(), sizeof(DWORD));
    return number;
}

TEST(Installer, InstallsOverARunningCopyAndUninstallsLeavingOnlyTheSettingsUnlessAsked)
{
    const std::string setup = SetupExe();
    ASSERT_FALSE(setup.empty()) << "no dist\\Trovel-*-win64-setup.exe: run scripts/package.sh";
    // Trovel-<version>-win64-setup.exe
    const size_t start = setup.rfind("Trovel-") + 7;
    const std::string version = setup.substr(start, setup.rfind("-win64") - start);
    const std::string dir = Folder(CSIDL_PROGRAM_FILES) + "\\Trovel\\";
    const std::string menu = Folder(CSIDL_COMMON_PROGRAMS) + "\\Trovel\\";
    const std::string startup = Folder(CSIDL_COMMON_STARTUP) + "\\Trovel.lnk";
    const char* const installed[] = {"Trovel.exe", "Trovel.chm", "README.txt", "Uninstall.exe"};
    const char* const shortcuts[] = {"Trovel.lnk", "Trovel Help.lnk", "Uninstall Trovel.lnk"};

    ASSERT_EQ(RunToEnd("\"" + setup + "\" /S"), 0u);
    for (const char* name : installed)
        EXPECT_TRUE(Exists(dir + name)) << name;
    for (const char* name : shortcuts)
        EXPECT_TRUE(Exists(menu + name)) << name;
    EXPECT_TRUE(Exists(startup));
    EXPECT_EQ(UninstallText("DisplayName"), "Trovel " + version + " (64-bit)");
    EXPECT_EQ(UninstallText("DisplayVersion"), version);
    EXPECT_EQ(UninstallText("Publisher"), "Larkfield Software");
    EXPECT_EQ(UninstallText("DisplayIcon"), dir + "Trovel.exe,0");
    EXPECT_EQ(UninstallText("UninstallString"), "\"" + dir + "Uninstall.exe\"");
    EXPECT_EQ(UninstallText("QuietUninstallString"), "\"" + dir + "Uninstall.exe\" /S");
    EXPECT_EQ(UninstallNumber("NoModify"), 1u);
    EXPECT_EQ(UninstallNumber("NoRepair"), 1u);
    const DWORD sizeKb = UninstallNumber("EstimatedSize");
    EXPECT_TRUE(sizeKb > 100 && sizeKb < 10000) << sizeKb;

    {
        // Installing again closes the running copy first; it ends as on Shutdown, saving its settings.
        Process trovel("\"" + dir + "Trovel.exe\"");
        ASSERT_TRUE(WaitUntil([&] { return FrameOf(trovel.Id()); }));
        ASSERT_EQ(RunToEnd("\"" + setup + "\" /S"), 0u);
        EXPECT_TRUE(trovel.Ended());
        EXPECT_EQ(trovel.ExitCode(), 0u);
        EXPECT_TRUE(Exists(dir + "Trovel.exe"));
    }
    {
        // The uninstaller closes it too. It runs from a copy of itself, so its end is waited for.
        Process trovel("\"" + dir + "Trovel.exe\"");
        ASSERT_TRUE(WaitUntil([&] { return FrameOf(trovel.Id()); }));
        ASSERT_EQ(RunToEnd(UninstallText("QuietUninstallString")), 0u);
        EXPECT_TRUE(WaitUntil([&] { return !Exists(dir) && !KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_64KEY); }));
        EXPECT_TRUE(WaitUntil([&] { return ProcessNamed(kUninstallerCopy) == 0; }));
        EXPECT_TRUE(trovel.Ended());
        EXPECT_EQ(trovel.ExitCode(), 0u);
    }
    EXPECT_FALSE(Exists(dir));
    EXPECT_FALSE(Exists(menu));
    EXPECT_FALSE(Exists(startup));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_64KEY));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_32KEY));
    // What the runs of Trovel stored stays: a silent uninstall keeps the settings.
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kSettingsKey, KEY_WOW64_32KEY) ||
                KeyExists(HKEY_LOCAL_MACHINE, kSettingsKey, KEY_WOW64_64KEY));

    // Asked, the user may remove them: the machine key in both views and the user's own copy.
    ASSERT_EQ(RunToEnd("\"" + setup + "\" /S"), 0u);
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY})
        ASSERT_TRUE(WriteFavourite(HKEY_LOCAL_MACHINE, view));
    ASSERT_TRUE(WriteFavourite(HKEY_CURRENT_USER, 0));
    EXPECT_TRUE(UninstallAnsweringYes(dir + "Uninstall.exe"));
    EXPECT_FALSE(Exists(dir));
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey, view));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Larkfield Software", view));
    }
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Larkfield Software", 0));
}

} // namespace
