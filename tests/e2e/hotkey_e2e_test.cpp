// The real Trovel.exe at notepad's real Save As dialog, driven by keys sent through SendInput: the
// hotkey is held only while the dialog is in front, opens the menu beside its field, and Down and
// Enter fill that dialog, which is in front again afterwards.
#include "fw/TextConv.h"
#include "tests/e2e/WaitUntil.h"
#include "tests/harness/Harness.h"
#include "tests/support/RegistryDump.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace {

const char kRoot[] = "Software\\WOW6432Node\\Larkfield Software\\Trovel";
const UINT kAppClose = WM_APP + 0x20;

class Process {
public:
    explicit Process(const std::string& commandLine, const std::string& dir)
    {
        std::wstring line = Utf8ToWide(commandLine);
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        m_bStarted = ::CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                                      Utf8ToWide(dir).c_str(), &si, &m_pi) != FALSE;
    }
    ~Process()
    {
        if (!m_bStarted)
            return;
        if (::WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT)
            ::TerminateProcess(m_pi.hProcess, 1);
        ::WaitForSingleObject(m_pi.hProcess, 5000);
        ::CloseHandle(m_pi.hThread);
        ::CloseHandle(m_pi.hProcess);
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool Owns(HWND hWnd) const
    {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(hWnd, &pid);
        return pid == m_pi.dwProcessId;
    }
    HWND TopWindow(const wchar_t* pszClass, const wchar_t* pszTitle) const
    {
        for (HWND hWnd = nullptr; (hWnd = ::FindWindowExW(nullptr, hWnd, pszClass, pszTitle)) != nullptr;) {
            if (Owns(hWnd))
                return hWnd;
        }
        return nullptr;
    }
    bool WaitForExit(DWORD ms) const { return ::WaitForSingleObject(m_pi.hProcess, ms) == WAIT_OBJECT_0; }

    bool m_bStarted = false;
    PROCESS_INFORMATION m_pi = {};
};

bool SetValue(const std::string& subKey, const char* pszName, const std::string& text)
{
    return WriteRawValue(HKEY_LOCAL_MACHINE, std::string(kRoot) + "\\" + subKey, pszName, text + '\0');
}

void Keys(std::initializer_list<std::pair<WORD, bool>> keys)
{
    for (const auto& key : keys) {
        INPUT in = {};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = key.first;
        in.ki.dwFlags = key.second ? 0 : KEYEVENTF_KEYUP;
        ::SendInput(1, &in, sizeof(in));
        ::Sleep(30);
    }
}

// Whether this program can take the key now, as any other program would try.
bool KeyFreeForOthers()
{
    if (!::RegisterHotKey(nullptr, 0x4747, MOD_CONTROL, 'G'))
        return false;
    ::UnregisterHotKey(nullptr, 0x4747);
    return true;
}

std::string TextOf(HWND hWnd)
{
    wchar_t text[1024] = {};
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(hWnd, WM_GETTEXT, 1024, (LPARAM)text, SMTO_NORMAL, 5000, &result);
    return WideToUtf8(text);
}

