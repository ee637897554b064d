// The real Trovel.exe at real file dialogs of other programs (Wine's item dialogs, notepad's, the
// classic one, and imitations of the item dialogs of Windows Vista to 11), driven by keys sent
// through SendInput: the hotkey is held only while a dialog is in front and opens the menu beside its
// field; a pick takes the dialog to the folder with the typed name back in its field, and confirming
// uses that folder; a dialog that picks folders is only filled.
#include "tests/e2e/ChildProcess.h"
#include "tests/e2e/E2eSupport.h"
#include "tests/e2e/WaitUntil.h"
#include "tests/harness/Harness.h"
#include "tests/support/RegistryDump.h"
#include "tests/support/Shortcuts.h"
#include "tests/support/TrayProbe.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

const WPARAM kNotepadOpen = 0x101, kNotepadSaveAs = 0x103;

// The window with the keyboard focus in the dialog's thread.
HWND FocusOf(HWND hDialog)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    return ::GetGUIThreadInfo(::GetWindowThreadProcessId(hDialog, nullptr), &info) ? info.hwndFocus : nullptr;
}

// Trovel with two favourites, Target and then Other, in a scratch folder that none of the dialogs
// starts in; the menu at the dialog lists them in that order, so Enter picks Target and Down, Enter
// picks Other.
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
        StartTrovel();
    }
    void StartTrovel()
    {
        m_trovel = std::make_unique<ChildProcess>(TROVEL_EXE, m_dir);
        ASSERT_TRUE(m_trovel->m_bStarted);
        ASSERT_TRUE(WaitUntil([this] { return (m_hFrame = m_trovel->TopWindow(nullptr, "Trovel")) != nullptr; }));
        // Its start routine has run (the icon is there and it answers again): from now on it follows
        // the window in front.
        DWORD_PTR result = 0;
        ASSERT_TRUE(WaitUntil([this] {
            return TrayKnowsIcon(m_hView = ::FindWindowExW(m_hFrame, nullptr, L"#32770", nullptr), 109);
        }));
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
    // combo box around it). Returns the menu.
    HWND OpenMenuWithHotkey(HWND hDialog, HWND hField)
    {
        BringToFront(hDialog);
        return PressHotkey(hField);
    }
    void BringToFront(HWND hDialog)
    {
        ::SetForegroundWindow(hDialog);
        EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == hDialog; }, 5000));
        EXPECT_TRUE(WaitUntil([] { return !KeyFreeForOthers(); }, 5000)) << "the dialog in front: Trovel holds the key";
        // Wine takes the keyboard's state from the display when a window gets its focus, which would
        // drop a Ctrl sent before that arrives.
        ::Sleep(500);
    }
    HWND PressHotkey(HWND hField)
    {
        SendKeys({{VK_CONTROL, true}, {'G', true}, {'G', false}, {VK_CONTROL, false}});
        HWND hMenu = nullptr;
        EXPECT_TRUE(WaitUntil([&] { return (hMenu = VisibleMenuOf(m_trovel->m_pi.dwProcessId)) != nullptr; }, 5000))
            << "the hotkey opened no menu";
        if (hMenu == nullptr)
            return nullptr;
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
        return hMenu;
    }
    // Target is the first item, Other the second.
    void Pick(HWND hDialog, HWND hField, bool bTarget)
    {
        if (OpenMenuWithHotkey(hDialog, hField) == nullptr)
            return;
        if (!bTarget)
            SendKeys({{VK_DOWN, true}, {VK_DOWN, false}});
        SendKeys({{VK_RETURN, true}, {VK_RETURN, false}});
    }
    std::string ReadResult() const { return ReadFileText(m_dir + "\\result.txt"); }
    // What a box of Trovel's says, once one shows; closed then.
    std::string ToldInABox()
    {
        HWND hBox = nullptr;
        if (!WaitUntil([&] { return (hBox = m_trovel->TopWindow("#32770", "Trovel")) != nullptr && ::IsWindowVisible(hBox); },
                       8000))
            return "";
        const std::string told = BoxText(hBox);
        ::PostMessageW(hBox, WM_CLOSE, 0, 0);
        WaitUntil([&] { return !::IsWindow(hBox); }, 5000);
        return told;
    }

    std::string m_dir, m_target, m_other;
    std::unique_ptr<ChildProcess> m_trovel;
    HWND m_hFrame = nullptr, m_hView = nullptr;
};

