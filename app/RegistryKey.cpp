// Settings store on the registry; every operation opens what it needs and closes it again.
#include "app/RegistryKey.h"
#include "app/IniLines.h"
#include "fw/WinApp.h"

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
    return ::RegCreateKeyExA(hive, pszPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, phKey,
                             pdwDisposition) == ERROR_SUCCESS;
}

bool CRegistryKey::QueryText(const char* pszSubKey, const char* pszName, std::string& text) const
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(m_hRoot, SubKeyPath(pszSubKey).c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return false;
    // One spare byte, always NUL, so that data stored without a terminator still ends.
    char buffer[kValueBufferSize + 1] = {};
    DWORD size = kValueBufferSize;
    LONG status = ::RegQueryValueExA(hKey, pszName, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
    ::RegCloseKey(hKey);
    if (status != ERROR_SUCCESS)
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

BOOL CRegistryKey::WriteString(const char* pszSubKey, const char* pszName, const char* pszValue) const
{
    HKEY hKey = nullptr;
    if (::RegCreateKeyExA(m_hRoot, SubKeyPath(pszSubKey).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                          nullptr, &hKey, nullptr) != ERROR_SUCCESS)
        return FALSE;
    LONG status = ::RegSetValueExA(hKey, pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(pszValue),
                                   (DWORD)strlen(pszValue) + 1);
    ::RegCloseKey(hKey);
    return status == ERROR_SUCCESS;
}

BOOL CRegistryKey::WriteInt(const char* pszSubKey, const char* pszName, int nValue) const
{
    char text[16];
    std::snprintf(text, sizeof(text), "%d", nValue);
    return WriteString(pszSubKey, pszName, text);
}

void CRegistryKey::ImportIni(HKEY hKey) const
{
    char windowsDir[MAX_PATH] = {};
    UINT len = ::GetWindowsDirectoryA(windowsDir, MAX_PATH);
    if (len == 0 || len >= MAX_PATH || AfxGetApp() == nullptr)
        return;
    std::string fileName = std::string(windowsDir) + "\\" + AfxGetApp()->m_strAppName + ".INI";
    FILE* pFile = std::fopen(fileName.c_str(), "r");
    if (pFile == nullptr)
        return;

    HKEY hSection = nullptr;
    char line[kIniLineMax + 1];
    while (std::fgets(line, sizeof(line), pFile) != nullptr) {
        IniLine parsed = ParseIniLine(line);
        if (parsed.kind == IniLine::Section) {
            if (hSection != nullptr)
                ::RegCloseKey(hSection);
            hSection = nullptr;
            if (::RegCreateKeyExA(hKey, parsed.name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                                  &hSection, nullptr) != ERROR_SUCCESS) {
                hSection = nullptr;
                break; // a section that cannot be created ends the import
            }
        } else if (parsed.kind == IniLine::Value && hSection != nullptr) {
            ::RegSetValueExA(hSection, parsed.name.c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(parsed.value.c_str()), (DWORD)parsed.value.size() + 1);
        }
    }
    if (hSection != nullptr)
        ::RegCloseKey(hSection);
    std::fclose(pFile);
}
