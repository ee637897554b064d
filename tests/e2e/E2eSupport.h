// What the end-to-end tests share beside ChildProcess and WaitUntil: the program's settings key, its
// close message, and the texts of other programs' windows.
#pragma once

#include "fw/TextConv.h"
#include "tests/e2e/ChildProcess.h"
#include "tests/e2e/WaitUntil.h"
#include "tests/harness/Harness.h"
#include "tests/support/RegistryDump.h"

#include <windows.h>
#include <commctrl.h>

#include <fstream>
#include <iterator>
#include <string>

// Both flavours keep the machine key in its 32-bit view; the 64-bit one sees it below WOW6432Node.
constexpr const char* kRoot = "Software\\WOW6432Node\\Larkfield Software\\Trovel";
constexpr UINT kAppClose = WM_APP + 0x20;

// A text value under the settings key, stored exactly as UTF-16.
inline bool SetValue(const std::string& subKey, const char* pszName, const std::string& text)
{
    const std::wstring wide = Utf8ToWide(text) + L'\0';
    return WriteRawValue(HKEY_LOCAL_MACHINE, std::string(kRoot) + "\\" + subKey, pszName,
                         std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t)), REG_SZ,
                         true);
}

// Another program's window text, asked as the program would be (up to 2,047 characters).
inline std::string TextOf(HWND hWnd)
{
    wchar_t text[2048] = {};
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(hWnd, WM_GETTEXT, 2048, (LPARAM)text, SMTO_NORMAL, 5000, &result);
    return WideToUtf8(text);
}

inline void SetTextOf(HWND hWnd, const std::string& text)
{
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(hWnd, WM_SETTEXT, 0, (LPARAM)Utf8ToWide(text).c_str(), SMTO_NORMAL, 5000, &result);
}

inline std::string NotepadPath()
{
    wchar_t szWindows[MAX_PATH];
    ::GetWindowsDirectoryW(szWindows, MAX_PATH);
    return WideToUtf8(szWindows) + "\\notepad.exe";
}

