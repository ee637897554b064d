// Settings store: integers and texts in sub-keys of one registry key, every value written a REG_SZ.
#pragma once

#include "fw/Afx.h"

#include <vector>

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

    // Integers: REG_DWORD as it is, text as "%d" reads it; anything else gives the default.
    int ReadInt(const char* pszSubKey, const char* pszName, int nDefault) const;
    BOOL WriteInt(const char* pszSubKey, const char* pszName, int nValue) const;
    // Text of any stored length; REG_EXPAND_SZ comes expanded. A missing value, or one of another
    // type, gives the default.
    std::string ReadString(const char* pszSubKey, const char* pszName, const char* pszDefault) const;
    // Whether the value is there at all.
    BOOL ValueExists(const char* pszSubKey, const char* pszName) const;
    BOOL WriteString(const char* pszSubKey, const char* pszName, const std::string& value) const;
    // Writes only when a read would give something else, so a value that reads the same keeps its
    // type (a REG_EXPAND_SZ path, a REG_DWORD id) and its spelling.
    BOOL UpdateString(const char* pszSubKey, const char* pszName, const std::string& value) const;
    BOOL UpdateInt(const char* pszSubKey, const char* pszName, int nValue) const;

    // First-run import of the given file (FirstRunFilePath) into the open key hKey. The file is in the
    // ANSI code page given, unless it starts with a UTF-8 or UTF-16 LE byte-order mark. Nothing is cut.
    // FALSE when the file cannot be opened.
    BOOL ImportIniFile(HKEY hKey, const std::string& fileName, UINT codePage = CP_ACP) const;

private:
    std::string SubKeyPath(const char* pszSubKey) const { return m_strKey + "\\" + pszSubKey; }
    // One read of a value at its stored size: its type and its data as UTF-8 text (REG_SZ,
    // REG_EXPAND_SZ expanded) or as a number (REG_DWORD). False when the key or value is missing.
    struct StoredValue {
        DWORD dwType = REG_NONE;
        std::string strText;
        DWORD dwNumber = 0;
    };
    bool QueryValue(const char* pszSubKey, const char* pszName, StoredValue& value) const;
};

// <Windows directory>\<application name>.INI, or "" when the directory is not known.
std::string FirstRunFilePath(const std::string& appName);

// Parses decimal text as "%d" does: leading blanks, a sign, digits, anything after ignored.
// False when the text does not begin with a number.
bool ParseDecimal(const char* pszText, int& nValue);

// A settings file's bytes as UTF-8: after a UTF-8 or UTF-16 LE byte-order mark as marked, otherwise in
// the code page given.
std::string DecodeSettingsFile(const std::string& bytes, UINT codePage);
// The whole file; FALSE when it cannot be opened or read.
BOOL ReadWholeFile(const std::string& fileName, std::string& bytes);
// One value at its stored size (asked first, and again when it grew meanwhile); false when missing.
bool ReadRegistryValue(HKEY hKey, const std::string& name, DWORD& dwType, std::vector<BYTE>& data);
// Text of REG_SZ or REG_EXPAND_SZ data (expanded) as UTF-8, up to its first terminator.
std::string RegistryText(DWORD dwType, const BYTE* pData, size_t cbData);
