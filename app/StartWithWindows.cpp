// The user's Run value for Trovel.
#include "app/StartWithWindows.h"
#include "fw/WinApp.h"

const char kRunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunValueName[] = "Trovel";

std::string LongPathOf(const std::string& path)
{
    // Absent before Windows 2000 (NT 4.0 then keeps the path as it is).
    using GetLongPathNameFn = DWORD(WINAPI*)(LPCWSTR, LPWSTR, DWORD);
    const auto pfnGetLongPathName = AfxGetSystemProc<GetLongPathNameFn>("kernel32.dll", "GetLongPathNameW");
    if (pfnGetLongPathName == nullptr)
        return path;
    const std::wstring wide = Utf8ToWide(path);
    std::wstring longPath(MAX_PATH, L'\0');
    DWORD len = pfnGetLongPathName(wide.c_str(), &longPath[0], (DWORD)longPath.size());
    if (len >= longPath.size()) {
        longPath.assign(len, L'\0');
        len = pfnGetLongPathName(wide.c_str(), &longPath[0], (DWORD)longPath.size());
    }
    if (len == 0 || len >= longPath.size())
        return path;
    longPath.resize(len);
    return WideToUtf8(longPath);
}

std::string StartCommandFor(const std::string& exePath)
{
    // The long form, which the uninstaller and the setup write and compare.
    return "\"" + LongPathOf(exePath) + "\"";
}

bool StartsWithWindows()
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, Utf8ToWide(kRunKeyPath).c_str(), 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS)
        return false;
    const bool present = ::RegQueryValueExW(hKey, Utf8ToWide(kRunValueName).c_str(), nullptr, nullptr, nullptr,
                                            nullptr) == ERROR_SUCCESS;
    ::RegCloseKey(hKey);
    return present;
}

bool SetStartsWithWindows(bool on)
{
    const std::wstring keyPath = Utf8ToWide(kRunKeyPath), valueName = Utf8ToWide(kRunValueName);
    HKEY hKey = nullptr;
    if (!on) {
        LONG opened = ::RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_SET_VALUE, &hKey);
        if (opened == ERROR_FILE_NOT_FOUND)
            return true;
        if (opened != ERROR_SUCCESS)
            return false;
        const LONG deleted = ::RegDeleteValueW(hKey, valueName.c_str());
        ::RegCloseKey(hKey);
        return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
    }
    const std::string exe = AfxGetModuleFileName(nullptr);
    if (exe.empty())
        return false;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hKey, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const std::wstring command = Utf8ToWide(StartCommandFor(exe));
    const LONG written = ::RegSetValueExW(hKey, valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                                          (DWORD)((command.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(hKey);
    return written == ERROR_SUCCESS;
}