struct MenuSearch {
    const Process* pOwner;
    HWND hMenu;
};
BOOL CALLBACK FindMenu(HWND hWnd, LPARAM lParam)
{
    auto* pSearch = reinterpret_cast<MenuSearch*>(lParam);
    wchar_t szClass[16] = {};
    ::GetClassNameW(hWnd, szClass, 16);
    if (::lstrcmpW(szClass, L"#32768") == 0 && ::IsWindowVisible(hWnd) && pSearch->pOwner->Owns(hWnd)) {
        pSearch->hMenu = hWnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

TEST(HotkeyEndToEnd, CtrlGAtNotepadsSaveAsOpensTheMenuBesideTheFieldAndDownAndEnterFillIt)
{
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kRoot);
    DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Larkfield Software\\Trovel");
    ASSERT_TRUE(SetValue("Newbie", "Help", "1"));
    ASSERT_TRUE(SetValue("PathList", "P0", "C:\\windows\\"));
    ASSERT_TRUE(SetValue("PathList", "SN0", "Windows"));
    ASSERT_TRUE(SetValue("PathList", "ID0", "5000"));
    ASSERT_TRUE(SetValue("PathList", "P1", "C:\\users\\"));
    ASSERT_TRUE(SetValue("PathList", "SN1", "Users"));
    ASSERT_TRUE(SetValue("PathList", "ID1", "5001"));
    wchar_t szTemp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, szTemp);
    const std::string dir = WideToUtf8(szTemp);
    wchar_t szWindows[MAX_PATH];
    ::GetWindowsDirectoryW(szWindows, MAX_PATH);

    Process trovel(std::string("\"") + TROVEL_EXE + "\"", dir);
    ASSERT_TRUE(trovel.m_bStarted);
    HWND hFrame = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (hFrame = trovel.TopWindow(nullptr, L"Trovel")) != nullptr; }));
    Process notepad("\"" + WideToUtf8(szWindows) + "\\notepad.exe\"", dir);
    ASSERT_TRUE(notepad.m_bStarted);
    HWND hNotepad = nullptr, hDialog = nullptr, hCombo = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (hNotepad = notepad.TopWindow(L"Notepad", nullptr)) != nullptr; }));
    ::SetForegroundWindow(hNotepad);
    ::Sleep(500);
    EXPECT_TRUE(WaitUntil([&] { return KeyFreeForOthers(); }, 3000)) << "a plain window in front: the key is free";

    ::PostMessageW(hNotepad, WM_COMMAND, 0x103, 0); // Save As
    ASSERT_TRUE(WaitUntil([&] { return (hDialog = notepad.TopWindow(L"#32770", L"Save As")) != nullptr; }));
    ASSERT_TRUE(WaitUntil([&] { return (hCombo = ::GetDlgItem(hDialog, 1148)) != nullptr; }));
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(hCombo, WM_SETTEXT, 0, (LPARAM)L"report.txt", SMTO_NORMAL, 5000, &result);
    ::SetForegroundWindow(hDialog);
    EXPECT_TRUE(WaitUntil([&] { return !KeyFreeForOthers(); }, 5000)) << "the dialog in front: Trovel holds the key";

    Keys({{VK_CONTROL, true}, {'G', true}, {'G', false}, {VK_CONTROL, false}});
    MenuSearch search = {&trovel, nullptr};
    ASSERT_TRUE(WaitUntil([&] {
        search.hMenu = nullptr;
        ::EnumWindows(&FindMenu, (LPARAM)&search);
        return search.hMenu != nullptr;
    }, 5000)) << "the hotkey opened no menu";
    RECT rcMenu = {}, rcField = {};
    ::GetWindowRect(search.hMenu, &rcMenu);
    ::GetWindowRect(hCombo, &rcField);
    EXPECT_LE(std::abs(rcMenu.left - rcField.left), 8) << "beside the field";
    EXPECT_TRUE(rcMenu.top >= rcField.bottom - 8 || rcMenu.bottom <= rcField.top + 8) << "not over the field";

    // The first item (the last favourite, Users) is selected: Down goes to Windows.
    ::Sleep(200);
    Keys({{VK_DOWN, true}, {VK_DOWN, false}, {VK_RETURN, true}, {VK_RETURN, false}});
    EXPECT_TRUE(WaitUntil([&] { return TextOf(hCombo) == "C:\\windows\\report.txt"; }, 5000)) << TextOf(hCombo);
    EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == hDialog; }, 3000)) << "the dialog is in front again";

    // Confirming saves under the folder... not into the Windows folder here: cancel instead.
    ::PostMessageW(hDialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(hDialog); }));
    ::SetForegroundWindow(hNotepad);
    EXPECT_TRUE(WaitUntil([&] { return KeyFreeForOthers(); }, 5000)) << "the dialog gone: the key is free again";

    ::PostMessageW(hFrame, kAppClose, 0, 0);
    EXPECT_TRUE(trovel.WaitForExit(15000));
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kRoot);
}
