// The real Trovel.exe at real file dialogs of other programs (Wine's item dialogs, notepad's, the
// classic one, and imitations of the item dialogs of Windows Vista to 11), driven by keys sent
// through SendInput: the hotkey is held only while a dialog is in front, opens the menu beside its
// field, Down and Enter fill that dialog, which is in front again, and confirming uses the path.
#include "fw/TextConv.h"
#include "tests/e2e/ChildProcess.h"
#include "tests/e2e/WaitUntil.h"
#include "tests/harness/Harness.h"
#include "tests/support/RegistryDump.h"
#include "tests/support/TrayProbe.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace {

const char kRoot[] = "Software\\WOW6432Node\\Larkfield Software\\Trovel";
const UINT kAppClose = WM_APP + 0x20;
const WPARAM kNotepadOpen = 0x101, kNotepadSaveAs = 0x103;

bool SetValue(const std::string& subKey, const char* pszName, const std::string& text)
{
    return WriteRawValue(HKEY_LOCAL_MACHINE, std::string(kRoot) + "\\" + subKey, pszName, text + '\0');
}

std::string TextOf(HWND hWnd)
{
    wchar_t text[1024] = {};
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(hWnd, WM_GETTEXT, 1024, (LPARAM)text, SMTO_NORMAL, 5000, &result);
    return WideToUtf8(text);
}

void SetTextOf(HWND hWnd, const std::string& text)
{
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(hWnd, WM_SETTEXT, 0, (LPARAM)Utf8ToWide(text).c_str(), SMTO_NORMAL, 5000, &result);
}

HWND ChildOf(HWND hParent, const wchar_t* pszClass)
{
    return hParent != nullptr ? ::FindWindowExW(hParent, nullptr, pszClass, nullptr) : nullptr;
}

// Trovel with two favourites, Other and then Target, in a scratch folder that none of the dialogs
// starts in; its menu lists the last one first.
class HotkeyEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kRoot);
        DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Larkfield Software\\Trovel");
        wchar_t szTemp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, szTemp);
        m_dir = WideToUtf8(szTemp) + "trovel-hotkey-" + std::to_string(::GetCurrentProcessId());
        m_target = m_dir + "\\Target\\";
        m_other = m_dir + "\\Other\\";
        for (const std::string& dir : {m_dir, m_target, m_other})
            ::CreateDirectoryW(Utf8ToWide(dir).c_str(), nullptr);
        ASSERT_TRUE(SetValue("Newbie", "Help", "1"));
        ASSERT_TRUE(SetValue("PathList", "P0", m_target));
        ASSERT_TRUE(SetValue("PathList", "SN0", "Target"));
        ASSERT_TRUE(SetValue("PathList", "ID0", "5000"));
        ASSERT_TRUE(SetValue("PathList", "P1", m_other));
        ASSERT_TRUE(SetValue("PathList", "SN1", "Other"));
        ASSERT_TRUE(SetValue("PathList", "ID1", "5001"));
        m_trovel = std::make_unique<ChildProcess>(TROVEL_EXE, m_dir);
        ASSERT_TRUE(m_trovel->m_bStarted);
        ASSERT_TRUE(WaitUntil([this] { return (m_hFrame = m_trovel->TopWindow(nullptr, "Trovel")) != nullptr; }));
        // Its start routine has run (the icon is there and it answers again): from now on it follows
        // the window in front.
        DWORD_PTR result = 0;
        ASSERT_TRUE(WaitUntil([this] { return TrayKnowsIcon(::FindWindowExW(m_hFrame, nullptr, L"#32770", nullptr), 109); }));
        ASSERT_NE(0, ::SendMessageTimeoutW(m_hFrame, WM_NULL, 0, 0, SMTO_NORMAL, 15000, &result));
    }
    void TearDown() override
    {
        if (m_trovel != nullptr && m_trovel->Alive()) {
            ::PostMessageW(m_hFrame, kAppClose, 0, 0);
            EXPECT_TRUE(m_trovel->WaitForExit(15000));
        }
        m_trovel.reset();
        for (const std::string& folder : {m_target, m_other, m_dir + "\\"}) {
            for (const char* name : {"report.txt", "result.txt", "windows.txt"})
                ::DeleteFileW(Utf8ToWide(folder + name).c_str());
        }
        for (const std::string& dir : {m_target, m_other, m_dir})
            ::RemoveDirectoryW(Utf8ToWide(dir).c_str());
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kRoot);
    }

    // With the dialog in front, Trovel holds the key; Ctrl+G opens its menu beside the field (or the
    // combo box around it), and Down and Enter pick the second item.
    void PickSecondWithHotkey(HWND hDialog, HWND hField)
    {
        ::SetForegroundWindow(hDialog);
        ASSERT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == hDialog; }, 5000));
        EXPECT_TRUE(WaitUntil([] { return !KeyFreeForOthers(); }, 5000)) << "the dialog in front: Trovel holds the key";
        // Wine takes the keyboard's state from the display when a window gets its focus, which would
        // drop a Ctrl sent before that arrives.
        ::Sleep(500);
        SendKeys({{VK_CONTROL, true}, {'G', true}, {'G', false}, {VK_CONTROL, false}});
        HWND hMenu = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (hMenu = VisibleMenuOf(m_trovel->m_pi.dwProcessId)) != nullptr; }, 5000))
            << "the hotkey opened no menu";
        RECT rcMenu = {}, rcField = {};
        ::GetWindowRect(hMenu, &rcMenu);
        ::GetWindowRect(hField, &rcField);
        HWND hCombo = ::GetParent(hField);
        if (::GetParent(hCombo) != nullptr && ::GetDlgCtrlID(hField) != 1152) {
            RECT rcCombo = {};
            ::GetWindowRect(hCombo, &rcCombo);
            rcField.left = std::min(rcField.left, rcCombo.left);
        }
        EXPECT_GE(rcMenu.left, rcField.left - 8) << "beside the field";
        EXPECT_LE(rcMenu.left, rcField.right) << "beside the field";
        EXPECT_TRUE(rcMenu.top >= rcField.bottom - 8 || rcMenu.bottom <= rcField.top + 8) << "not over the field";
        ::Sleep(200);
        SendKeys({{VK_DOWN, true}, {VK_DOWN, false}, {VK_RETURN, true}, {VK_RETURN, false}});
    }
    std::string ReadResult() const
    {
        std::ifstream in(Utf8ToWide(m_dir + "\\result.txt").c_str(), std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    static std::string NotepadPath()
    {
        wchar_t szWindows[MAX_PATH];
        ::GetWindowsDirectoryW(szWindows, MAX_PATH);
        return WideToUtf8(szWindows) + "\\notepad.exe";
    }

    std::string m_dir, m_target, m_other;
    std::unique_ptr<ChildProcess> m_trovel;
    HWND m_hFrame = nullptr;
};

// The field a user types the name into, as each kind of dialog has it.
HWND FileNameField(HWND hDialog, const std::string& kind)
{
    if (kind == "vista-save") {
        return ChildOf(ChildOf(ChildOf(ChildOf(ChildOf(hDialog, L"DUIViewWndClassName"), L"DirectUIHWND"),
                                       L"FloatNotifySink"), L"ComboBox"), L"Edit");
    }
    if (kind == "vista-open")
        return ChildOf(ChildOf(::GetDlgItem(hDialog, 1148), L"ComboBox"), L"Edit");
    return ::GetDlgItem(hDialog, 1152);
}

} // namespace

