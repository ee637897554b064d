// Settings store: integers and texts in sub-keys of one registry key, every value a REG_SZ.
#pragma once

#include "fw/Afx.h"

class CRegistryKey {
public:
    std::string m_strKey;                 // key path below the hive, no trailing backslash
    HKEY m_hRoot = HKEY_LOCAL_MACHINE;    // hive of m_strKey
    REGSAM m_samView = 0;                 // added to every open: the machine key's 32-bit view on 64-bit Windows
    BOOL m_bReadOnly = FALSE;             // nowhere to save: writes are refused without touching the registry
    mutable BOOL m_bWriteFailed = FALSE;  // a write has failed (or was refused) in this run

    // Records hive and path (even on failure), then creates or opens the key for writing.
    // The caller gets the open handle and the disposition and must close the handle.
    BOOL OpenRoot(HKEY* phKey, DWORD* pdwDisposition, HKEY hive, const char* pszPath);

    int ReadInt(const char* pszSubKey, const char* pszName, int nDefault) const;
    BOOL WriteInt(const char* pszSubKey, const char* pszName, int nValue) const;
    std::string ReadString(const char* pszSubKey, const char* pszName, const char* pszDefault) const;
    // Whether the value is there at all, however long its data.
    BOOL ValueExists(const char* pszSubKey, const char* pszName) const;
    BOOL WriteString(const char* pszSubKey, const char* pszName, const char* pszValue) const;

    // First-run import of the given file (FirstRunFilePath) into the open key hKey; display names are cut to what a read gives back, on a character
    // boundary of the code page. FALSE when the file cannot be opened.
    BOOL ImportIniFile(HKEY hKey, const std::string& fileName, UINT codePage = CP_ACP) const;

    // Size of the buffer a value is read through; a value that does not fit reads as missing.
    static constexpr DWORD kValueBufferSize = 260;

private:
    std::string SubKeyPath(const char* pszSubKey) const { return m_strKey + "\\" + pszSubKey; }
    // The stored text, or false when the key or value is missing or does not fit the buffer.
    bool QueryText(const char* pszSubKey, const char* pszName, std::string& text) const;
    // One RegQueryValueEx on the sub-key, opened for reading and closed again.
    LONG QueryValue(const char* pszSubKey, const char* pszName, BYTE* pData, DWORD* pcbData) const;
};

// <Windows directory>\<application name>.INI, or "" when the directory is not known.
std::string FirstRunFilePath(const std::string& appName);

// Parses decimal text as "%d" does: leading blanks, a sign, digits, anything after ignored.
// False when the text does not begin with a number.
bool ParseDecimal(const char* pszText, int& nValue);
