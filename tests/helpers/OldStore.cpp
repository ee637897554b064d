// Writes one registry value the way the program did before it was Unicode: the ANSI call, with text in
// the code page of the locale it runs under.
//
//   trovel_old_store KEY NAME HEXBYTES   (KEY below HKEY_LOCAL_MACHINE, in the 32-bit view)
#include <windows.h>

#include <string>

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    std::string bytes;
    const std::string hex = argv[3];
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += (char)std::stoi(hex.substr(i, 2), nullptr, 16);
    HKEY hKey = nullptr;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, argv[1], 0, nullptr, 0, KEY_WRITE | KEY_WOW64_32KEY, nullptr, &hKey,
                          nullptr) != ERROR_SUCCESS)
        return 1;
    LONG status = ::RegSetValueExA(hKey, argv[2], 0, REG_SZ, reinterpret_cast<const BYTE*>(bytes.c_str()),
                                   (DWORD)bytes.size() + 1);
    ::RegCloseKey(hKey);
    return status == ERROR_SUCCESS ? 0 : 1;
}