// The same with two folders of Windows for favourites, help and then inf: Wine's Browse for Folder
// does not find a folder below one changed moments before, as the scratch folders are.
class FolderBrowserEndToEnd : public HotkeyEndToEnd {
protected:
    void SetUp() override
    {
        HotkeyEndToEnd::SetUp();
        ::PostMessageW(m_hFrame, kAppClose, 0, 0);
        ASSERT_TRUE(m_trovel->WaitForExit(15000));
        wchar_t szWindows[MAX_PATH];
        ::GetWindowsDirectoryW(szWindows, MAX_PATH);
        m_windows = WideToUtf8(szWindows);
        ASSERT_TRUE(SetValue("PathList", "P0", m_windows + "\\help\\"));
        ASSERT_TRUE(SetValue("PathList", "P1", m_windows + "\\inf\\"));
        StartTrovel();
    }
    std::string m_windows;
};

// Each kind of dialog, picked for twice (Other, then Target): the second pick takes it to Target, the
// field holds just the name typed (the folder part replaced, quotes kept), with the focus; then a
// confirm saves there, or opens the file from there. A dialog that picks folders is only filled:
// Trovel never chooses for the user.
TEST_F(HotkeyEndToEnd, APickTakesEachDialogToTheFolderAndKeepsTheTypedName)
{
    const struct {
        const char* kind;
        const char* title;
        std::string typed;
        bool bOpen;         // a file to open is there
        std::string field;  // after the picks
        std::string result; // what the dialog returns once confirmed
    } cases[] = {
        {"item-save", "Save", "report.txt", false, "report.txt", m_target + "report.txt"}, // Wine's item dialog
        {"item-save", "Save", "\"report.txt\"", false, "\"report.txt\"", m_target + "report.txt"}, // no extension added
        {"item-save", "Save", m_other + "report.txt", false, "report.txt", m_target + "report.txt"}, // a full path
        {"old-save", "Save As", "report.txt", false, "report.txt", m_target + "report.txt"}, // the classic dialog
        {"vista-save", "Speichern unter", "report.txt", false, "report.txt", m_target + "report.txt"},
        {"item-open", "Open", "report.txt", true, "report.txt", m_target + "report.txt"},
        {"vista-open", "\xC3\x96" "ffnen", "report.txt", true, "report.txt", m_target + "report.txt"},
        // Titled "Open" by its program: only its missing file-type list tells it from an item open dialog.
        {"item-folders", "Open", "report.txt", false, m_target, m_target.substr(0, m_target.size() - 1)},
        {"vista-folders", "Ordner ausw\xC3\xA4hlen", "report.txt", false, m_target, m_target},
        // Wine's item dialog that picks folders, under the title it gives itself.
        {"item-pick", "Select Folder", "report.txt", false, m_target, m_target.substr(0, m_target.size() - 1)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.kind) + " [" + c.typed + "]");
        ::DeleteFileW(Utf8ToWide(m_dir + "\\result.txt").c_str());
        // A save would ask to replace a file that is there.
        ::DeleteFileW(Utf8ToWide(m_target + "report.txt").c_str());
        if (c.bOpen)
            ASSERT_TRUE(MakeEmptyFile(m_target + "report.txt"));
        ShownDialog d(m_dir, c.kind, c.title, c.typed);
        ASSERT_NE(d.hField, nullptr);
        Pick(d.hDialog, d.hField, false);
        ASSERT_TRUE(WaitUntil([&] { return TextOf(d.hField) == (c.field == m_target ? m_other : c.field); }, 5000))
            << TextOf(d.hField);
        Pick(d.hDialog, d.hField, true);
        EXPECT_TRUE(WaitUntil([&] { return TextOf(d.hField) == c.field; }, 5000)) << TextOf(d.hField);
        EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == d.hDialog && FocusOf(d.hDialog) == d.hField; },
                              3000))
            << "the dialog is in front again, the focus in its field";
        EXPECT_FALSE(KeyFreeForOthers()) << "and the key is held for another pick";
        ::Sleep(300);
        EXPECT_TRUE(::IsWindow(d.hDialog)) << "nothing confirmed for the user";

        ::PostMessageW(d.hDialog, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(d.program.WaitForExit(15000));
        EXPECT_EQ(ReadResult(), c.result);
    }
}

