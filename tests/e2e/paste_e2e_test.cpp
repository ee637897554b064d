// The real Trovel.exe pasting a favourite folder into the real Save As dialog of another program (notepad).
#include "tests/e2e/ChildProcess.h"
#include "tests/e2e/E2eSupport.h"
#include "tests/e2e/WaitUntil.h"
#include "tests/harness/Harness.h"
#include "tests/support/Clipboard.h"
#include "tests/support/RegistryDump.h"
#include "fw/TextConv.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

const WPARAM kNotepadSaveAs = 0x103;
const int kFileNameField = 1148; // the Explorer-style dialog's name combo box
const std::string kLongFolder = "C:\\" + std::string(255, 'f') + "\\"; // 259 characters

std::string ScratchDir()
{
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    char dir[MAX_PATH];
    std::snprintf(dir, sizeof(dir), "%strovel-paste-%lu", temp, ::GetCurrentProcessId());
    ::CreateDirectoryA(dir, nullptr);
    return dir;
}

bool FileExists(const std::string& path)
{
    return ::GetFileAttributesW(Utf8ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Names no code page spells whole: Polish, a snowman, Japanese; U+FF3C, a legal name character that
// looks like a backslash; and a long one.
const std::string kMixedName = "\xC5\xBB\xC3\xB3\xC5\x82w \xE2\x98\x83 \xE6\x97\xA5\xE6\x9C\xAC.txt"; // Żółw ☃ 日本.txt
const std::string kFullwidthName = "a\xEF\xBC\xBC" "b.txt";                                      // a＼b.txt
const std::string kLongName = std::string(246, 'n') + ".txt";                                   // 250 characters

std::string TraceLine(HWND hWnd, const std::string& title, const std::string& className)
{
    char head[16];
    std::snprintf(head, sizeof(head), "0x%.8lx", (unsigned long)(UINT_PTR)hWnd);
    return std::string(head) + " \"" + title + "\" " + className;
}

// Trovel with three favourites, in a scratch directory, and notepad with its Save As dialog open.
class PasteEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kRoot);
        DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Larkfield Software\\Trovel"); // a user's own key comes first
        ASSERT_TRUE(SetValue("Newbie", "Help", "1")); // no help viewer at start
        const struct { const char* index; std::string path; const char* name; const char* id; } favourites[] = {
            {"0", "C:\\windows\\", "Windows", "5000"},
            {"1", "C:\\users", "Users", "5001"},
            {"2", kLongFolder, "Deep", "5002"},
        };
        for (const auto& f : favourites) {
            ASSERT_TRUE(SetValue("PathList", (std::string("P") + f.index).c_str(), f.path));
            ASSERT_TRUE(SetValue("PathList", (std::string("SN") + f.index).c_str(), f.name));
            ASSERT_TRUE(SetValue("PathList", (std::string("ID") + f.index).c_str(), f.id));
        }
        m_dir = ScratchDir();
        ::DeleteFileA(TracePath().c_str());

        m_trovel = std::make_unique<ChildProcess>(TROVEL_EXE, m_dir);
        ASSERT_TRUE(m_trovel->m_bStarted);
        ASSERT_TRUE(WaitUntil([this] { return (m_hFrame = m_trovel->TopWindow(nullptr, "Trovel")) != nullptr; }));
        ASSERT_TRUE(WaitUntil([this] { return (m_hView = ::FindWindowExA(m_hFrame, nullptr, "#32770", nullptr)) != nullptr; }));

        m_notepad = std::make_unique<ChildProcess>(NotepadPath(), m_dir);
        ASSERT_TRUE(m_notepad->m_bStarted);
        OpenSaveAs();
    }

    void TearDown() override
    {
        if (m_hSuspended != nullptr) {
            ::ResumeThread(m_hSuspended);
            ::CloseHandle(m_hSuspended);
        }
        if (m_trovel != nullptr && m_trovel->Alive()) {
            ::PostMessageA(m_hFrame, kAppClose, 0, 0);
            EXPECT_TRUE(m_trovel->WaitForExit(15000));
        }
        m_notepad.reset();
        m_trovel.reset();
        ::DeleteFileA(TracePath().c_str());
        ::RemoveDirectoryA(m_dir.c_str());
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kRoot);
    }

    void OpenSaveAs()
    {
        HWND hNotepad = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (hNotepad = m_notepad->TopWindow("Notepad", nullptr)) != nullptr; }));
        ::PostMessageA(hNotepad, WM_COMMAND, kNotepadSaveAs, 0);
        ASSERT_TRUE(WaitUntil([this] { return (m_hDialog = m_notepad->TopWindow("#32770", "Save As")) != nullptr; }));
        ASSERT_TRUE(WaitUntil([this] { return (m_hField = ::GetDlgItem(m_hDialog, kFileNameField)) != nullptr; }));
        ASSERT_TRUE(WaitUntil([this] { return ::IsWindowVisible(m_hDialog) != FALSE; })) << "the scan leaves hidden windows out";
    }

    std::string Field() const { return TextOf(m_hField); }
    void SetField(const std::string& text) const { SetTextOf(m_hField, text); }

    // The tray menu's folder item, as the menu would send it to the view.
    void Pick(int nID) const { ::PostMessageA(m_hView, WM_COMMAND, MAKEWPARAM(nID, 0), 0); }

    std::string TracePath() const { return m_dir + "\\windows.txt"; }
    std::string LastTraceLine() const
    {
        std::ifstream in(TracePath(), std::ios::binary);
        std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (all.size() < 2 || all.compare(all.size() - 2, 2, "\r\n") != 0)
            return "";
        all.resize(all.size() - 2);
        size_t start = all.rfind("\r\n");
        if (start == std::string::npos) // the only line: after the byte-order mark
            return all.compare(0, 3, "\xEF\xBB\xBF") == 0 ? all.substr(3) : all;
        return all.substr(start + 2);
    }
    // The scan has found the dialog: its line closes the trace, which is written before the wait.
    bool ScanFoundDialog() const { return LastTraceLine() == TraceLine(m_hDialog, "Save As", "#32770"); }

    std::string m_dir;
    std::unique_ptr<ChildProcess> m_trovel, m_notepad;
    HWND m_hFrame = nullptr, m_hView = nullptr, m_hDialog = nullptr, m_hField = nullptr;
    HANDLE m_hSuspended = nullptr;
};

