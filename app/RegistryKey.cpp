// Settings store on the registry; every operation opens what it needs and closes it again.
#include "app/RegistryKey.h"
#include "app/IniLines.h"
#include "fw/MbcsText.h"

#include <cstdio>
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
    return ::RegCreateKeyExA(hive, pszPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE | m_samView, nullptr,
                             phKey, pdwDisposition) == ERROR_SUCCESS;
}

LONG CRegistryKey::QueryValue(const char* pszSubKey, const char* pszName, BYTE* pData, DWORD* pcbData) const
{
    HKEY hKey = nullptr;
    LONG status = ::RegOpenKeyExA(m_hRoot, SubKeyPath(pszSubKey).c_str(), 0, KEY_READ | m_samView, &hKey);
    if (status != ERROR_SUCCESS)
        return status;
    status = ::RegQueryValueExA(hKey, pszName, nullptr, nullptr, pData, pcbData);
    ::RegCloseKey(hKey);
    return status;
}

bool CRegistryKey::QueryText(const char* pszSubKey, const char* pszName, std::string& text) const
{
    // One spare byte, always NUL, so that data stored without a terminator still ends.
    char buffer[kValueBufferSize + 1] = {};
    DWORD size = kValueBufferSize;
    if (QueryValue(pszSubKey, pszName, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS)
        return false;
    text = buffer;
    return true;
}

int CRegistryKey::ReadInt(const char* pszSubKey, const char* pszName, int nDefault) const
{
    std::string text;
    int value = 0;
    if (!QueryText(pszSubKey, pszName, text) || !ParseDecimal(text.c_str(), value))
        return nDefault;
    return value;
}

std::string CRegistryKey::ReadString(const char* pszSubKey, const char* pszName, const char* pszDefault) const
{
    std::string text;
    return QueryText(pszSubKey, pszName, text) ? text : std::string(pszDefault);
}

BOOL CRegistryKey::ValueExists(const char* pszSubKey, const char* pszName) const
{
    return QueryValue(pszSubKey, pszName, nullptr, nullptr) == ERROR_SUCCESS;
}

BOOL CRegistryKey::WriteString(const char* pszSubKey, const char* pszName, const char* pszValue) const
{
    HKEY hKey = nullptr;
    LONG status = ERROR_ACCESS_DENIED;
    if (!m_bReadOnly &&
        ::RegCreateKeyExA(m_hRoot, SubKeyPath(pszSubKey).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_WRITE | m_samView, nullptr, &hKey, nullptr) == ERROR_SUCCESS) {
        status = ::RegSetValueExA(hKey, pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(pszValue),
                                  (DWORD)strlen(pszValue) + 1);
        ::RegCloseKey(hKey);
    }
    if (status != ERROR_SUCCESS)
        m_bWriteFailed = TRUE;
    return status == ERROR_SUCCESS;
}

BOOL CRegistryKey::WriteInt(const char* pszSubKey, const char* pszName, int nValue) const
{
    char text[16];
    std::snprintf(text, sizeof(text), "%d", nValue);
    return WriteString(pszSubKey, pszName, text);
}

std::string FirstRunFilePath(const std::string& appName)
{
    char windowsDir[MAX_PATH] = {};
    UINT len = ::GetWindowsDirectoryA(windowsDir, MAX_PATH);
    if (len == 0 || len >= MAX_PATH)
        return "";
    return std::string(windowsDir) + "\\" + appName + ".INI";
}

namespace {
// A display name ("SN0", "SN1", ... under "PathList") longer than a read gives back would read as
// missing and end the list there, taking every later favourite with it.
bool IsDisplayNameValue(const std::string& section, const std::string& name)
{
    if (lstrcmpiA(section.c_str(), "PathList") != 0 || name.size() < 3 || (name[0] != 'S' && name[0] != 's') ||
        (name[1] != 'N' && name[1] != 'n'))
        return false;
    return name.find_first_not_of("0123456789", 2) == std::string::npos;
}
}

BOOL CRegistryKey::ImportIniFile(HKEY hKey, const std::string& fileName, UINT codePage) const
{
    FILE* pFile = fileName.empty() ? nullptr : std::fopen(fileName.c_str(), "r");
    if (pFile == nullptr)
        return FALSE;

    HKEY hSection = nullptr;
    std::string section;
    char line[kIniLineMax + 1];
    while (std::fgets(line, sizeof(line), pFile) != nullptr) {
        IniLine parsed = ParseIniLine(line);
        if (parsed.kind == IniLine::Section) {
            if (hSection != nullptr)
                ::RegCloseKey(hSection);
            hSection = nullptr;
            section = parsed.name;
            if (::RegCreateKeyExA(hKey, parsed.name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE | m_samView,
                                  nullptr, &hSection, nullptr) != ERROR_SUCCESS) {
                hSection = nullptr;
                break; // a section that cannot be created ends the import
            }
        } else if (parsed.kind == IniLine::Value && hSection != nullptr) {
            std::string value = parsed.value;
            if (IsDisplayNameValue(section, parsed.name))
                value = MbcsLeft(value, kValueBufferSize - 1, codePage);
            ::RegSetValueExA(hSection, parsed.name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             (DWORD)value.size() + 1);
        }
    }
    if (hSection != nullptr)
        ::RegCloseKey(hSection);
    std::fclose(pFile);
    return TRUE;
}