// Browse for Folder in each style, its tree starting at the desktop and at the favourites' folder:
// Ctrl+G and a pick (inf), then a tray pick (help), each show the folder selected in the tree, in
// view, and in the edit box where there is one; the dialog stays open, and OK returns that folder.
TEST_F(FolderBrowserEndToEnd, APickSelectsTheFolderInTheTreeOfEachStyleAndOkReturnsIt)
{
    for (const char* kind : {"browse-old", "browse-new", "browse-edit"}) {
        for (const std::string& root : {std::string(), m_windows}) {
            SCOPED_TRACE(std::string(kind) + " rooted at [" + root + "]");
            ::DeleteFileW(Utf8ToWide(m_dir + "\\result.txt").c_str());
            ShownFolderBrowser b(m_dir, kind, root);
            ASSERT_NE(b.hTree, nullptr);
            const HWND hEdit = ::GetDlgItem(b.hDialog, 14149);
            const bool bEditShown = hEdit != nullptr && ::IsWindowVisible(hEdit);
            EXPECT_EQ(bEditShown, std::string(kind) == "browse-edit");

            Pick(b.hDialog, b.hTree, false);
            bool bInView = false;
            EXPECT_TRUE(WaitUntil([&] { return SelectedTreeItem(b.hTree, &bInView) == "inf" && bInView; }, 5000))
                << SelectedTreeItem(b.hTree);
            ::PostMessageW(m_hView, WM_COMMAND, MAKEWPARAM(5000, 0), 0); // the tray's
            EXPECT_TRUE(WaitUntil([&] { return SelectedTreeItem(b.hTree, &bInView) == "help" && bInView; }, 5000))
                << SelectedTreeItem(b.hTree);
            if (bEditShown) {
                EXPECT_EQ(TextOf(hEdit), "help");
            }
            ::Sleep(300);
            EXPECT_TRUE(::IsWindow(b.hDialog)) << "nothing confirmed for the user";

            ::PostMessageW(b.hDialog, WM_COMMAND, IDOK, 0);
            ASSERT_TRUE(b.program.WaitForExit(15000));
            EXPECT_EQ(ReadResult(), m_windows + "\\help");
        }
    }
}

