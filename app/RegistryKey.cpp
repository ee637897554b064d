// Settings store on the registry; every operation opens what it needs and closes it again.
#include "app/RegistryKey.h"
#include "app/IniLines.h"

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>
#include <cstdlib>
#include <climits>

bool ParseDecimal(const char* pszText, int& nValue)
{
    const char* p = pszText;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    const char* digits = p + ((*p == '+' || *p == '-') ? 1 : 0);
    if (*digits < '0' || *digits > '9')
        return false;
    long long value = std::strtoll(p, nullptr, 10);
    // Out of range texts saturate rather than wrap.
    if (value > INT_MAX)
        value = INT_MAX;
    if (value < INT_MIN)
        value = INT_MIN;
    nValue = (int)value;
    return true;
}

BOOL CRegistryKey::OpenRoot(HKEY* phKey, DWORD* pdwDisposition, HKEY hive, const char* pszPath)
{
    m_strKey = pszPath;
    m_hRoot = hive;
    return ::RegCreateKeyExW(hive, Utf8ToWide(pszPath).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                             KEY_WRITE | m_samView, nullptr, phKey, pdwDisposition) == ERROR_SUCCESS;
}

bool ReadRegistryValue(HKEY hKey, const std::string& name, DWORD& dwType, std::vector<BYTE>& data)
{
    // Asked for its size first; another program may change it between the two calls, so again
    // while it has grown.
    const std::wstring wideName = Utf8ToWide(name);
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = 0;
        LONG status = ::RegQueryValueExW(hKey, wideName.c_str(), nullptr, &dwType, nullptr, &size);
        if (status != ERROR_SUCCESS)
            return false;
        data.assign(size + sizeof(wchar_t), 0); // a spare terminator for data stored without one
        status = ::RegQueryValueExW(hKey, wideName.c_str(), nullptr, &dwType, data.data(), &size);
        if (status == ERROR_SUCCESS) {
            data.resize(size);
            return true;
        }
        if (status != ERROR_MORE_DATA)
            return false;
    }
    return false;
}

std::string RegistryText(DWORD dwType, const BYTE* pData, size_t cbData)
{
    // Up to the first terminator, or the whole data when it has none; an odd last byte is no character.
    std::wstring text(cbData / sizeof(wchar_t), L'\0');
    if (!text.empty())
        std::memcpy(&text[0], pData, text.size() * sizeof(wchar_t));
    text.resize(std::wcslen(text.c_str()));
    if (dwType == REG_EXPAND_SZ && text.find(L'%') != std::wstring::npos) {
        DWORD len = ::ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
        std::wstring expanded(len, L'\0');
        if (len > 0 && ::ExpandEnvironmentStringsW(text.c_str(), &expanded[0], len) == len) {
            expanded.resize(len - 1);
            text = expanded;
        }
    }
    return WideToUtf8(text);
}

bool CRegistryKey::QueryValue(const char* pszSubKey, const char* pszName, StoredValue& value) const
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExW(m_hRoot, Utf8ToWide(SubKeyPath(pszSubKey)).c_str(), 0, KEY_READ | m_samView, &hKey) !=
        ERROR_SUCCESS)
        return false;
    std::vector<BYTE> data;
    bool found = ReadRegistryValue(hKey, pszName, value.dwType, data);
    ::RegCloseKey(hKey);
    if (!found)
        return false;
    if (value.dwType == REG_SZ || value.dwType == REG_EXPAND_SZ) {
        value.strText = RegistryText(value.dwType, data.data(), data.size());
    } else if (value.dwType == REG_DWORD && data.size() >= sizeof(DWORD)) {
        std::memcpy(&value.dwNumber, data.data(), sizeof(DWORD));
    }
    return true;
}

int CRegistryKey::ReadInt(const char* pszSubKey, const char* pszName, int nDefault) const
{
    StoredValue stored;
    if (!QueryValue(pszSubKey, pszName, stored))
        return nDefault;
    if (stored.dwType == REG_DWORD)
        return (int)stored.dwNumber;
    int value = 0;
    if ((stored.dwType != REG_SZ && stored.dwType != REG_EXPAND_SZ) || !ParseDecimal(stored.strText.c_str(), value))
        return nDefault;
    return value;
}

std::string CRegistryKey::ReadString(const char* pszSubKey, const char* pszName, const char* pszDefault) const
{
    StoredValue stored;
    if (!QueryValue(pszSubKey, pszName, stored) || (stored.dwType != REG_SZ && stored.dwType != REG_EXPAND_SZ))
        return std::string(pszDefault);
    return stored.strText;
}

BOOL CRegistryKey::ValueExists(const char* pszSubKey, const char* pszName) const
{
    StoredValue stored;
    return QueryValue(pszSubKey, pszName, stored);
}