TEST_F(PasteEndToEnd, FieldGetsTheFolderInPlaceOfAnyFolderPartAndTheTypedName)
{
    // Past the 248 characters a folder may be made with, but not past MAX_PATH.
    const std::wstring longFolder = L"\\\\?\\" + Utf8ToWide(kLongFolder);
    ASSERT_TRUE(::CreateDirectoryW(longFolder.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
    const std::string long300(300, 'n');
    const struct {
        int nID;
        std::string typed;
        std::string expected;
    } cases[] = {
        {5000, "report.txt", "C:\\windows\\report.txt"},
        {5000, "", "C:\\windows\\untitled"},
        {5001, "report.txt", "C:\\users\\report.txt"}, // a folder stored without its backslash
        {5000, "C:\\Old\\report.txt", "C:\\windows\\report.txt"},
        {5001, "\\\\server\\share\\report.txt", "C:\\users\\report.txt"},
        {5000, "\"report.txt\"", "\"C:\\windows\\report.txt\""},
        {5002, long300, kLongFolder + long300}, // read whole, 559 characters written whole
        {5000, kMixedName, "C:\\windows\\" + kMixedName},
        {5000, kFullwidthName, "C:\\windows\\" + kFullwidthName},
    };
    for (const auto& c : cases) {
        SetField(c.typed);
        ASSERT_EQ(Field(), c.typed);
        ::DeleteFileA(TracePath().c_str());
        Pick(c.nID);
        EXPECT_TRUE(WaitUntil([&] { return Field() == c.expected; })) << c.nID << " + \"" << c.typed << "\" gave \"" << Field() << '"';
        EXPECT_TRUE(ScanFoundDialog()) << LastTraceLine();
        // The paste reads the field back after writing it; the next case types only once that read
        // is surely over, as a user would, and the field still holds the path then.
        ::Sleep(1000);
        EXPECT_EQ(Field(), c.expected);
    }
    ::RemoveDirectoryW(longFolder.c_str());
}

TEST_F(PasteEndToEnd, TrovelAnswersThroughoutTheSettleWait)
{
    SetField("report.txt");
    Pick(5000);
    // Every answer from the pick to the paste: the longest silence is what a user would feel.
    DWORD dwLongest = 0;
    const DWORD dwStart = ::GetTickCount();
    while (Field() != "C:\\windows\\report.txt" && ::GetTickCount() - dwStart < 10000) {
        const DWORD dwAsked = ::GetTickCount();
        DWORD_PTR result = 0;
        ASSERT_TRUE(::SendMessageTimeoutA(m_hView, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result));
        dwLongest = std::max(dwLongest, ::GetTickCount() - dwAsked);
        ::Sleep(10);
    }
    EXPECT_EQ(Field(), "C:\\windows\\report.txt");
    EXPECT_GE(::GetTickCount() - dwStart, 900u) << "the dialog is given its time to settle";
    EXPECT_LT(dwLongest, 100u) << "the longest silence during a tray pick, ms";
}

TEST_F(PasteEndToEnd, DialogClosedBetweenScanAndPasteChangesNothing)
{
    EmptyTheClipboard();
    SetField("report.txt");
    ::DeleteFileA(TracePath().c_str());
    Pick(5000);
    ASSERT_TRUE(WaitUntil([this] { return ScanFoundDialog(); }));
    // Within the second between the scan and the paste.
    ASSERT_EQ(Field(), "report.txt");
    ::PostMessageA(m_hDialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([this] { return !::IsWindow(m_hDialog); }));

    ::Sleep(2000); // past the paste
    EXPECT_TRUE(m_trovel->Alive());
    // Nothing told: no box of Trovel's, nothing on the clipboard.
    EXPECT_EQ(m_trovel->TopWindow("#32770", "Trovel"), nullptr);
    EXPECT_EQ(ClipboardText(), "");
    DWORD_PTR result = 0;
    EXPECT_NE(::SendMessageTimeoutA(m_hFrame, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result), 0);
    OpenSaveAs();
    EXPECT_EQ(Field().find("C:\\windows"), std::string::npos) << Field();

    // The program goes on working with the dialog opened anew.
    SetField("report.txt");
    Pick(5000);
    EXPECT_TRUE(WaitUntil([this] { return Field() == "C:\\windows\\report.txt"; })) << Field();
}

TEST_F(PasteEndToEnd, HungDialogOwnerLeavesTrovelAnsweringAppClose)
{
    EmptyTheClipboard();
    SetField("report.txt");
    DWORD tid = ::GetWindowThreadProcessId(m_hDialog, nullptr);
    m_hSuspended = ::OpenThread(THREAD_SUSPEND_RESUME, FALSE, tid);
    ASSERT_NE(m_hSuspended, nullptr);
    ASSERT_NE(::SuspendThread(m_hSuspended), (DWORD)-1);

    ::DeleteFileA(TracePath().c_str());
    Pick(5000);
    // The scan reads other programs' titles without asking them, so it finds the hung dialog.
    ASSERT_TRUE(WaitUntil([this] { return ScanFoundDialog(); }));
    // The read of the hung field gives up: the failure is told (here, box or balloon, the clipboard
    // holds the folder: the typed name was never read).
    EXPECT_TRUE(WaitUntil([] { return ClipboardText() == "C:\\windows\\"; })) << ClipboardText();
    HWND hBox = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return (hBox = m_trovel->TopWindow("#32770", "Trovel")) != nullptr && ::IsWindowVisible(hBox); }, 8000));
    const std::string told = BoxText(hBox);
    EXPECT_NE(told.find("does not answer"), std::string::npos) << told;
    ASSERT_TRUE(m_trovel->Alive());
    ::PostMessageA(m_hFrame, kAppClose, 0, 0);
    EXPECT_TRUE(m_trovel->WaitForExit(15000)) << "Trovel is stuck on the hung dialog";

    ::ResumeThread(m_hSuspended);
    ::CloseHandle(m_hSuspended);
    m_hSuspended = nullptr;
    EXPECT_EQ(Field(), "report.txt");
}

