// Registry observers for the tests.
#include "tests/support/RegistryDump.h"

#include <sddl.h>

#include <algorithm>

bool WriteRawValue(HKEY hive, const std::string& keyPath, const char* pszName, const std::string& bytes, DWORD type)
{
    HKEY hKey = nullptr;
    if (::RegCreateKeyExA(hive, keyPath.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &hKey, nullptr) != ERROR_SUCCESS)
        return false;
    LONG status = ::RegSetValueExA(hKey, pszName, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                   (DWORD)bytes.size());
    ::RegCloseKey(hKey);
    return status == ERROR_SUCCESS;
}

bool DeleteKeyTree(HKEY hive, const std::string& keyPath)
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(hive, keyPath.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return true;
    std::vector<std::string> subKeys;
    char name[256];
    for (DWORD i = 0, len = sizeof(name); ::RegEnumKeyExA(hKey, i, name, &len, nullptr, nullptr, nullptr, nullptr) ==
                                          ERROR_SUCCESS;
         ++i, len = sizeof(name))
        subKeys.push_back(name);
    ::RegCloseKey(hKey);
    for (const std::string& sub : subKeys)
        DeleteKeyTree(hive, keyPath + "\\" + sub);
    return ::RegDeleteKeyA(hive, keyPath.c_str()) == ERROR_SUCCESS;
}

namespace {
// Values of a key by name, then each sub-key by name: the key line first, then what it holds.
void DumpInto(HKEY hKey, const std::string& relPath, std::vector<std::string>& out)
{
    std::vector<std::pair<std::string, std::string>> values;
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD nameLen = sizeof(name);
        DWORD type = 0;
        DWORD size = 0;
        if (::RegEnumValueA(hKey, i, name, &nameLen, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            break;
        std::string data(size, '\0');
        nameLen = sizeof(name);
        ::RegEnumValueA(hKey, i, name, &nameLen, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size);
        data.resize(size);
        bool plainText = type == REG_SZ && !data.empty() && data.find('\0') == data.size() - 1;
        if (plainText)
            data.pop_back();
        values.emplace_back(name, relPath + ":<" + name + ">=<" + data + ">" + (plainText ? "" : " !raw"));
    }
    std::sort(values.begin(), values.end());
    for (const auto& value : values)
        out.push_back(value.second);

    std::vector<std::string> subKeys;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameLen = sizeof(name);
        if (::RegEnumKeyExA(hKey, i, name, &nameLen, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        subKeys.push_back(name);
    }
    std::sort(subKeys.begin(), subKeys.end());
    for (const std::string& name : subKeys) {
        std::string childPath = relPath.empty() ? name : relPath + "\\" + name;
        out.push_back(childPath + "\\");
        HKEY hChild = nullptr;
        if (::RegOpenKeyExA(hKey, name.c_str(), 0, KEY_READ, &hChild) == ERROR_SUCCESS) {
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
    if (::RegOpenKeyExA(hive, keyPath.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
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