// A favourite outside the tree's root cannot be shown there: the user is told by name, the path is
// on the clipboard, and the tree keeps what it showed. A pick of the folder already selected stays.
TEST_F(FolderBrowserEndToEnd, AFolderOutsideTheTreesRootIsToldAndTheTreeKeepsItsSelection)
{
    ShownFolderBrowser b(m_dir, "browse-edit", m_windows + "\\help");
    ASSERT_NE(b.hTree, nullptr);
    Pick(b.hDialog, b.hTree, true);
    ASSERT_TRUE(WaitUntil([&] { return SelectedTreeItem(b.hTree) == "help"; }, 5000)) << SelectedTreeItem(b.hTree);
    Pick(b.hDialog, b.hTree, true);
    ::Sleep(500);
    EXPECT_EQ(SelectedTreeItem(b.hTree), "help");
    EXPECT_EQ(m_trovel->TopWindow("#32770", "Trovel"), nullptr) << "the folder selected already is no failure";

    Pick(b.hDialog, b.hTree, false);
    const std::string told = ToldInABox();
    EXPECT_NE(told.find(m_windows + "\\inf\\"), std::string::npos) << told;
    EXPECT_NE(told.find("is on the clipboard"), std::string::npos) << told;
    EXPECT_EQ(SelectedTreeItem(b.hTree), "help");
    ::PostMessageW(b.hDialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(b.program.WaitForExit(15000));
    EXPECT_EQ(ReadResult(), m_windows + "\\help");
}

// The item dialog that picks folders, from the tray: filled with the folder, never pressed, and its
// default button then returns that folder.
TEST_F(HotkeyEndToEnd, ATrayPickFillsTheItemDialogThatPicksFoldersAndPressesNothing)
{
    ShownDialog d(m_dir, "item-pick", "Select Folder", "report.txt");
    ASSERT_NE(d.hField, nullptr);
    BringToFront(d.hDialog);
    ::PostMessageW(m_hView, WM_COMMAND, MAKEWPARAM(5000, 0), 0);
    EXPECT_TRUE(WaitUntil([&] { return TextOf(d.hField) == m_target; }, 5000)) << TextOf(d.hField);
    ::Sleep(300);
    EXPECT_TRUE(::IsWindow(d.hDialog)) << "nothing confirmed for the user";
    ::PostMessageW(d.hDialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(d.program.WaitForExit(15000));
    EXPECT_EQ(ReadResult(), m_target.substr(0, m_target.size() - 1));
}

// Notepad: the key is free while its plain window is in front, held while its Save As is, and free
// again once the dialog has gone; the pick takes the dialog to the folder, and confirming saves there.
TEST_F(HotkeyEndToEnd, CtrlGAtNotepadsSaveAsIsHeldOnlyThereAndSavesInThePickedFolder)
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
    Pick(hDialog, hCombo, true);
    EXPECT_TRUE(WaitUntil([&] { return TextOf(hCombo) == "report.txt" && FocusOf(hDialog) == FileNameEdit(hDialog); },
                          5000))
        << TextOf(hCombo);
    EXPECT_FALSE(KeyFreeForOthers()) << "the key is held for another pick";

    ::PostMessageW(hDialog, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return ::GetFileAttributesW(Utf8ToWide(m_target + "report.txt").c_str()) !=
                                       INVALID_FILE_ATTRIBUTES; }))
        << "confirming saves in the picked folder";
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(hDialog); }));
    ::SetForegroundWindow(hNotepad);
    EXPECT_TRUE(WaitUntil([&] { return KeyFreeForOthers(); }, 5000)) << "the dialog gone: the key is free again";
}

// Notepad's Open starts with the pattern "*.txt" typed: the pick takes the dialog to the folder and
// gives the pattern back, and a name typed then opens the file from there.
TEST_F(HotkeyEndToEnd, CtrlGAtNotepadsOpenTakesTheDialogToTheFolderWithThePatternBack)
{
    ASSERT_TRUE(MakeEmptyFile(m_target + "report.txt"));
    ChildProcess notepad(NotepadPath(), m_dir);
    ASSERT_TRUE(notepad.m_bStarted);
    HWND hNotepad = nullptr, hDialog = nullptr, hCombo = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (hNotepad = notepad.TopWindow("Notepad", nullptr)) != nullptr; }));
    ::PostMessageW(hNotepad, WM_COMMAND, kNotepadOpen, 0);
    ASSERT_TRUE(WaitUntil([&] { return (hDialog = notepad.TopWindow("#32770", "Open")) != nullptr &&
                                       (hCombo = ::GetDlgItem(hDialog, 1148)) != nullptr; }));
    Pick(hDialog, hCombo, true);
    EXPECT_TRUE(WaitUntil([&] { return TextOf(hCombo) == "*.txt"; }, 5000)) << TextOf(hCombo);
    SetTextOf(hCombo, "report.txt");
    ::PostMessageW(hDialog, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return AfxGetWindowText(hNotepad).find("report") != std::string::npos; }))
        << AfxGetWindowText(hNotepad);
}