// Trovel with one favourite, a scratch folder, and the real file dialogs of Wine, each shown by
// another program, confirmed from here after the pick; the name each dialog returns is checked.
class RealDialogsEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kRoot);
        ASSERT_TRUE(SetValue("Newbie", "Help", "1"));
        m_dir = ScratchDir();
        // C:\Проекты\報告\ below the scratch folder; and a short one, so a long name still fits a path.
        m_parent = m_dir + "\\\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB5\xD0\xBA\xD1\x82\xD1\x8B";
        m_folder = m_parent + "\\\xE5\xA0\xB1\xE5\x91\x8A\\";
        ::CreateDirectoryW(Utf8ToWide(m_parent).c_str(), nullptr);
        ASSERT_TRUE(::CreateDirectoryW(Utf8ToWide(m_folder).c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
        ::CreateDirectoryW(Utf8ToWide(m_short).c_str(), nullptr);
        const struct { const char* index; std::string path; const char* id; } favourites[] = {
            {"0", m_folder, "5000"}, {"1", m_short, "5001"}};
        for (const auto& f : favourites) {
            ASSERT_TRUE(SetValue("PathList", (std::string("P") + f.index).c_str(), f.path));
            ASSERT_TRUE(SetValue("PathList", (std::string("SN") + f.index).c_str(), "Target"));
            ASSERT_TRUE(SetValue("PathList", (std::string("ID") + f.index).c_str(), f.id));
        }
        m_trovel = std::make_unique<ChildProcess>(TROVEL_EXE, m_dir);
        ASSERT_TRUE(m_trovel->m_bStarted);
        ASSERT_TRUE(WaitUntil([this] { return (m_hFrame = m_trovel->TopWindow(nullptr, "Trovel")) != nullptr; }));
        ASSERT_TRUE(WaitUntil([this] { return (m_hView = ::FindWindowExA(m_hFrame, nullptr, "#32770", nullptr)) != nullptr; }));
    }
    void TearDown() override
    {
        if (m_trovel != nullptr && m_trovel->Alive()) {
            ::PostMessageA(m_hFrame, kAppClose, 0, 0);
            EXPECT_TRUE(m_trovel->WaitForExit(15000));
        }
        m_trovel.reset();
        for (const std::string& name : {kMixedName, kFullwidthName, kLongName, std::string("report.txt")}) {
            ::DeleteFileW(Utf8ToWide(m_folder + name).c_str());
            ::DeleteFileW(Utf8ToWide(m_short + name).c_str());
        }
        for (const char* name : {"windows.txt", "result.txt"})
            ::DeleteFileA((m_dir + "\\" + name).c_str());
        ::RemoveDirectoryW(Utf8ToWide(m_folder).c_str());
        ::RemoveDirectoryW(Utf8ToWide(m_parent).c_str());
        ::RemoveDirectoryW(Utf8ToWide(m_short).c_str());
        ::RemoveDirectoryA(m_dir.c_str());
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kRoot);
    }

    std::string ReadResult() const { return ReadFileText(m_dir + "\\result.txt"); }

    std::string m_dir, m_parent, m_folder, m_short = "C:\\L\\";
    std::unique_ptr<ChildProcess> m_trovel;
    HWND m_hFrame = nullptr, m_hView = nullptr;
};

