// Registry observers for the tests: raw writes, and a flat listing of a whole key tree.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Stores the bytes as they are (no terminator added) as a value of the given type; creates the key.
// ANSI text, as the program wrote before it was Unicode, is converted by the system (bWide false);
// with bWide the bytes are stored exactly.
bool WriteRawValue(HKEY hive, const std::string& keyPath, const char* pszName, const std::string& bytes,
                   DWORD type = REG_SZ, bool bWide = false);
// A value's data as UTF-16 units (its bytes exactly, an odd last one dropped), and its type.
std::wstring RawValue(HKEY hive, const std::string& keyPath, const char* pszName);
DWORD RawValueType(HKEY hive, const std::string& keyPath, const char* pszName);

// Deletes the key with everything below it; true when it is gone.
bool DeleteKeyTree(HKEY hive, const std::string& keyPath);

// Every key and value below keyPath: the key's values by name, then each sub-key by name, listed as
// "A\B\" and followed by its own contents. A value reads "A\B:<name>=<text>" (":<name>=<text>" for
// values of keyPath itself); one that is not a REG_SZ of its text plus one NUL gets " !raw" appended.
std::vector<std::string> DumpKeyTree(HKEY hive, const std::string& keyPath);

// Closes the key to writing (values and sub-keys) for everyone, or opens it again, with a DACL;
// reading stays allowed. Wine checks it whenever the key is opened for writing.
bool SetKeyWritable(HKEY hive, const std::string& keyPath, bool bWritable, REGSAM samView = 0);

// Watches one key's values (RegNotifyChangeKeyValue): any value set from the start on, even to the data
// it held, makes Changed() true.
class KeyWatch {
public:
    KeyWatch(HKEY hive, const std::string& keyPath);
    ~KeyWatch();
    KeyWatch(const KeyWatch&) = delete;
    KeyWatch& operator=(const KeyWatch&) = delete;
    bool Watching() const { return m_hKey != nullptr && m_hEvent != nullptr; }
    bool Changed() const { return ::WaitForSingleObject(m_hEvent, 0) == WAIT_OBJECT_0; }

private:
    HKEY m_hKey = nullptr;
    HANDLE m_hEvent = nullptr;
};