// A file's bytes, empty when it cannot be read.
inline std::string ReadFileText(const std::string& path)
{
    std::ifstream in(Utf8ToWide(path).c_str(), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// An empty file (a file to open); false when it could not be made.
inline bool MakeEmptyFile(const std::string& path)
{
    HANDLE hFile = ::CreateFileW(Utf8ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(hFile);
    return true;
}

inline HWND ChildOf(HWND hParent, const wchar_t* pszClass)
{
    return hParent != nullptr ? ::FindWindowExW(hParent, nullptr, pszClass, nullptr) : nullptr;
}

// The edit a user types the name into, as each kind of dialog has it.
inline HWND FileNameEdit(HWND hDialog)
{
    if (HWND hEdit = ::GetDlgItem(hDialog, 1152))
        return hEdit;
    if (HWND hCombo = ::GetDlgItem(hDialog, 1148))
        return ChildOf(ChildOf(hCombo, L"ComboBox"), L"Edit");
    return ChildOf(ChildOf(ChildOf(ChildOf(ChildOf(hDialog, L"DUIViewWndClassName"), L"DirectUIHWND"),
                                   L"FloatNotifySink"), L"ComboBox"), L"Edit");
}

// A file dialog shown by another program (tests/helpers/FileDialogs.cpp) with the name typed, which
// writes the name the dialog returns to dir\result.txt; hField is null when it did not show so.
struct ShownDialog {
    ShownDialog(const std::string& dir, const char* pszKind, const char* pszTitle, const std::string& typed)
        : program(TROVEL_HELPER("trovel_file_dialogs"), dir,
                  std::string(pszKind) + " \"" + dir + "\\result.txt\" " + HexOf(typed))
    {
        // Shown, as a dialog the user picks for is: the scan leaves hidden windows out.
        if (!WaitUntil([&] { return (hDialog = program.TopWindow("#32770", pszTitle)) != nullptr &&
                                    (hField = FileNameEdit(hDialog)) != nullptr && ::IsWindowVisible(hDialog) &&
                                    TextOf(hField) == typed; }))
            hField = nullptr;
    }
    ChildProcess program;
    HWND hDialog = nullptr, hField = nullptr;
};

// What a message box says: its static texts, together.
inline std::string BoxText(HWND hBox)
{
    std::string told;
    for (HWND h = nullptr; (h = ::FindWindowExW(hBox, h, L"Static", nullptr)) != nullptr;)
        told += AfxGetWindowText(h);
    return told;
}

// A Browse for Folder dialog shown by another program (SHBrowseForFolderW in the helper's kind of
// style), its tree starting at root (the desktop when empty); it writes the folder it returns to
// dir\result.txt. hTree is null when it did not show.
struct ShownFolderBrowser {
    ShownFolderBrowser(const std::string& dir, const char* pszKind, const std::string& root)
        : program(TROVEL_HELPER("trovel_file_dialogs"), dir,
                  std::string(pszKind) + " \"" + dir + "\\result.txt\"" + (root.empty() ? "" : " " + HexOf(root)))
    {
        if (!WaitUntil([&] { return (hDialog = program.TopWindow("#32770", "Browse for Folder")) != nullptr &&
                                    ::IsWindowVisible(hDialog) && (hTree = ::GetDlgItem(hDialog, 14145)) != nullptr; }))
            hTree = nullptr;
    }
    ChildProcess program;
    HWND hDialog = nullptr, hTree = nullptr;
};

// The text of the item selected in another process's tree, read through memory of that process;
// *pbInView tells whether the item lies inside the tree's client area. Empty when none is selected.
inline std::string SelectedTreeItem(HWND hTree, bool* pbInView = nullptr)
{
    DWORD_PTR item = 0;
    if (!::SendMessageTimeoutW(hTree, TVM_GETNEXTITEM, TVGN_CARET, 0, SMTO_NORMAL, 5000, &item) || item == 0)
        return "";
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(hTree, &dwProcessId);
    HANDLE hProcess = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, dwProcessId);
    if (hProcess == nullptr)
        return "";
    char* pRemote = (char*)::VirtualAllocEx(hProcess, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    TVITEMW tvi = {};
    tvi.mask = TVIF_TEXT;
    tvi.hItem = (HTREEITEM)item;
    tvi.pszText = (wchar_t*)(pRemote + 1024);
    tvi.cchTextMax = 1024;
    SIZE_T done = 0;
    DWORD_PTR result = 0;
    wchar_t text[1024] = {};
    RECT rc = {};
    *(HTREEITEM*)&rc = (HTREEITEM)item; // TVM_GETITEMRECT takes the item in the rectangle
    ::WriteProcessMemory(hProcess, pRemote, &tvi, sizeof(tvi), &done);
    ::WriteProcessMemory(hProcess, pRemote + 512, &rc, sizeof(rc), &done);
    if (::SendMessageTimeoutW(hTree, TVM_GETITEMW, 0, (LPARAM)pRemote, SMTO_NORMAL, 5000, &result))
        ::ReadProcessMemory(hProcess, pRemote + 1024, text, sizeof(text) - sizeof(wchar_t), &done);
    const bool bRect = ::SendMessageTimeoutW(hTree, TVM_GETITEMRECT, TRUE, (LPARAM)(pRemote + 512), SMTO_NORMAL, 5000,
                                             &result) && result != 0;
    ::ReadProcessMemory(hProcess, pRemote + 512, &rc, sizeof(rc), &done);
    ::VirtualFreeEx(hProcess, pRemote, 0, MEM_RELEASE);
    ::CloseHandle(hProcess);
    RECT rcClient = {};
    ::GetClientRect(hTree, &rcClient);
    if (pbInView != nullptr)
        *pbInView = bRect && rc.top >= 0 && rc.bottom <= rcClient.bottom;
    return WideToUtf8(text);
}