TEST_F(RealDialogsEndToEnd, SaveDialogsReturnThePastedPathAndOpenDialogsShowTheFolder)
{
    const struct {
        const char* kind;
        const char* title;
        std::string typed;
        int nID;
        bool bOpen;
        bool bQuoted = false;
    } cases[] = {
        {"item-save", "Save", kMixedName, 5000, false},
        {"old-save", "Save As", kMixedName, 5000, false},
        {"item-save", "Save", kFullwidthName, 5000, false},
        {"old-save", "Save As", kLongName, 5001, false},
        {"item-save", "Save", "report.txt", 5001, false, true}, // typed in quotes: saved in the picked folder
        {"item-open", "Open", "report.txt", 5000, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.kind) + " " + c.typed);
        ::DeleteFileA((m_dir + "\\result.txt").c_str());
        if (c.bOpen) // after the saves (which would ask to replace it): a file to open from the folder
            ASSERT_TRUE(MakeEmptyFile(m_folder + "report.txt"));
        const std::string typed = c.bQuoted ? '"' + c.typed + '"' : c.typed;
        ShownDialog shown(m_dir, c.kind, c.title, typed);
        ASSERT_NE(shown.hField, nullptr);
        const HWND hDialog = shown.hDialog, hField = shown.hField;
        ChildProcess& program = shown.program;
        ::PostMessageA(m_hView, WM_COMMAND, MAKEWPARAM(c.nID, 0), 0);
        const std::string folder = c.nID == 5000 ? m_folder : m_short;
        // An open dialog gets the folder alone: the typed name is not a pattern.
        const std::string expected = c.bOpen ? folder : c.bQuoted ? '"' + folder + c.typed + '"' : folder + c.typed;
        EXPECT_TRUE(WaitUntil([&] { return TextOf(hField) == expected; }))
            << TextOf(hField) << "; the scan saw:\n" << ReadFileText(m_dir + "\\windows.txt");
        ::PostMessageA(hDialog, WM_COMMAND, IDOK, 0); // the user confirms
        if (c.bOpen) {
            // The dialog goes to the folder (it started in another, which has no report.txt), and a
            // name typed there opens from it.
            ::Sleep(1000);
            SetTextOf(hField, "report.txt");
            ::PostMessageA(hDialog, WM_COMMAND, IDOK, 0);
        }
        ASSERT_TRUE(program.WaitForExit(15000));
        EXPECT_EQ(ReadResult(), folder + c.typed);
    }
}

