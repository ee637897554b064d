// The user's Run value for Trovel.
#include "app/StartWithWindows.h"

const wchar_t kRunKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kRunValueName[] = L"Trovel";

std::wstring StartCommandFor(const std::wstring& exePath)
{
    return L"\"" + exePath + L"\"";
}

std::wstring RunningExePath()
{
    // The call cuts without saying so, except that a full buffer means it may have: grow and ask again.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, &path[0], (DWORD)path.size());
        if (length == 0)
            return std::wstring();
        if (length < path.size() - 1) {
            path.resize(length);
            return path;
        }
        if (path.size() >= 32768)
            return std::wstring();
        path.resize(path.size() * 2);
    }
}

bool StartsWithWindows()
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kRunKeyPath, 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS)
        return false;
    const bool present = ::RegQueryValueExW(hKey, kRunValueName, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    ::RegCloseKey(hKey);
    return present;
}

bool SetStartsWithWindows(bool on)
{
    HKEY hKey = nullptr;
    if (!on) {
        LONG opened = ::RegOpenKeyExW(HKEY_CURRENT_USER, kRunKeyPath, 0, KEY_SET_VALUE, &hKey);
        if (opened == ERROR_FILE_NOT_FOUND)
            return true;
        if (opened != ERROR_SUCCESS)
            return false;
        const LONG deleted = ::RegDeleteValueW(hKey, kRunValueName);
        ::RegCloseKey(hKey);
        return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
    }
    const std::wstring exe = RunningExePath();
    if (exe.empty())
        return false;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kRunKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hKey, nullptr) != ERROR_SUCCESS)
        return false;
    const std::wstring command = StartCommandFor(exe);
    const LONG written = ::RegSetValueExW(hKey, kRunValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                                          (DWORD)((command.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(hKey);
    return written == ERROR_SUCCESS;
}
