// Settings store on the registry; every operation opens what it needs and closes it again.
#include "app/RegistryKey.h"
#include "app/IniLines.h"

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>
#include <cstdlib>
#include <climits>

const wchar_t kFillingValue[] = L"Filling";

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
    m_known.clear(); // what was seen of another key is nothing to restore here
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
    std::vector<BYTE> data;
    if (::RegOpenKeyExW(m_hRoot, Utf8ToWide(SubKeyPath(pszSubKey)).c_str(), 0, KEY_READ | m_samView, &hKey) ==
        ERROR_SUCCESS) {
        const bool found = ReadRegistryValue(hKey, pszName, value.dwType, data);
        ::RegCloseKey(hKey);
        if (!found)
            return false;
        m_known[{pszSubKey, pszName}] = {value.dwType, data};
    } else {
        // With the key itself gone, the settings are what this run last saw; the next write puts them back.
        const auto known = m_known.find({pszSubKey, pszName});
        if (known == m_known.end() || RootExists())
            return false;
        value.dwType = known->second.first;
        data = known->second.second;
    }
    if (value.dwType == REG_SZ || value.dwType == REG_EXPAND_SZ) {
        value.strText = RegistryText(value.dwType, data.data(), data.size());
    } else if ((value.dwType == REG_DWORD && data.size() >= 1 && data.size() <= 4) ||
               (value.dwType == REG_QWORD && data.size() >= 1 && data.size() <= 8)) {
        // Little-endian, as short as an editor left it; a QWORD beyond 32 bits is no value of ours.
        unsigned long long number = 0;
        std::memcpy(&number, data.data(), data.size());
        if (number <= 0xFFFFFFFFull) {
            value.dwNumber = (DWORD)number;
            value.bNumber = true;
        }
    }
    return true;
}

int CRegistryKey::ReadInt(const char* pszSubKey, const char* pszName, int nDefault) const
{
    StoredValue stored;
    if (!QueryValue(pszSubKey, pszName, stored))
        return nDefault;
    if (stored.bNumber)
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

CRegistryKey::TextRead CRegistryKey::ReadText(const char* pszSubKey, const char* pszName, std::string& text) const
{
    StoredValue stored;
    if (!QueryValue(pszSubKey, pszName, stored)) {
        // Present but not readable (access, a read that keeps failing) is no missing value.
        return ValueListed(pszSubKey, pszName) ? TextRead::NotText : TextRead::Missing;
    }
    if (stored.dwType != REG_SZ && stored.dwType != REG_EXPAND_SZ)
        return TextRead::NotText;
    text = stored.strText;
    return TextRead::Text;
}

bool CRegistryKey::ValueListed(const char* pszSubKey, const char* pszName) const
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExW(m_hRoot, Utf8ToWide(SubKeyPath(pszSubKey)).c_str(), 0, KEY_QUERY_VALUE | m_samView, &hKey) !=
        ERROR_SUCCESS)
        return false;
    const LONG status = ::RegQueryValueExW(hKey, Utf8ToWide(pszName).c_str(), nullptr, nullptr, nullptr, nullptr);
    ::RegCloseKey(hKey);
    return status != ERROR_FILE_NOT_FOUND;
}

bool CRegistryKey::SetValue(const char* pszSubKey, const char* pszName, DWORD dwType, const BYTE* pData,
                            DWORD cbData) const
{
    if (m_bReadOnly)
        return false;
    HKEY hKey = nullptr;
    if (::RegCreateKeyExW(m_hRoot, Utf8ToWide(SubKeyPath(pszSubKey)).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_WRITE | m_samView, nullptr, &hKey, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG status = ::RegSetValueExW(hKey, Utf8ToWide(pszName).c_str(), 0, dwType, pData, cbData);
    ::RegCloseKey(hKey);
    if (status != ERROR_SUCCESS)
        return false;
    m_known[{pszSubKey, pszName}] = {dwType, std::vector<BYTE>(pData, pData + cbData)};
    return true;
}

BOOL CRegistryKey::RootExists() const
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExW(m_hRoot, Utf8ToWide(m_strKey).c_str(), 0, KEY_QUERY_VALUE | m_samView, &hKey) != ERROR_SUCCESS)
        return FALSE;
    ::RegCloseKey(hKey);
    return TRUE;
}

void CRegistryKey::RestoreIfGone() const
{
    if (m_bRestoring || m_bReadOnly || m_known.empty() || RootExists())
        return;
    HKEY hKey = nullptr;
    DWORD disposition = 0;
    if (::RegCreateKeyExW(m_hRoot, Utf8ToWide(m_strKey).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_WRITE | m_samView, nullptr, &hKey, &disposition) != ERROR_SUCCESS)
        return;
    // Marked while it is written, so a start after a kill half-way takes it for no key at all.
    const wchar_t one[] = L"1";
    ::RegSetValueExW(hKey, kFillingValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(one), sizeof(one));
    m_bRestoring = true;
    const auto known = m_known;
    bool ok = true;
    for (const auto& value : known)
        ok = SetValue(value.first.first.c_str(), value.first.second.c_str(), value.second.first,
                      value.second.second.data(), (DWORD)value.second.second.size()) && ok;
    m_bRestoring = false;
    if (ok)
        ::RegDeleteValueW(hKey, kFillingValue);
    else
        m_bWriteFailed = TRUE;
    ::RegCloseKey(hKey);
}