// Notepad: the key is free while its plain window is in front, held while its Save As is, and free
// again once the dialog has gone; the pick fills the field, and confirming saves under the folder.
TEST_F(HotkeyEndToEnd, CtrlGAtNotepadsSaveAsIsHeldOnlyThereAndFillsTheField)
{
    ChildProcess notepad(NotepadPath(), m_dir);
    ASSERT_TRUE(notepad.m_bStarted);
    HWND hNotepad = nullptr, hDialog = nullptr, hCombo = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (hNotepad = notepad.TopWindow("Notepad", nullptr)) != nullptr; }));
    ::SetForegroundWindow(hNotepad);
    ::Sleep(500);
    EXPECT_TRUE(WaitUntil([&] { return KeyFreeForOthers(); }, 3000)) << "a plain window in front: the key is free";

    ::PostMessageW(hNotepad, WM_COMMAND, kNotepadSaveAs, 0);
    ASSERT_TRUE(WaitUntil([&] { return (hDialog = notepad.TopWindow("#32770", "Save As")) != nullptr; }));
    ASSERT_TRUE(WaitUntil([&] { return (hCombo = ::GetDlgItem(hDialog, 1148)) != nullptr; }));
    SetTextOf(hCombo, "report.txt");
    PickSecondWithHotkey(hDialog, hCombo);
    EXPECT_TRUE(WaitUntil([&] { return TextOf(hCombo) == m_target + "report.txt"; }, 5000)) << TextOf(hCombo);
    EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == hDialog; }, 3000)) << "the dialog is in front again";
    EXPECT_FALSE(KeyFreeForOthers()) << "and the key is held for another pick";

    ::PostMessageW(hDialog, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return ::GetFileAttributesW(Utf8ToWide(m_target + "report.txt").c_str()) !=
                                       INVALID_FILE_ATTRIBUTES; }))
        << "confirming saves under the picked folder";
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(hDialog); }));
    ::SetForegroundWindow(hNotepad);
    EXPECT_TRUE(WaitUntil([&] { return KeyFreeForOthers(); }, 5000)) << "the dialog gone: the key is free again";
}