TEST_F(RealDialogsEndToEnd, NotepadSavesUnderThePastedPath)
{
    ChildProcess notepad(NotepadPath(), m_dir);
    HWND hNotepad = nullptr, hDialog = nullptr, hField = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (hNotepad = notepad.TopWindow("Notepad", nullptr)) != nullptr; }));
    ::PostMessageA(hNotepad, WM_COMMAND, kNotepadSaveAs, 0);
    ASSERT_TRUE(WaitUntil([&] { return (hDialog = notepad.TopWindow("#32770", "Save As")) != nullptr &&
                                       ::IsWindowVisible(hDialog) && (hField = ::GetDlgItem(hDialog, kFileNameField)) != nullptr; }));
    SetTextOf(hField, kMixedName);
    ::PostMessageA(m_hView, WM_COMMAND, MAKEWPARAM(5000, 0), 0);
    ASSERT_TRUE(WaitUntil([&] { return TextOf(hField) == m_folder + kMixedName; })) << TextOf(hField);
    ::PostMessageA(hDialog, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return FileExists(m_folder + kMixedName); }));
    EXPECT_TRUE(WaitUntil([&] { return AfxGetWindowText(hNotepad).find("\xE6\x97\xA5\xE6\x9C\xAC") != std::string::npos; }))
        << AfxGetWindowText(hNotepad);
}

} // namespace