// A favourite whose folder was removed: nothing is sent, the user is told by name, the field stays;
// and a tray pick followed within the settle second by a pick at the dialog: the later one wins.
TEST_F(HotkeyEndToEnd, AFolderThatIsGoneIsToldAndTheNewestPickWins)
{
    ShownDialog d(m_dir, "item-save", "Save", "report.txt");
    ASSERT_NE(d.hField, nullptr);
    ::RemoveDirectoryW(Utf8ToWide(m_other).c_str());
    Pick(d.hDialog, d.hField, false);
    const std::string told = ToldInABox();
    EXPECT_NE(told.find(m_other), std::string::npos) << told;
    EXPECT_EQ(TextOf(d.hField), "report.txt");
    ::CreateDirectoryW(Utf8ToWide(m_other).c_str(), nullptr);

    // The tray's pick of Other: found at once, pasted a second later unless a later pick replaced it.
    BringToFront(d.hDialog);
    ::PostMessageW(m_hView, WM_COMMAND, MAKEWPARAM(5001, 0), 0);
    ASSERT_NE(PressHotkey(d.hField), nullptr);
    SendKeys({{VK_RETURN, true}, {VK_RETURN, false}}); // Target
    ::Sleep(2000); // past the tray pick's second
    EXPECT_EQ(TextOf(d.hField), "report.txt");
    ::PostMessageW(d.hDialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(d.program.WaitForExit(15000));
    EXPECT_EQ(ReadResult(), m_target + "report.txt");
}

// The folders used lately, from real shortcuts in the Recent folder: below the favourites, newest
// first, each once, a folder that is gone left out and a share listed unasked; a pick of one takes
// the dialog there.
TEST_F(HotkeyEndToEnd, TheRecentFoldersFollowTheFavouritesNewestFirstAndAPickGoesThere)
{
    const std::wstring recent = RecentFolderPath();
    ASSERT_FALSE(recent.empty());
    const std::string a = m_dir + "\\Recent A\\", b = m_dir + "\\Recent \xc3\x9c" "bung\\", c = m_dir + "\\Recent C\\";
    const std::string gone = m_dir + "\\Gone\\";
    for (const std::string& dir : {a, b, c, gone})
        ::CreateDirectoryW(Utf8ToWide(dir).c_str(), nullptr);
    ASSERT_TRUE(MakeEmptyFile(b + "notes.txt"));
    const struct {
        const wchar_t* pszLink;
        std::string target;
        DWORD dwAttributes;
        int nAge; // minutes
    } links[] = {
        {L"trovel-gone.lnk", gone, FILE_ATTRIBUTE_DIRECTORY, 1},
        {L"trovel-a.lnk", a, FILE_ATTRIBUTE_DIRECTORY, 2},
        {L"trovel-notes.lnk", b + "notes.txt", FILE_ATTRIBUTE_ARCHIVE, 3},
        {L"trovel-target.lnk", m_target, FILE_ATTRIBUTE_DIRECTORY, 4}, // a favourite already
        {L"trovel-a-again.lnk", a, FILE_ATTRIBUTE_DIRECTORY, 5},
        {L"trovel-share.lnk", "\\\\trovel-nowhere\\share\\r.txt", FILE_ATTRIBUTE_ARCHIVE, 6},
        {L"trovel-c.lnk", c, FILE_ATTRIBUTE_DIRECTORY, 7},
    };
    for (const auto& link : links)
        ASSERT_TRUE(MakeShortcut(recent + link.pszLink, Utf8ToWide(link.target), link.dwAttributes, link.nAge));
    ::RemoveDirectoryW(Utf8ToWide(gone).c_str());

    // Target, Other, then A, Übung, the share and C: Down twice is A, five times C.
    const struct {
        int nDowns;
        std::string folder;
    } picks[] = {{2, a}, {3, b}, {5, c}};
    for (const auto& pick : picks) {
        SCOPED_TRACE(pick.folder);
        ::DeleteFileW(Utf8ToWide(m_dir + "\\result.txt").c_str());
        ShownDialog d(m_dir, "item-save", "Save", "report.txt");
        ASSERT_NE(d.hField, nullptr);
        ASSERT_NE(OpenMenuWithHotkey(d.hDialog, d.hField), nullptr);
        for (int i = 0; i < pick.nDowns; ++i)
            SendKeys({{VK_DOWN, true}, {VK_DOWN, false}});
        SendKeys({{VK_RETURN, true}, {VK_RETURN, false}});
        ASSERT_TRUE(WaitUntil([&] { return TextOf(d.hField) == "report.txt"; }, 5000));
        ::Sleep(300);
        ::PostMessageW(d.hDialog, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(d.program.WaitForExit(15000));
        EXPECT_EQ(ReadResult(), pick.folder + "report.txt");
        // What the dialog itself added to the recent items is not this test's.
        WIN32_FIND_DATAW data;
        HANDLE hFind = ::FindFirstFileW((recent + L"*.lnk").c_str(), &data);
        for (BOOL bMore = hFind != INVALID_HANDLE_VALUE; bMore; bMore = ::FindNextFileW(hFind, &data)) {
            if (std::wstring(data.cFileName).compare(0, 7, L"trovel-") != 0)
                ::DeleteFileW((recent + data.cFileName).c_str());
        }
        if (hFind != INVALID_HANDLE_VALUE)
            ::FindClose(hFind);
    }
    for (const auto& link : links)
        ::DeleteFileW((recent + link.pszLink).c_str());
    for (const std::string& dir : {a, b, c}) {
        ::DeleteFileW(Utf8ToWide(dir + "report.txt").c_str());
        ::DeleteFileW(Utf8ToWide(dir + "notes.txt").c_str());
        ::RemoveDirectoryW(Utf8ToWide(dir).c_str());
    }
}

// The setup's close message while the menu at the dialog is open: the menu closes, Trovel ends with
// its favourites in place, and the dialog is left as it was.
TEST_F(HotkeyEndToEnd, AppCloseWhileTheMenuAtTheDialogIsOpenEndsTrovelOnceTheMenuHasClosed)
{
    ShownDialog d(m_dir, "item-save", "Save", "report.txt");
    ASSERT_NE(d.hField, nullptr);
    HWND hMenu = OpenMenuWithHotkey(d.hDialog, d.hField);
    ASSERT_NE(hMenu, nullptr);
    ::PostMessageW(m_hFrame, kAppClose, 0, 0);
    EXPECT_TRUE(m_trovel->WaitForExit(5000));
    DWORD dwExit = 1;
    ::GetExitCodeProcess(m_trovel->m_pi.hProcess, &dwExit);
    EXPECT_EQ(dwExit, 0u);
    EXPECT_FALSE(::IsWindowVisible(hMenu));
    EXPECT_TRUE(::IsWindow(d.hDialog));
    EXPECT_EQ(TextOf(d.hField), "report.txt");
    const std::vector<std::string> stored = DumpKeyTree(HKEY_LOCAL_MACHINE, std::string(kRoot) + "\\PathList");
    EXPECT_NE(std::find(stored.begin(), stored.end(), ":<P0>=<" + m_target + ">"), stored.end());
    EXPECT_NE(std::find(stored.begin(), stored.end(), ":<P1>=<" + m_other + ">"), stored.end());
}

} // namespace