// Each other kind of dialog, shown by another program: the pick fills its field (a save dialog
// with the folder and the name, an open dialog with the folder), the dialog is in front again, and
// confirming returns the file in the picked folder; an open dialog first goes to the folder, and a
// name typed there then opens from it.
TEST_F(HotkeyEndToEnd, CtrlGDownAndEnterFillEachKindOfDialogAndConfirmingUsesThePath)
{
    const struct {
        const char* kind;
        const char* title;
        bool bOpen;
    } cases[] = {
        {"item-save", "Save", false},                       // Wine's item dialog
        {"old-save", "Save As", false},                     // the classic dialog
        {"vista-save", "Speichern unter", false},           // Vista to 11, told by its tree
        {"item-open", "Open", true},                        // Wine's item open dialog
        {"vista-open", "\xC3\x96" "ffnen", true},           // Vista to 11, its name box 1148
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        const std::string report = m_target + "report.txt";
        if (c.bOpen) {
            // After the saves, which would ask to replace it: a file to open from the folder.
            HANDLE hFile = ::CreateFileW(Utf8ToWide(report).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            ASSERT_NE(hFile, INVALID_HANDLE_VALUE);
            ::CloseHandle(hFile);
        }
        ::DeleteFileW(Utf8ToWide(m_dir + "\\result.txt").c_str());
        ChildProcess program(TROVEL_HELPER("trovel_file_dialogs"), m_dir,
                             std::string(c.kind) + " \"" + m_dir + "\\result.txt\"");
        ASSERT_TRUE(program.m_bStarted);
        HWND hDialog = nullptr, hField = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (hDialog = program.TopWindow("#32770", c.title)) != nullptr &&
                                           (hField = FileNameField(hDialog, c.kind)) != nullptr &&
                                           ::IsWindowVisible(hDialog) && TextOf(hField) == "report.txt"; }));
        PickSecondWithHotkey(hDialog, hField);
        const std::string expected = c.bOpen ? m_target : report; // "report.txt" is no pattern
        EXPECT_TRUE(WaitUntil([&] { return TextOf(hField) == expected; }, 5000)) << TextOf(hField);
        EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == hDialog; }, 3000)) << "the dialog is in front again";
        EXPECT_FALSE(KeyFreeForOthers()) << "and the key is held for another pick";

        ::PostMessageW(hDialog, WM_COMMAND, IDOK, 0);
        if (c.bOpen) {
            ::Sleep(1000);
            EXPECT_TRUE(::IsWindow(hDialog)) << "a folder is gone to, not opened";
            SetTextOf(hField, "report.txt");
            ::PostMessageW(hDialog, WM_COMMAND, IDOK, 0);
        }
        ASSERT_TRUE(program.WaitForExit(15000));
        EXPECT_EQ(ReadResult(), report);
    }
}

// Notepad's Open: the folder goes into the field before the pattern it holds, Open goes there, and a
// name typed then opens the file from it.
TEST_F(HotkeyEndToEnd, CtrlGAtNotepadsOpenTakesTheDialogToTheFolder)
{
    const std::string report = m_target + "report.txt";
    HANDLE hFile = ::CreateFileW(Utf8ToWide(report).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(hFile, INVALID_HANDLE_VALUE);
    ::CloseHandle(hFile);
    ChildProcess notepad(NotepadPath(), m_dir);
    ASSERT_TRUE(notepad.m_bStarted);
    HWND hNotepad = nullptr, hDialog = nullptr, hCombo = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (hNotepad = notepad.TopWindow("Notepad", nullptr)) != nullptr; }));
    ::PostMessageW(hNotepad, WM_COMMAND, kNotepadOpen, 0);
    ASSERT_TRUE(WaitUntil([&] { return (hDialog = notepad.TopWindow("#32770", "Open")) != nullptr &&
                                       (hCombo = ::GetDlgItem(hDialog, 1148)) != nullptr; }));
    PickSecondWithHotkey(hDialog, hCombo);
    // It starts with the pattern "*.txt" typed, which the folder keeps.
    EXPECT_TRUE(WaitUntil([&] { return TextOf(hCombo) == m_target + "*.txt"; }, 5000)) << TextOf(hCombo);
    EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == hDialog; }, 3000)) << "the dialog is in front again";
    EXPECT_FALSE(KeyFreeForOthers()) << "and the key is held for another pick";

    ::PostMessageW(hDialog, WM_COMMAND, IDOK, 0);
    ::Sleep(1000);
    ASSERT_TRUE(::IsWindow(hDialog)) << "a folder is gone to, not opened";
    SetTextOf(hCombo, "report.txt");
    ::PostMessageW(hDialog, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return AfxGetWindowText(hNotepad).find("report") != std::string::npos; }))
        << AfxGetWindowText(hNotepad);
}
