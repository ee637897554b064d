// Settings store: integers and texts in sub-keys of one registry key, every value written a REG_SZ.
#pragma once

#include "fw/Afx.h"

#include <map>
#include <utility>
#include <vector>

// Set on a settings key while it is being filled or written whole, cleared when that is done: a key
// that still has it was left half-written and is no complete key.
extern const wchar_t kFillingValue[];

class CRegistryKey {
public:
    std::string m_strKey;                 // key path below the hive, no trailing backslash
    HKEY m_hRoot = HKEY_LOCAL_MACHINE;    // hive of m_strKey
    REGSAM m_samView = 0;                 // added to every open: the machine key's 32-bit view on 64-bit Windows
    BOOL m_bReadOnly = FALSE;             // nowhere to save: writes are refused without touching the registry
    mutable BOOL m_bWriteFailed = FALSE;  // a write has failed (or was refused) in this run
    // The first-run file that could not be decoded and so gave nothing; "" when none. Told once.
    mutable std::string m_strUndecodableFile;

    // Records hive and path (even on failure), then creates or opens the key for writing.
    // The caller gets the open handle and the disposition and must close the handle.
    BOOL OpenRoot(HKEY* phKey, DWORD* pdwDisposition, HKEY hive, const char* pszPath);

    // Integers: a REG_DWORD of 1 to 4 bytes and a REG_QWORD that fits in 32 bits by value, text as
    // "%d" reads it; anything else gives the default.
    int ReadInt(const char* pszSubKey, const char* pszName, int nDefault) const;
    BOOL WriteInt(const char* pszSubKey, const char* pszName, int nValue) const;
    // Text of any stored length; REG_EXPAND_SZ comes expanded. A missing value, or one of another
    // type, gives the default.
    std::string ReadString(const char* pszSubKey, const char* pszName, const char* pszDefault) const;
    // Whether the value is there at all.
    BOOL ValueExists(const char* pszSubKey, const char* pszName) const;
    // A value as text, told apart: missing, text (REG_SZ or REG_EXPAND_SZ, given in text), or of
    // another type or unreadable.
    enum class TextRead { Missing, Text, NotText };
    TextRead ReadText(const char* pszSubKey, const char* pszName, std::string& text) const;
    BOOL WriteString(const char* pszSubKey, const char* pszName, const std::string& value) const;
    // Writes only when a read would give something else, so a value that reads the same keeps its
    // type (a REG_EXPAND_SZ path, a REG_DWORD id) and its spelling.
    BOOL UpdateString(const char* pszSubKey, const char* pszName, const std::string& value) const;
    // A changed integer stored as a REG_DWORD stays one, unless bKeepType is false (then it is text).
    BOOL UpdateInt(const char* pszSubKey, const char* pszName, int nValue, bool bKeepType = true) const;

    // When the key itself has gone (a cleaner, another session), writes back everything this run has
    // read or written, so the next write does not leave a key of one value that a start would take
    // as complete. Every write does this first.
    void RestoreIfGone() const;
    // Whether the key itself is there.
    BOOL RootExists() const;

    // First-run import of the given file (FirstRunFilePath) into the open key hKey. The file is in the
    // encoding DecodeSettingsFile finds. Nothing is cut. FALSE when the file cannot be opened; a file
    // that cannot be decoded imports nothing and is named in m_strUndecodableFile.
    BOOL ImportIniFile(HKEY hKey, const std::string& fileName, UINT codePage = CP_ACP) const;

private:
    std::string SubKeyPath(const char* pszSubKey) const { return m_strKey + "\\" + pszSubKey; }
    // One read of a value at its stored size: its type and its data as UTF-8 text (REG_SZ,
    // REG_EXPAND_SZ expanded) or as a number (REG_DWORD). False when the key or value is missing.
    struct StoredValue {
        DWORD dwType = REG_NONE;
        std::string strText;
        DWORD dwNumber = 0;
        bool bNumber = false; // dwNumber holds a REG_DWORD's or a small REG_QWORD's value
    };
    bool QueryValue(const char* pszSubKey, const char* pszName, StoredValue& value) const;
    bool ValueListed(const char* pszSubKey, const char* pszName) const;
    bool SetValue(const char* pszSubKey, const char* pszName, DWORD dwType, const BYTE* pData, DWORD cbData) const;
    // Every value read or written in this run, by sub-key and name: type and data.
    mutable std::map<std::pair<std::string, std::string>, std::pair<DWORD, std::vector<BYTE>>> m_known;
    mutable bool m_bRestoring = false;
};

// <Windows directory>\<application name>.INI, or "" when the directory is not known.
std::string FirstRunFilePath(const std::string& appName);

// Parses decimal text as "%d" does: leading blanks, a sign, digits, anything after ignored.
// False when the text does not begin with a number.
bool ParseDecimal(const char* pszText, int& nValue);

// A settings file's bytes as UTF-8. A byte-order mark (UTF-8, UTF-16 LE or BE) decides; without one,
// valid UTF-8 that is not plain ASCII is UTF-8, anything else is in the code page given. False when
// the bytes are not valid in the encoding the mark names, or hold a NUL without a UTF-16 mark.
bool DecodeSettingsFile(const std::string& bytes, UINT codePage, std::string& text);
// Whether the bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(const std::string& bytes);
// The whole file; FALSE when it cannot be opened or read.
BOOL ReadWholeFile(const std::string& fileName, std::string& bytes);
// One value at its stored size (asked first, and again when it grew meanwhile); false when missing.
bool ReadRegistryValue(HKEY hKey, const std::string& name, DWORD& dwType, std::vector<BYTE>& data);
// Text of REG_SZ or REG_EXPAND_SZ data (expanded) as UTF-8, up to its first terminator.
std::string RegistryText(DWORD dwType, const BYTE* pData, size_t cbData);
