// Registry observers for the tests.
#include "tests/support/RegistryDump.h"
#include "app/RegistryKey.h"
#include "fw/TextConv.h"

#include <sddl.h>

#include <algorithm>
#include <cstring>

bool WriteRawValue(HKEY hive, const std::string& keyPath, const char* pszName, const std::string& bytes, DWORD type,
                   bool bWide)
{
    HKEY hKey = nullptr;
    if (::RegCreateKeyExW(hive, Utf8ToWide(keyPath).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &hKey, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG status = bWide ? ::RegSetValueExW(hKey, Utf8ToWide(pszName).c_str(), 0, type,
                                           reinterpret_cast<const BYTE*>(bytes.data()), (DWORD)bytes.size())
                        : ::RegSetValueExA(hKey, pszName, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                           (DWORD)bytes.size());
    ::RegCloseKey(hKey);
    return status == ERROR_SUCCESS;
}

namespace {
bool QueryRaw(HKEY hive, const std::string& keyPath, const char* pszName, DWORD& type, std::vector<BYTE>& data)
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExW(hive, Utf8ToWide(keyPath).c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return false;
    bool found = ReadRegistryValue(hKey, pszName, type, data);
    ::RegCloseKey(hKey);
    return found;
}
}

std::wstring RawValue(HKEY hive, const std::string& keyPath, const char* pszName)
{
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!QueryRaw(hive, keyPath, pszName, type, data))
        return L"<missing>";
    std::wstring units(data.size() / sizeof(wchar_t), L'\0');
    if (!units.empty())
        std::memcpy(&units[0], data.data(), units.size() * sizeof(wchar_t));
    return units;
}

DWORD RawValueType(HKEY hive, const std::string& keyPath, const char* pszName)
{
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    return QueryRaw(hive, keyPath, pszName, type, data) ? type : REG_NONE;
}

bool DeleteKeyTree(HKEY hive, const std::string& keyPath)
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExW(hive, Utf8ToWide(keyPath).c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return true;
    std::vector<std::string> subKeys;
    wchar_t name[256];
    for (DWORD i = 0, len = 256; ::RegEnumKeyExW(hKey, i, name, &len, nullptr, nullptr, nullptr, nullptr) ==
                                 ERROR_SUCCESS;
         ++i, len = 256)
        subKeys.push_back(WideToUtf8(name));
    ::RegCloseKey(hKey);
    for (const std::string& sub : subKeys)
        DeleteKeyTree(hive, keyPath + "\\" + sub);
    return ::RegDeleteKeyW(hive, Utf8ToWide(keyPath).c_str()) == ERROR_SUCCESS;
}

namespace {
// Values of a key by name, then each sub-key by name: the key line first, then what it holds.
void DumpInto(HKEY hKey, const std::string& relPath, std::vector<std::string>& out)
{
    std::vector<std::pair<std::string, std::string>> values;
    for (DWORD i = 0;; ++i) {
        wchar_t wideName[16384];
        DWORD nameLen = 16384;
        DWORD type = 0;
        DWORD size = 0;
        if (::RegEnumValueW(hKey, i, wideName, &nameLen, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            break;
        std::string data(size, '\0');
        nameLen = 16384;
        ::RegEnumValueW(hKey, i, wideName, &nameLen, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size);
        data.resize(size);
        if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) // texts as UTF-8, NULs kept
            data = WideToUtf8(std::wstring_view(reinterpret_cast<const wchar_t*>(data.data()), data.size() / 2));
        bool plainText = type == REG_SZ && !data.empty() && data.find('\0') == data.size() - 1;
        if (plainText)
            data.pop_back();
        const std::string name = WideToUtf8(wideName);
        values.emplace_back(name, relPath + ":<" + name + ">=<" + data + ">" + (plainText ? "" : " !raw"));
    }
    std::sort(values.begin(), values.end());
    for (const auto& value : values)
        out.push_back(value.second);

    std::vector<std::string> subKeys;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLen = 256;
        if (::RegEnumKeyExW(hKey, i, name, &nameLen, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        subKeys.push_back(WideToUtf8(name));
    }
    std::sort(subKeys.begin(), subKeys.end());
    for (const std::string& name : subKeys) {
        std::string childPath = relPath.empty() ? name : relPath + "\\" + name;
        out.push_back(childPath + "\\");
        HKEY hChild = nullptr;
        if (::RegOpenKeyExW(hKey, Utf8ToWide(name).c_str(), 0, KEY_READ, &hChild) == ERROR_SUCCESS) {
            DumpInto(hChild, childPath, out);
            ::RegCloseKey(hChild);
        }
    }
}
}

std::vector<std::string> DumpKeyTree(HKEY hive, const std::string& keyPath)
{
    std::vector<std::string> out;
    HKEY hKey = nullptr;
    if (::RegOpenKeyExW(hive, Utf8ToWide(keyPath).c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return out;
    DumpInto(hKey, "", out);
    ::RegCloseKey(hKey);
    return out;
}

bool SetKeyWritable(HKEY hive, const std::string& keyPath, bool bWritable, REGSAM samView)
{
    // Everyone may do everything, except (when closed) set values and make sub-keys.
    const char* pszSddl = bWritable ? "D:(A;;KA;;;WD)" : "D:(D;;0x6;;;WD)(A;;KA;;;WD)";
    PSECURITY_DESCRIPTOR pSd = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(pszSddl, SDDL_REVISION_1, &pSd, nullptr))
        return false;
    HKEY hKey = nullptr;
    bool ok = ::RegOpenKeyExA(hive, keyPath.c_str(), 0, WRITE_DAC | samView, &hKey) == ERROR_SUCCESS;
    if (ok) {
        ok = ::RegSetKeySecurity(hKey, DACL_SECURITY_INFORMATION, pSd) == ERROR_SUCCESS;
        ::RegCloseKey(hKey);
    }
    ::LocalFree(pSd);
    return ok;
}

KeyWatch::KeyWatch(HKEY hive, const std::string& keyPath)
{
    m_hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (::RegOpenKeyExW(hive, Utf8ToWide(keyPath).c_str(), 0, KEY_NOTIFY, &m_hKey) != ERROR_SUCCESS ||
        ::RegNotifyChangeKeyValue(m_hKey, FALSE, REG_NOTIFY_CHANGE_LAST_SET, m_hEvent, TRUE) != ERROR_SUCCESS) {
        if (m_hKey != nullptr)
            ::RegCloseKey(m_hKey);
        m_hKey = nullptr;
    }
}

KeyWatch::~KeyWatch()
{
    if (m_hKey != nullptr)
        ::RegCloseKey(m_hKey);
    if (m_hEvent != nullptr)
        ::CloseHandle(m_hEvent);
}