BOOL CRegistryKey::WriteString(const char* pszSubKey, const char* pszName, const std::string& value) const
{
    RestoreIfGone();
    const std::wstring wide = Utf8ToWide(value);
    const bool ok = SetValue(pszSubKey, pszName, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                             (DWORD)((wide.size() + 1) * sizeof(wchar_t)));
    if (!ok)
        m_bWriteFailed = TRUE;
    return ok;
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

BOOL CRegistryKey::UpdateInt(const char* pszSubKey, const char* pszName, int nValue, bool bKeepType) const
{
    StoredValue stored;
    const bool found = QueryValue(pszSubKey, pszName, stored);
    const int nUnlikely = nValue == INT_MIN ? INT_MAX : INT_MIN;
    if (found && ReadInt(pszSubKey, pszName, nUnlikely) == nValue)
        return TRUE;
    if (!found || stored.dwType != REG_DWORD || !bKeepType)
        return WriteInt(pszSubKey, pszName, nValue);
    // An administrator's REG_DWORD stays one.
    RestoreIfGone();
    const DWORD dwValue = (DWORD)nValue;
    const bool ok = SetValue(pszSubKey, pszName, REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue), sizeof(dwValue));
    if (!ok)
        m_bWriteFailed = TRUE;
    return ok;
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

bool IsValidUtf8(const std::string& bytes)
{
    for (size_t i = 0; i < bytes.size();) {
        const unsigned char c = (unsigned char)bytes[i];
        size_t extra = 0;
        unsigned long code = 0, least = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1, code = c & 0x1F, least = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2, code = c & 0x0F, least = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3, code = c & 0x07, least = 0x10000;
        } else {
            return false;
        }
        if (i + extra >= bytes.size())
            return false;
        for (size_t k = 1; k <= extra; ++k) {
            const unsigned char t = (unsigned char)bytes[i + k];
            if ((t & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (t & 0x3F);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

namespace {
// UTF-16 of either byte order as UTF-8; false for an odd byte or a surrogate without its pair.
bool DecodeUtf16(const std::string& bytes, bool bBigEndian, std::string& text)
{
    if (bytes.size() % 2 != 0)
        return false;
    std::wstring wide(bytes.size() / 2, L'\0');
    for (size_t i = 0; i < wide.size(); ++i) {
        const unsigned char b0 = (unsigned char)bytes[2 * i], b1 = (unsigned char)bytes[2 * i + 1];
        wide[i] = (wchar_t)(bBigEndian ? (b0 << 8) | b1 : (b1 << 8) | b0);
    }
    for (size_t i = 0; i < wide.size(); ++i) {
        if (wide[i] >= 0xD800 && wide[i] <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] <= 0xDFFF)
            ++i;
        else if (wide[i] >= 0xD800 && wide[i] <= 0xDFFF)
            return false;
    }
    text = WideToUtf8(wide);
    return true;
}
}

bool DecodeSettingsFile(const std::string& bytes, UINT codePage, std::string& text)
{
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        text = bytes.substr(3);
        return IsValidUtf8(text) && text.find('\0') == std::string::npos;
    }
    if (bytes.compare(0, 2, "\xFF\xFE") == 0)
        return DecodeUtf16(bytes.substr(2), false, text);
    if (bytes.compare(0, 2, "\xFE\xFF") == 0)
        return DecodeUtf16(bytes.substr(2), true, text);
    if (bytes.find('\0') != std::string::npos)
        return false; // UTF-16 without its mark, or no text at all
    bool bAscii = true;
    for (char c : bytes)
        bAscii = bAscii && (unsigned char)c < 0x80;
    // Notepad's UTF-8 has no mark; text in an ANSI code page is seldom also valid UTF-8.
    text = !bAscii && IsValidUtf8(bytes) ? bytes : CodePageToUtf8(bytes, codePage);
    return true;
}

BOOL CRegistryKey::ImportIniFile(HKEY hKey, const std::string& fileName, UINT codePage) const
{
    std::string bytes;
    if (fileName.empty() || !ReadWholeFile(fileName, bytes))
        return FALSE;
    std::string text;
    if (!DecodeSettingsFile(bytes, codePage, text)) {
        m_strUndecodableFile = fileName;
        return TRUE;
    }

    HKEY hSection = nullptr;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        // A NUL (U+0000 in a UTF-16 file) ends a line's text, as it always did.
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