BOOL CRegistryKey::WriteString(const char* pszSubKey, const char* pszName, const std::string& value) const
{
    HKEY hKey = nullptr;
    LONG status = ERROR_ACCESS_DENIED;
    if (!m_bReadOnly &&
        ::RegCreateKeyExW(m_hRoot, Utf8ToWide(SubKeyPath(pszSubKey)).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_WRITE | m_samView, nullptr, &hKey, nullptr) == ERROR_SUCCESS) {
        const std::wstring wide = Utf8ToWide(value);
        status = ::RegSetValueExW(hKey, Utf8ToWide(pszName).c_str(), 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(wide.c_str()),
                                  (DWORD)((wide.size() + 1) * sizeof(wchar_t)));
        ::RegCloseKey(hKey);
    }
    if (status != ERROR_SUCCESS)
        m_bWriteFailed = TRUE;
    return status == ERROR_SUCCESS;
}

BOOL CRegistryKey::WriteInt(const char* pszSubKey, const char* pszName, int nValue) const
{
    return WriteString(pszSubKey, pszName, std::to_string(nValue));
}

BOOL CRegistryKey::UpdateString(const char* pszSubKey, const char* pszName, const std::string& value) const
{
    StoredValue stored;
    if (QueryValue(pszSubKey, pszName, stored) && (stored.dwType == REG_SZ || stored.dwType == REG_EXPAND_SZ) &&
        stored.strText == value)
        return TRUE;
    return WriteString(pszSubKey, pszName, value);
}

BOOL CRegistryKey::UpdateInt(const char* pszSubKey, const char* pszName, int nValue) const
{
    const int nUnlikely = nValue == INT_MIN ? INT_MAX : INT_MIN;
    if (ValueExists(pszSubKey, pszName) && ReadInt(pszSubKey, pszName, nUnlikely) == nValue)
        return TRUE;
    return WriteInt(pszSubKey, pszName, nValue);
}

std::string FirstRunFilePath(const std::string& appName)
{
    // The exe is marked terminal-server aware, so on a Remote Desktop server this is the machine's
    // Windows folder, where the file was put, and not the user's private one.
    UINT len = ::GetWindowsDirectoryW(nullptr, 0);
    if (len == 0)
        return "";
    std::wstring windowsDir(len, L'\0');
    len = ::GetWindowsDirectoryW(&windowsDir[0], len);
    if (len == 0 || len >= windowsDir.size())
        return "";
    windowsDir.resize(len);
    return WideToUtf8(windowsDir) + "\\" + appName + ".INI";
}

std::string DecodeSettingsFile(const std::string& bytes, UINT codePage)
{
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        return bytes.substr(3);
    if (bytes.size() >= 2 && (unsigned char)bytes[0] == 0xFF && (unsigned char)bytes[1] == 0xFE) {
        std::wstring wide((bytes.size() - 2) / sizeof(wchar_t), L'\0');
        if (!wide.empty())
            std::memcpy(&wide[0], bytes.data() + 2, wide.size() * sizeof(wchar_t));
        return WideToUtf8(wide);
    }
    return CodePageToUtf8(bytes, codePage);
}

BOOL CRegistryKey::ImportIniFile(HKEY hKey, const std::string& fileName, UINT codePage) const
{
    std::string bytes;
    if (fileName.empty() || !ReadWholeFile(fileName, bytes))
        return FALSE;
    const std::string text = DecodeSettingsFile(bytes, codePage);

    HKEY hSection = nullptr;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        // A NUL ends a line's text, as it always did.
        const std::string line = text.substr(start, end - start);
        IniLine parsed = ParseIniLine(line.substr(0, line.find('\0')));
        start = end + 1;
        if (parsed.kind == IniLine::Section) {
            if (hSection != nullptr)
                ::RegCloseKey(hSection);
            hSection = nullptr;
            if (::RegCreateKeyExW(hKey, Utf8ToWide(parsed.name).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_WRITE | m_samView, nullptr, &hSection, nullptr) != ERROR_SUCCESS) {
                hSection = nullptr;
                break; // a section that cannot be created ends the import
            }
        } else if (parsed.kind == IniLine::Value && hSection != nullptr) {
            const std::wstring value = Utf8ToWide(parsed.value);
            ::RegSetValueExW(hSection, Utf8ToWide(parsed.name).c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(value.c_str()), (DWORD)((value.size() + 1) * sizeof(wchar_t)));
        }
    }
    if (hSection != nullptr)
        ::RegCloseKey(hSection);
    return TRUE;
}

BOOL ReadWholeFile(const std::string& fileName, std::string& bytes)
{
    HANDLE hFile = ::CreateFileW(Utf8ToWide(fileName).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return FALSE;
    bytes.clear();
    char buffer[4096];
    DWORD read = 0;
    BOOL ok = TRUE;
    while ((ok = ::ReadFile(hFile, buffer, sizeof(buffer), &read, nullptr)) && read > 0)
        bytes.append(buffer, read);
    ::CloseHandle(hFile);
    return ok;
}
