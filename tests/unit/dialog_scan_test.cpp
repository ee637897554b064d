// The scan over real top-level windows made by the test, its trace file, and the paste into a real edit field.
#include "app/MainFrame.h"
#include "app/TrovelDoc.h"
#include "fw/DocTemplate.h"
#include "fw/FrameWnd.h"
#include "res/resource.h"
#include "tests/support/Clipboard.h"
#include "tests/support/TestApp.h"
#include "tests/support/TrayProbe.h"
#include "fw/NestedLoop.h"
#include "watcher/DialogField.h"
#include "watcher/PathInjection.h"
#include "watcher/Recognizer.h"
#include "watcher/TargetProcess.h"
#include "watcher/TrovelView.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <sstream>
#include <vector>

namespace {

const char kProbeClass[] = "TrovelScanProbe";

HINSTANCE Instance() { return ::GetModuleHandleW(nullptr); }

void RegisterProbeClass()
{
    WNDCLASSW wc = {};
    if (::GetClassInfoW(Instance(), L"TrovelScanProbe", &wc))
        return;
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = Instance();
    wc.lpszClassName = L"TrovelScanProbe";
    ::RegisterClassW(&wc);
}

// A top-level window the test owns; destroyed with the object.
class TestWindow {
public:
    TestWindow(const char* pszClass, const std::string& title, HWND hOwner = nullptr)
    {
        RegisterProbeClass();
        // Unicode windows, as today's dialogs are: their titles and fields hold any character.
        m_hWnd = ::CreateWindowExW(0, Utf8ToWide(pszClass).c_str(), Utf8ToWide(title).c_str(), WS_POPUP | WS_CAPTION | WS_VISIBLE,
                                   10, 10, 300, 120, hOwner, nullptr, Instance(), nullptr);
        Raise();
    }
    ~TestWindow()
    {
        if (::IsWindow(m_hWnd))
            ::DestroyWindow(m_hWnd);
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    // An edit child with the given control id, as a file dialog's name field.
    HWND AddField(int nID, const std::string& text)
    {
        return ::CreateWindowExW(0, L"EDIT", Utf8ToWide(text).c_str(), WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10, 10,
                                 200, 24, m_hWnd, (HMENU)(INT_PTR)nID, Instance(), nullptr);
    }
    void SetFieldText(int nID, const std::string& text) { AfxSetWindowText(::GetDlgItem(m_hWnd, nID), text); }
    std::string FieldText(int nID) const
    {
        return AfxGetWindowText(::GetDlgItem(m_hWnd, nID));
    }
    void Raise() { ::SetWindowPos(m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE); }
    void Destroy() { ::DestroyWindow(m_hWnd); }

    HWND m_hWnd = nullptr;
};

// The line the trace holds for a window: handle as eight lower-case hex digits, quoted title, class.
std::string TraceLine(HWND hWnd, const std::string& title, const std::string& className)
{
    std::ostringstream os;
    os << "0x";
    os.width(8);
    os.fill('0');
    os << std::hex << (unsigned long)(UINT_PTR)hWnd << " \"" << title << "\" " << className;
    return os.str();
}

// Runs this thread's messages until the condition holds; false after a generous limit.
bool PumpUntil(const std::function<bool()>& done, DWORD dwLimit = 10000)
{
    for (DWORD start = ::GetTickCount(); !done();) {
        if (::GetTickCount() - start > dwLimit)
            return false;
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

// Ends the settle wait at once, as its timer would.
void EndSettleWait(HWND hView)
{
    ::SendMessageA(hView, WM_TIMER, CTrovelView::kSettleTimerId, 0);
}

bool PastePending(HWND hView)
{
    EndSettleWait(hView);
    MSG msg;
    return ::PeekMessageA(&msg, hView, WM_PASTE_PATH, WM_PASTE_PATH, PM_NOREMOVE) != FALSE;
}

// Runs the paste the scan has posted, and only that.
void RunPendingPaste(HWND hView)
{
    EndSettleWait(hView);
    MSG msg;
    while (::PeekMessageA(&msg, hView, WM_PASTE_PATH, WM_PASTE_PATH, PM_REMOVE))
        ::DispatchMessageA(&msg);
}

// "Trovel|text" of each message box captioned "Trovel" this thread opens, answered with OK at once.
std::vector<std::string> g_boxes;
LRESULT CALLBACK AnswerMessageBoxes(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT* pMsg = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    char caption[64] = {};
    if (code == HC_ACTION && pMsg->message == WM_INITDIALOG && ::GetWindowTextA(pMsg->hwnd, caption, sizeof(caption)) &&
        std::string(caption) == "Trovel") {
        std::string box = std::string(caption) + "|";
        for (HWND h = ::GetWindow(pMsg->hwnd, GW_CHILD); h != nullptr; h = ::GetWindow(h, GW_HWNDNEXT)) {
            char className[16] = {}, text[1024] = {};
            ::GetClassNameA(h, className, sizeof(className));
            if (::lstrcmpiA(className, "Static") == 0 && ::GetWindowTextA(h, text, sizeof(text)) > 0)
                box += text;
        }
        g_boxes.push_back(box);
        ::PostMessageA(pMsg->hwnd, WM_COMMAND, IDOK, 0);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// The folders the tests pick, which a pick finds there; removed with the object.
class PickedFolders {
public:
    PickedFolders()
    {
        for (const char* pszFolder : kFolders)
            ::CreateDirectoryA(pszFolder, nullptr);
    }
    ~PickedFolders()
    {
        for (const char* pszFolder : kFolders)
            ::RemoveDirectoryA(pszFolder);
    }

private:
    static constexpr const char* kFolders[] = {"C:\\Work", "C:\\Other"};
};

// A hidden frame with the watcher view over a scratch settings root, in a scratch current directory.
class WatcherTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_boxes.clear();
        m_hBoxHook = ::SetWindowsHookExA(WH_CALLWNDPROCRET, &AnswerMessageBoxes, nullptr, ::GetCurrentThreadId());
        char temp[MAX_PATH];
        ::GetTempPathA(MAX_PATH, temp);
        char dir[MAX_PATH];
        std::snprintf(dir, sizeof(dir), "%strovel-scan-%lu", temp, ::GetCurrentProcessId());
        m_dir = dir;
        ::CreateDirectoryA(m_dir.c_str(), nullptr);
        ::GetCurrentDirectoryA(MAX_PATH, m_savedDir);
        ::SetCurrentDirectoryA(m_dir.c_str());
        ::DeleteFileA(TracePath().c_str());

        CFrameWnd* pFrame = nullptr;
        m_pView = NewViewInFrame(&pFrame);
        ASSERT_NE(m_pView, nullptr);
        m_hFrame = pFrame->m_hWnd;
        m_hView = m_pView->m_hWnd;
        m_pView->m_nOSClass = OSCLASS_WIN2000;
        // The test's own windows stand for another program's.
        m_pView->m_dwOwnProcessId = 0;
    }

    void TearDown() override
    {
        if (m_hFrame != nullptr)
            ::DestroyWindow(m_hFrame); // frame and view delete themselves
        PumpUntil([] { return true; });
        ::DeleteFileA(TracePath().c_str());
        ::SetCurrentDirectoryA(m_savedDir);
        ::RemoveDirectoryA(m_dir.c_str());
        if (m_hBoxHook != nullptr)
            ::UnhookWindowsHookEx(m_hBoxHook);
    }

    void AddPath(const std::string& path, const std::string& name, int nID)
    {
        m_pView->m_pathList.push_back(std::make_unique<PathEntry>(PathEntry{path, name, nID}));
    }

    void Scan(int nID) { ::SendMessageA(m_hView, WM_FIND_DIALOG, nID, nID); }

    std::string TracePath() const { return m_dir + "\\windows.txt"; }
    bool TraceExists() const { return ::GetFileAttributesA(TracePath().c_str()) != INVALID_FILE_ATTRIBUTES; }

    // The trace's lines; every line must end in CR LF.
    std::vector<std::string> TraceLines() const
    {
        std::ifstream in(TracePath(), std::ios::binary);
        std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<std::string> lines;
        // UTF-8, marked as such, so that Notepad shows every title right.
        EXPECT_EQ(all.compare(0, 3, "\xEF\xBB\xBF"), 0) << "no byte-order mark";
        size_t pos = all.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
        for (size_t eol; (eol = all.find("\r\n", pos)) != std::string::npos; pos = eol + 2)
            lines.push_back(all.substr(pos, eol - pos));
        EXPECT_EQ(pos, all.size()) << "text after the last line end";
        return lines;
    }

    static bool Holds(const std::vector<std::string>& lines, const std::string& line)
    {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    ScratchRegistryRoot m_scratch;
    PickedFolders m_folders;
    std::string m_dir;
    char m_savedDir[MAX_PATH] = {};
    HWND m_hFrame = nullptr, m_hView = nullptr;
    CTrovelView* m_pView = nullptr;
    HHOOK m_hBoxHook = nullptr;
};

TEST_F(WatcherTest, PathCommandsPostTheScanWithTheirId)
{
    for (UINT nID = ID_PATH_FIRST - 1; nID <= ID_PATH_LAST + 1; ++nID) {
        ::SendMessageA(m_hView, WM_COMMAND, MAKEWPARAM(nID, 0), 0);
        MSG msg;
        bool posted = ::PeekMessageA(&msg, m_hView, WM_FIND_DIALOG, WM_FIND_DIALOG, PM_REMOVE) != FALSE;
        EXPECT_EQ(posted, nID >= ID_PATH_FIRST && nID <= ID_PATH_LAST) << nID;
        if (posted) {
            EXPECT_EQ(msg.wParam, (WPARAM)nID);
            EXPECT_EQ(msg.lParam, (LPARAM)nID);
        }
    }
    // The posted message runs the scan: an entry with the id gets a trace.
    AddPath("C:\\Work\\", "Work", 5002);
    ::SendMessageA(m_hView, WM_COMMAND, MAKEWPARAM(5002, 0), 0);
    EXPECT_FALSE(TraceExists());
    ASSERT_TRUE(PumpUntil([this] { return TraceExists(); }));
    EXPECT_EQ(m_pView->m_pSelectedPath, m_pView->m_pathList[0].get());
}

TEST_F(WatcherTest, NoEntryForTheIdMeansNoScanNoTraceAndNoPaste)
{
    TestWindow dialog("#32770", "Save As");
    dialog.AddField(1148, "report.txt");

    // An earlier scan's result stays, but the selection is cleared, so a stray paste does nothing.
    PathEntry stale{"C:\\Stale\\", "Stale", 5000};
    m_pView->m_pSelectedPath = &stale;
    m_pView->m_bFound = true;
    m_pView->m_hFoundWnd = dialog.m_hWnd;
    m_pView->m_nFoundCtrlId = 1148;
    Scan(5000); // empty list
    EXPECT_EQ(m_pView->m_pSelectedPath, nullptr);
    EXPECT_FALSE(TraceExists());

    AddPath("C:\\Work\\", "Work", 5000);
    AddPath("C:\\Home\\", "Home", 5001);
    m_pView->m_pSelectedPath = &stale;
    Scan(5003); // no entry carries this id
    EXPECT_EQ(m_pView->m_pSelectedPath, nullptr);
    EXPECT_FALSE(TraceExists());
    EXPECT_TRUE(m_pView->m_bFound);
    EXPECT_EQ(m_pView->m_hFoundWnd, dialog.m_hWnd);
    EXPECT_FALSE(PastePending(m_hView));

    ::SendMessageA(m_hView, WM_PASTE_PATH, 0, 0);
    EXPECT_EQ(dialog.FieldText(1148), "report.txt");
}

TEST_F(WatcherTest, HighestDialogInTheZOrderWinsAndEndsTheTrace)
{
    AddPath("C:\\Work\\", "Work", 5000);
    TestWindow below(kProbeClass, "Below both");
    TestWindow lower("#32770", "Save As");
    lower.AddField(1148, "lower.txt");
    TestWindow upper("#32770", "Save As");
    upper.AddField(1148, "upper.txt");
    TestWindow above(kProbeClass, "Above both");

    Scan(5000);
    ASSERT_TRUE(m_pView->m_bFound);
    EXPECT_EQ(m_pView->m_hFoundWnd, upper.m_hWnd);
    EXPECT_EQ(m_pView->m_nFoundCtrlId, 1148);
    std::vector<std::string> lines = TraceLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), TraceLine(upper.m_hWnd, "Save As", "#32770"));
    EXPECT_EQ(m_pView->m_strWindowInfo, lines.back());
    EXPECT_TRUE(Holds(lines, TraceLine(above.m_hWnd, "Above both", kProbeClass)));
    EXPECT_FALSE(Holds(lines, TraceLine(lower.m_hWnd, "Save As", "#32770")));
    EXPECT_FALSE(Holds(lines, TraceLine(below.m_hWnd, "Below both", kProbeClass)));

    // The scan posts the paste; only the winner's field changes.
    ASSERT_TRUE(PastePending(m_hView));
    RunPendingPaste(m_hView);
    EXPECT_EQ(upper.FieldText(1148), "C:\\Work\\upper.txt");
    EXPECT_EQ(lower.FieldText(1148), "lower.txt");

    // Raising the other dialog makes it the winner: the order decides, not the age.
    lower.Raise();
    Scan(5000);
    EXPECT_EQ(m_pView->m_hFoundWnd, lower.m_hWnd);
    EXPECT_EQ(TraceLines().back(), TraceLine(lower.m_hWnd, "Save As", "#32770"));
    RunPendingPaste(m_hView);
    EXPECT_EQ(lower.FieldText(1148), "C:\\Work\\lower.txt");
}

TEST_F(WatcherTest, WithoutDialogEveryWindowIsTracedInOrderAndNothingIsPasted)
{
    ASSERT_EQ(::FindWindowA("#32770", "Save As"), nullptr) << "another program's Save As dialog is open";
    AddPath("C:\\Work\\", "Work", 5004);
    TestWindow first(kProbeClass, "First");
    TestWindow untitled(kProbeClass, "");
    TestWindow owned(kProbeClass, "Owned", first.m_hWnd);
    TestWindow last(kProbeClass, "Last"); // highest

    Scan(5004);
    EXPECT_FALSE(m_pView->m_bFound);
    EXPECT_EQ(m_pView->m_hFoundWnd, nullptr);
    EXPECT_EQ(m_pView->m_nFoundCtrlId, -1);
    EXPECT_FALSE(PastePending(m_hView));

    std::vector<std::string> lines = TraceLines();
    const std::string expected[] = {
        TraceLine(last.m_hWnd, "Last", kProbeClass),
        TraceLine(owned.m_hWnd, "Owned", kProbeClass),
        TraceLine(untitled.m_hWnd, "", kProbeClass),
        TraceLine(first.m_hWnd, "First", kProbeClass),
    };
    auto at = lines.begin();
    for (const std::string& line : expected) {
        at = std::find(at, lines.end(), line);
        EXPECT_NE(at, lines.end()) << "missing or out of order: " << line;
    }
    // Every line: "0x", eight lower-case hex digits, a blank, a quoted title, a blank, the class.
    for (const std::string& line : lines) {
        ASSERT_GE(line.size(), 14u) << line;
        EXPECT_EQ(line.compare(0, 2, "0x"), 0) << line;
        EXPECT_EQ(line.find_first_not_of("0123456789abcdef", 2), 10u) << line;
        EXPECT_EQ(line.substr(10, 2), " \"") << line;
    }
}

TEST_F(WatcherTest, TitlesAreReadWholeInAnyScriptForTraceAndRecognition)
{
    AddPath("C:\\Work\\", "Work", 5000);
    const std::string greek = "\xCE\x91\xCF\x80\xCE\xBF\xCE\xB8\xCE\xAE\xCE\xBA\xCE\xB5\xCF\x85\xCF\x83\xCE\xB7"; // Αποθήκευση
    const struct {
        const char* label;
        std::string title;
        bool recognised;
    } cases[] = {
        {"ends on character 255", std::string(248, 'x') + "Save As" + std::string(45, 'y'), true},
        {"past character 255", std::string(249, 'x') + "Save As" + std::string(44, 'y'), true},
        {"after a long non-ASCII start", greek + std::string(300, '-') + " save as", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        TestWindow dialog("#32770", c.title);
        ::DeleteFileA(TracePath().c_str());
        Scan(5000);
        EXPECT_EQ(m_pView->m_hFoundWnd == dialog.m_hWnd, c.recognised);
        EXPECT_TRUE(Holds(TraceLines(), TraceLine(dialog.m_hWnd, c.title, "#32770")));
        RunPendingPaste(m_hView);
    }
}

TEST_F(WatcherTest, WindowsWithoutClassNameOrInstanceAreSkipped)
{
    AddPath("C:\\Work\\", "Work", 5000);
    TestWindow live(kProbeClass, "Live");
    TestWindow noInstance("#32770", "Save As"); // would be recognised if it were looked at
    ::SetWindowLongPtrA(noInstance.m_hWnd, GWLP_HINSTANCE, 0);
    Scan(5000);
    EXPECT_NE(m_pView->m_hFoundWnd, noInstance.m_hWnd);
    std::vector<std::string> lines = TraceLines();
    EXPECT_TRUE(Holds(lines, TraceLine(live.m_hWnd, "Live", kProbeClass)));
    EXPECT_FALSE(Holds(lines, TraceLine(noInstance.m_hWnd, "Save As", "#32770")));
    RunPendingPaste(m_hView);

    // A window gone between enumeration and inspection has no class name to read.
    TestWindow gone("#32770", "Save As");
    HWND hGone = gone.m_hWnd;
    gone.Destroy();
    m_pView->m_bFound = false;
    m_pView->m_strWindowInfo = "before";
    m_pView->InspectWindow(hGone);
    EXPECT_EQ(m_pView->m_strWindowInfo, "before");
    EXPECT_FALSE(m_pView->m_bFound);
}

TEST_F(WatcherTest, ScanAsksTheViewsRuleSetWithTheRealOwnersTitle)
{
    AddPath("C:\\Work\\", "Work", 5000);
    const struct {
        OSClass osClass;
        const char* ownerTitle;
        int expected;
    } cases[] = {
        {OSCLASS_WIN2000, "Drawing1 - Visio", 1152},
        {OSCLASS_WIN2000, "Untitled - Notepad", 1148},
        {OSCLASS_NT4, "Untitled - Notepad", 1152},
    };
    for (const auto& c : cases) {
        TestWindow owner(kProbeClass, c.ownerTitle);
        TestWindow dialog("#32770", "Save As", owner.m_hWnd);
        m_pView->m_nOSClass = c.osClass;
        Scan(5000);
        EXPECT_EQ(m_pView->m_hFoundWnd, dialog.m_hWnd) << c.ownerTitle;
        EXPECT_EQ(m_pView->m_nFoundCtrlId, c.expected) << c.ownerTitle << " " << c.osClass;
        RunPendingPaste(m_hView);
    }
}

// The paste alone, on a found dialog whose field the test fills.
class PasteTest : public WatcherTest {
protected:
    void Found(const TestWindow& dialog, int nCtrlId)
    {
        m_pView->m_pSelectedPath = m_pView->m_pathList.back().get();
        m_pView->m_bFound = true;
        m_pView->m_hFoundWnd = dialog.m_hWnd;
        m_pView->m_nFoundCtrlId = nCtrlId;
        m_pView->m_nFoundKind = DialogKindOf(DialogSign::TitleRules);
        m_pView->m_pick.step = PickInProgress::Step::Pasting; // as the settle wait leaves it
    }
};

// The field gets the folder in place of any folder part, and the typed name (the rules themselves
// are the field-text table's); what was read and what was written are kept.
TEST_F(PasteTest, FieldGetsTheFolderAndTheTypedNameInPlaceOfAnyFolderPart)
{
    const struct {
        const char* folder;
        std::string typed;
        std::string expected;
    } cases[] = {
        {"C:\\Work\\", "report.txt", "C:\\Work\\report.txt"},
        {"C:\\Work\\", "", "C:\\Work\\untitled"},
        {"C:\\Work", "report.txt", "C:\\Work\\report.txt"},
        {"C:\\Work\\", "C:\\Old\\report.txt", "C:\\Work\\report.txt"},
        {"C:\\Work\\", "\"report.txt\"", "\"C:\\Work\\report.txt\""},
        {"C:\\", "report.txt", "C:\\report.txt"},
        {"C:\\Work\\", "a\xEF\xBC\xBC" "b \xF0\x9F\x98\x80.txt", "C:\\Work\\a\xEF\xBC\xBC" "b \xF0\x9F\x98\x80.txt"},
    };
    TestWindow dialog("#32770", "Save As");
    HWND hField = dialog.AddField(1148, "");
    for (const auto& c : cases) {
        m_pView->m_pathList.clear();
        AddPath(c.folder, "Work", 5000);
        Found(dialog, 1148);
        AfxSetWindowText(hField, c.typed);
        ::SendMessageW(m_hView, WM_PASTE_PATH, 0, 0);
        EXPECT_EQ(dialog.FieldText(1148), c.expected) << c.folder << " + " << c.typed;
        EXPECT_EQ(m_pView->m_strPathName, c.expected);
        EXPECT_EQ(m_pView->m_strFileName, c.typed);
    }
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(PasteTest, NothingChangesWithoutSelectionFindingOrControl)
{
    TestWindow dialog("#32770", "Save As");
    dialog.AddField(1148, "report.txt");
    AddPath("C:\\Work\\", "Work", 5000);
    const struct {
        const char* what;
        std::function<void()> arrange;
    } cases[] = {
        {"no selected entry", [&] { m_pView->m_pSelectedPath = nullptr; }},
        {"last scan found nothing", [&] { m_pView->m_bFound = false; }},
        {"no kind recorded", [&] { m_pView->m_nFoundKind = -1; }},
        {"dialog window gone", [&] { m_pView->m_hFoundWnd = (HWND)(UINT_PTR)0xDEAD0; }},
        {"a later pick took its place", [&] { m_pView->BeginPick(); }},
    };
    for (const auto& c : cases) {
        Found(dialog, 1148);
        m_pView->m_strPathName = "earlier";
        c.arrange();
        ::SendMessageA(m_hView, WM_PASTE_PATH, 0, 0);
        EXPECT_EQ(dialog.FieldText(1148), "report.txt") << c.what;
        EXPECT_EQ(m_pView->m_strPathName, "earlier") << c.what;
    }
}

TEST_F(WatcherTest, PasteAfterThePathListWasRebuiltDoesNothing)
{
    AddPath("C:\\Work\\", "Work", 5000);
    TestWindow dialog("#32770", "Save As");
    dialog.AddField(1148, "report.txt");
    Scan(5000);
    ASSERT_TRUE(m_pView->m_bFound);
    ASSERT_TRUE(PastePending(m_hView));

    // As the Preferences sheet's OK does while the paste waits in the queue.
    m_pView->FreePathList();
    AddPath("C:\\Other\\", "Other", 5000);
    EXPECT_EQ(m_pView->m_pSelectedPath, nullptr);
    RunPendingPaste(m_hView);
    EXPECT_EQ(dialog.FieldText(1148), "report.txt");

    // A new pick after the rebuild pastes the new entry.
    Scan(5000);
    RunPendingPaste(m_hView);
    EXPECT_EQ(dialog.FieldText(1148), "C:\\Other\\report.txt");
}

// ---- Save dialogs of today: imitations from the platform's own controls under the real class names ----

// Runs build on a thread of its own, as another program's dialog runs, and serves that thread's
// messages until the object goes; the thread's windows go with it.
class ForeignThread {
public:
    explicit ForeignThread(std::function<void()> build) : m_build(std::move(build))
    {
        m_hReady = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
        m_hThread = ::CreateThread(nullptr, 0, &ForeignThread::Run, this, 0, &m_tid);
        ::WaitForSingleObject(m_hReady, 10000);
    }
    ~ForeignThread()
    {
        ::PostThreadMessageA(m_tid, WM_QUIT, 0, 0);
        ::WaitForSingleObject(m_hThread, 10000);
        ::CloseHandle(m_hThread);
        ::CloseHandle(m_hReady);
    }
    ForeignThread(const ForeignThread&) = delete;
    ForeignThread& operator=(const ForeignThread&) = delete;

private:
    static DWORD WINAPI Run(LPVOID pParam)
    {
        ForeignThread* pSelf = static_cast<ForeignThread*>(pParam);
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE); // the queue exists before anyone posts to it
        pSelf->m_build();
        ::SetEvent(pSelf->m_hReady);
        while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        return 0;
    }

    std::function<void()> m_build;
    HANDLE m_hReady = nullptr, m_hThread = nullptr;
    DWORD m_tid = 0;
};

// Windows of the item dialog's own classes. A FloatNotifySink keeps, as its own text, the name its
// combo box last reported as typed (CBN_EDITCHANGE): that name, and not what the field shows, is
// what the dialog saves under.
LRESULT CALLBACK ItemPartProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND && HIWORD(wParam) == CBN_EDITCHANGE) {
        char text[1024] = {};
        ::GetWindowTextA((HWND)lParam, text, sizeof(text));
        ::SetWindowTextA(hWnd, text);
        return 0;
    }
    return ::DefWindowProcA(hWnd, msg, wParam, lParam);
}

void RegisterItemParts()
{
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_USEREX_CLASSES};
    ::InitCommonControlsEx(&icc);
    for (const char* pszClass : {"DUIViewWndClassName", "DirectUIHWND", "FloatNotifySink", "WorkerW", "ReBarWindow32",
                                 "Address Band Root", "msctls_progress32", "UniversalSearchBand", "Search Box",
                                 "SearchEditBoxWrapperClass"}) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &ItemPartProc;
        wc.hInstance = Instance();
        wc.lpszClassName = pszClass;
        ::RegisterClassA(&wc);
    }
}

HWND Child(HWND hParent, const char* pszClass, int nID = 0, DWORD style = 0, const char* pszText = "")
{
    return ::CreateWindowExA(0, pszClass, pszText, WS_CHILD | WS_VISIBLE | style, 0, 0, 200, 150, hParent,
                             (HMENU)(INT_PTR)nID, Instance(), nullptr);
}

HWND EditIn(HWND hCombo)
{
    HWND hInner = ::FindWindowExA(hCombo, nullptr, "ComboBox", nullptr);
    return ::FindWindowExA(hInner != nullptr ? hInner : hCombo, nullptr, "Edit", nullptr);
}

std::string TextOf(HWND hWnd)
{
    char text[1024] = {};
    ::GetWindowTextA(hWnd, text, sizeof(text));
    return text;
}

// The item dialog of Windows Vista to 11: the address bar and the search box (with a chain of its
// own) come first in the child order, the file-name field after them.
struct ItemDialog {
    HWND hDialog = nullptr, hField = nullptr, hSink = nullptr, hAddressEdit = nullptr, hSearchEdit = nullptr;
};
ItemDialog BuildItemDialog(const std::string& title, bool bSave, const std::string& typed)
{
    RegisterItemParts();
    ItemDialog d;
    d.hDialog = ::CreateWindowExA(0, "#32770", title.c_str(), WS_POPUP | WS_CAPTION | WS_VISIBLE, 20, 20, 600, 400,
                                  nullptr, nullptr, Instance(), nullptr);
    HWND hBar = Child(Child(d.hDialog, "WorkerW"), "ReBarWindow32");
    d.hAddressEdit = EditIn(Child(Child(Child(hBar, "Address Band Root"), "msctls_progress32"), "ComboBoxEx32", 0xA205,
                                  CBS_DROPDOWN, "C:\\Users\\Someone\\Documents"));
    ::SetWindowTextA(d.hAddressEdit, "C:\\Users\\Someone\\Documents");
    HWND hSearch = Child(Child(Child(hBar, "UniversalSearchBand"), "Search Box"), "SearchEditBoxWrapperClass");
    d.hSearchEdit = EditIn(Child(Child(Child(hSearch, "DirectUIHWND"), "FloatNotifySink"), "ComboBox", 1001, CBS_DROPDOWN));
    HWND hDirect = Child(Child(d.hDialog, "DUIViewWndClassName"), "DirectUIHWND");
    if (bSave) {
        d.hSink = Child(hDirect, "FloatNotifySink", 0, 0, typed.c_str());
        HWND hCombo = Child(d.hSink, "ComboBox", 1001, CBS_DROPDOWN | CBS_AUTOHSCROLL);
        ::SetWindowTextA(hCombo, typed.c_str());
        d.hField = EditIn(hCombo);
        Child(Child(hDirect, "FloatNotifySink"), "ComboBox", 1002, CBS_DROPDOWNLIST); // the file type: no edit
    } else {
        // The open dialog: its name box is a direct child, and no sink chain holds an edit.
        d.hField = EditIn(Child(d.hDialog, "ComboBoxEx32", 1148, CBS_DROPDOWN));
        ::SetWindowTextA(d.hField, typed.c_str());
        Child(Child(hDirect, "FloatNotifySink"), "ComboBox", 1002, CBS_DROPDOWNLIST);
    }
    return d;
}


// count edits at the end of the save chain inside an existing dialog; returns the last.
HWND BuildItemDialogInto(HWND hDialog, int count)
{
    RegisterItemParts();
    HWND hDirect = Child(Child(hDialog, "DUIViewWndClassName"), "DirectUIHWND");
    HWND hEdit = nullptr;
    for (int i = 0; i < count; ++i)
        hEdit = EditIn(Child(Child(hDirect, "FloatNotifySink"), "ComboBox", 1001, CBS_DROPDOWN));
    return hEdit;
}

TEST_F(WatcherTest, ItemDialogSavesThePathUnderAnyTitleAndTheAddressBarIsLeftAlone)
{
    AddPath("C:\\Work\\", "Work", 5000);
    {
        // The imitation tells a bare WM_SETTEXT (shown, not saved) from typing.
        ItemDialog d;
        ForeignThread dialog([&] { d = BuildItemDialog("Save As", true, "typed.txt"); });
        ::SetWindowTextA(d.hField, "shown.txt");
        EXPECT_EQ(TextOf(d.hField), "shown.txt");
        EXPECT_EQ(TextOf(d.hSink), "typed.txt");
    }
    const struct {
        const char* title;
        DialogSign sign;
    } cases[] = {
        {"Save As", DialogSign::TitleRules},
        {"Speichern unter", DialogSign::ItemSaveChain},
        {"Export Drawing", DialogSign::ItemSaveChain},
    };
    for (const auto& c : cases) {
        ItemDialog d;
        ForeignThread dialog([&] { d = BuildItemDialog(c.title, true, "report.txt"); });
        Scan(5000);
        ASSERT_EQ(m_pView->m_hFoundWnd, d.hDialog) << c.title;
        EXPECT_EQ(m_pView->m_nFoundKind, DialogKindOf(c.sign)) << c.title;
        RunPendingPaste(m_hView);
        EXPECT_EQ(TextOf(d.hSink), "C:\\Work\\report.txt") << c.title << ": what the dialog saves";
        EXPECT_EQ(TextOf(d.hField), "C:\\Work\\report.txt") << c.title;
        EXPECT_EQ(TextOf(d.hAddressEdit), "C:\\Users\\Someone\\Documents") << c.title;
        EXPECT_EQ(TextOf(d.hSearchEdit), "") << c.title;
    }
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(WatcherTest, OpenDialogsGetTheFolderAndAPatternSaveDialogsTheFolderAndTheName)
{
    AddPath("C:\\Work\\", "Work", 5000);
    const int kNone = -1;
    auto titled = [](const char* pszTitle, const char* pszClass, int nID, const char* pszTyped) {
        return [=](auto& field) {
            HWND h = ::CreateWindowExA(0, "#32770", pszTitle, WS_POPUP | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr,
                                       Instance(), nullptr);
            HWND hCtrl = Child(h, pszClass, nID, CBS_DROPDOWN, pszTyped);
            HWND hEdit = ::lstrcmpiA(pszClass, "ComboBoxEx32") == 0 ? EditIn(hCtrl) : hCtrl;
            ::SetWindowTextA(hEdit, pszTyped);
            field(hEdit);
            return h;
        };
    };
    auto item = [](const char* pszTitle, const char* pszTyped) {
        return [=](auto& field) {
            ItemDialog d = BuildItemDialog(pszTitle, false, pszTyped);
            field(d.hField);
            return d.hDialog;
        };
    };
    const struct {
        const char* what;
        std::function<HWND(std::function<void(HWND)>&)> build; // returns the dialog, gives its field
        int nKind;
        const char* pszExpected;
    } cases[] = {
        {"item open dialog", item("Open", "report.txt"), DialogKindOf(DialogSign::ItemOpen), "C:\\Work\\"},
        {"item open dialog titled Save As", item("Save As", "report.txt"), DialogKindOf(DialogSign::ItemOpen), "C:\\Work\\"},
        {"item open dialog with a pattern", item("Open", "*.txt"), DialogKindOf(DialogSign::ItemOpen), "C:\\Work\\*.txt"},
        {"Wine's item open dialog and the old-style one", titled("Open", "Edit", 1152, "report.txt"),
         DialogKindOf(DialogSign::TitledOpenEdit), "C:\\Work\\"},
        {"Explorer-style open dialog", titled("open", "ComboBoxEx32", 1148, "*.log"),
         DialogKindOf(DialogSign::TitledOpenCombo), "C:\\Work\\*.log"},
        {"\"Open\" without a field", titled("Open", "Static", 1152, "report.txt"), kNone, "report.txt"},
        {"\"Save\" without its edit 1152", titled("Save", "Static", 1152, "report.txt"), kNone, "report.txt"},
        {"Wine's item save dialog", titled("save", "Edit", 1152, "report.txt"), DialogKindOf(DialogSign::TitledSaveEdit),
         "C:\\Work\\report.txt"},
    };
    for (const auto& c : cases) {
        HWND hDialog = nullptr, hField = nullptr;
        std::function<void(HWND)> keep = [&](HWND h) { hField = h; };
        hDialog = c.build(keep);
        Scan(5000);
        EXPECT_EQ(m_pView->m_bFound, c.nKind != kNone) << c.what;
        EXPECT_EQ(m_pView->m_nFoundKind, c.nKind) << c.what;
        RunPendingPaste(m_hView);
        EXPECT_EQ(TextOf(hField), c.pszExpected) << c.what;
        ::DestroyWindow(hDialog);
    }
    EXPECT_TRUE(g_boxes.empty());
}

// Dialogs that ask for a folder are told from save and open dialogs by their structure, whatever the
// title: Browse for Folder by its tree 14145 (a direct child, or in the name-space control of the new
// style on Windows), Wine's item dialog by its ExplorerBrowserControl; that one goes to a folder only
// while it shows a file-type list, else it may pick folders.
TEST(DialogKinds, FolderDialogsAreToldApartFromSaveAndOpenDialogsByStructure)
{
    RegisterItemParts();
    for (const char* pszClass : {"ExplorerBrowserControl", "SHBrowseForFolder ShellNameSpace Control"}) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &::DefWindowProcA;
        wc.hInstance = Instance();
        wc.lpszClassName = pszClass;
        ::RegisterClassA(&wc);
    }
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_TREEVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    struct Part {
        const char* pszClass;
        int nID;
        bool bVisible = true;
        const char* pszInside = nullptr; // made inside a control of this class
    };
    const int kNone = -1;
    const struct {
        const char* title;
        const char* className;
        std::vector<Part> parts;
        int nKind;
        bool bGoes = false;
        bool bTreeIsField = false;
    } cases[] = {
        {"Browse for Folder", "#32770", {{"SysTreeView32", 14145}}, DialogKindOf(DialogSign::FolderTree), false, true},
        {"Ordner suchen", "#32770", {{"SysTreeView32", 14145, true, "SHBrowseForFolder ShellNameSpace Control"}, {"Edit", 14149}},
         DialogKindOf(DialogSign::FolderTree), false, true},
        {"Save As", "#32770", {{"SysTreeView32", 14145}, {"Edit", 1152}}, DialogKindOf(DialogSign::FolderTree), false, true},
        {"Browse for Folder", "#32770", {{"SysTreeView32", 100}}, kNone},
        {"Browse for Folder", "#32770", {{"Static", 14145}}, kNone},
        {"Browse for Folder", "Static", {{"SysTreeView32", 14145}}, kNone},
        {"Select Folder", "#32770", {{"ExplorerBrowserControl", 0}, {"Edit", 1152}, {"ComboBox", 1136, false}},
         DialogKindOf(DialogSign::WineItemDialog)},
        {"Export", "#32770", {{"ExplorerBrowserControl", 0}, {"Edit", 1152}, {"ComboBox", 1136}},
         DialogKindOf(DialogSign::WineItemDialog), true},
        {"Save", "#32770", {{"ExplorerBrowserControl", 0}, {"Edit", 1152}, {"ComboBox", 1136, false}},
         DialogKindOf(DialogSign::TitledSaveEdit), true},
        {"Open", "#32770", {{"ExplorerBrowserControl", 0}, {"Edit", 1152}, {"ComboBox", 1136}},
         DialogKindOf(DialogSign::TitledOpenEdit), true},
        {"Select Folder", "#32770", {{"Edit", 1152}}, kNone},
        {"Save As", "#32770", {{"ComboBoxEx32", 1148}}, DialogKindOf(DialogSign::TitleRules), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.title) + " " + c.className);
        HWND hDialog = ::CreateWindowExA(0, c.className, c.title, WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                                         Instance(), nullptr);
        ASSERT_NE(hDialog, nullptr);
        HWND hTree = nullptr;
        for (const Part& part : c.parts) {
            HWND hParent = part.pszInside != nullptr ? Child(hDialog, part.pszInside) : hDialog;
            HWND hPart = Child(hParent, part.pszClass, part.nID,
                               part.nID == 1136 ? CBS_DROPDOWNLIST : part.nID == 1148 ? CBS_DROPDOWN : 0);
            if (!part.bVisible)
                ::ShowWindow(hPart, SW_HIDE);
            if (part.nID == 14145)
                hTree = hPart;
        }
        const DialogMatch match = ClassifyDialog(hDialog, c.title, c.className,
                                                 MatchDialog(OSCLASS_WIN2000, c.title, c.className, ""));
        EXPECT_EQ(match.nKind, c.nKind);
        if (match.nKind >= 0) {
            EXPECT_EQ(GoesToFolder(kDialogKinds[match.nKind], hDialog), c.bGoes);
            EXPECT_EQ(FindFileNameField(hDialog, kDialogKinds[match.nKind], match.nCtrlId) == hTree, c.bTreeIsField);
        }
        ::DestroyWindow(hDialog);
    }
}

TEST_F(WatcherTest, FieldIsTheRecordedControlsEditThenTheOtherIdThenTheOneChainEdit)
{
    const int titleRules = DialogKindOf(DialogSign::TitleRules);
    const struct {
        const char* what;
        std::function<HWND(HWND)> build; // children of the dialog; returns the expected field or null
    } cases[] = {
        {"extended combo box 1148", [](HWND h) { return EditIn(Child(h, "ComboBoxEx32", 1148, CBS_DROPDOWN)); }},
        {"combo box 1148", [](HWND h) { return EditIn(Child(h, "ComboBox", 1148, CBS_DROPDOWN)); }},
        {"drop-down list 1148 only", [](HWND h) { Child(h, "ComboBox", 1148, CBS_DROPDOWNLIST); return (HWND) nullptr; }},
        {"edit 1152 instead", [](HWND h) { return Child(h, "Edit", 1152); }},
        {"the chain", [](HWND h) { return BuildItemDialogInto(h, 1); }},
        {"two chain edits: neither", [](HWND h) { BuildItemDialogInto(h, 2); return (HWND) nullptr; }},
        {"a hidden chain edit", [](HWND h) { ::ShowWindow(BuildItemDialogInto(h, 1), SW_HIDE); return (HWND) nullptr; }},
    };
    for (const auto& c : cases) {
        TestWindow dialog("#32770", "Save As");
        ::ShowWindow(dialog.m_hWnd, SW_SHOWNA); // a hidden dialog's edits are hidden too
        HWND hExpected = c.build(dialog.m_hWnd);
        EXPECT_EQ(FindFileNameField(dialog.m_hWnd, kDialogKinds[titleRules], 1148), hExpected) << c.what;
    }
}

// The balloons asked of the shell, recorded on the way to it.
std::vector<std::wstring> g_balloons;
BOOL WINAPI RecordBalloons(DWORD dwMessage, PNOTIFYICONDATAW pData)
{
    if (dwMessage == NIM_MODIFY && (pData->uFlags & NIF_INFO) != 0)
        g_balloons.push_back(pData->szInfo);
    return ::Shell_NotifyIconW(dwMessage, pData);
}

TEST_F(WatcherTest, FailedPasteIsToldOnceWithThePathOnTheClipboard)
{
    CTrayNotifyIcon::s_pfnShellNotify = &RecordBalloons;
    AddPath("C:\\Work\\", "Work", 5000);
    const std::string program = " in unit_tests.exe";
    const struct {
        const char* what;
        std::function<void(TestWindow&)> build;
        bool withTrayIcon;
        std::string clipboard;
        std::string told;
        bool bShellShowsBalloon = false; // the shell reports the balloon shown
    } cases[] = {
        {"no field", [](TestWindow&) {}, false, "C:\\Work\\",
         "Trovel could not find the file-name field" + program + ". The path C:\\Work\\ is on the clipboard."},
        {"a field that keeps ten characters", [](TestWindow& d) { ::SendMessageA(d.AddField(1148, "report.txt"), EM_LIMITTEXT, 10, 0); },
         false, "C:\\Work\\report.txt",
         "Trovel could not fill in the file name" + program + " (the field did not take the text). The path C:\\Work\\report.txt is on the clipboard."},
        {"no field, told by a balloon the shell shows", [](TestWindow&) {}, true, "C:\\Work\\", "", true},
        {"no field, a balloon the shell never shows", [](TestWindow&) {}, true, "C:\\Work\\",
         "Trovel could not find the file-name field" + program + ". The path C:\\Work\\ is on the clipboard."},
    };
    for (const auto& c : cases) {
        if (c.withTrayIcon) {
            KeepTrayShown();
            ASSERT_TRUE(m_pView->m_trayIcon.Create(m_pView, CTrovelView::kTrayIconId, "Trovel", m_pView->m_hIcon, WM_TRAY_NOTIFY));
        }
        TestWindow dialog("#32770", "Save As");
        c.build(dialog);
        g_boxes.clear();
        g_balloons.clear();
        m_pView->m_strLastNotice.clear();
        Scan(5000);
        ASSERT_EQ(m_pView->m_hFoundWnd, dialog.m_hWnd) << c.what;
        RunPendingPaste(m_hView);
        EXPECT_EQ(ClipboardText(), c.clipboard) << c.what;
        if (::GetDlgItem(dialog.m_hWnd, 1148) != nullptr) {
            EXPECT_EQ(dialog.FieldText(1148), "report.txt") << c.what << ": the typed name is given back";
        }
        if (c.withTrayIcon) {
            EXPECT_TRUE(g_boxes.empty()) << c.what << ": a balloon asked for first";
            ASSERT_EQ(g_balloons.size(), 1u) << c.what << ": the balloon went to the shell";
            EXPECT_EQ(WideToUtf8(g_balloons[0]), m_pView->m_strBalloonPending) << c.what;
            EXPECT_NE(m_pView->m_strBalloonPending.find("could not find the file-name field"), std::string::npos) << c.what;
            if (c.bShellShowsBalloon)
                ::SendMessageA(m_hView, WM_TRAY_NOTIFY, CTrovelView::kTrayIconId, CTrayNotifyIcon::kBalloonShown);
            ::SendMessageA(m_hView, WM_TIMER, CTrovelView::kBalloonTimerId, 0); // the wait for the report ends
            if (c.bShellShowsBalloon)
                EXPECT_TRUE(g_boxes.empty()) << c.what;
            else
                EXPECT_EQ(g_boxes, std::vector<std::string>{"Trovel|" + c.told}) << c.what;
            m_pView->m_trayIcon.RemoveIcon();
        } else {
            EXPECT_EQ(g_boxes, std::vector<std::string>{"Trovel|" + c.told}) << c.what;
            EXPECT_TRUE(g_balloons.empty()) << c.what << ": no icon, no balloon";
        }
    }
    CTrayNotifyIcon::s_pfnShellNotify = &::Shell_NotifyIconW;
}

BOOL ReadHigherTarget(HWND hWnd, DWORD* pdwLevel)
{
    *pdwLevel = hWnd == nullptr ? SECURITY_MANDATORY_MEDIUM_RID : SECURITY_MANDATORY_HIGH_RID;
    return TRUE;
}

BOOL ReadSameLevel(HWND, DWORD* pdwLevel)
{
    *pdwLevel = SECURITY_MANDATORY_MEDIUM_RID;
    return TRUE;
}

// Ours is known; the target's token is refused, as another user's program's is.
BOOL ReadTargetDenied(HWND hWnd, DWORD* pdwLevel)
{
    if (hWnd == nullptr)
        return ReadSameLevel(hWnd, pdwLevel);
    ::SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

WNDPROC g_pfnEditProc = nullptr;
int g_nFieldMessages = 0;
LRESULT CALLBACK CountingEditProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_GETTEXT || msg == WM_SETTEXT || msg == EM_SETSEL || msg == EM_REPLACESEL)
        ++g_nFieldMessages;
    return ::CallWindowProcA(g_pfnEditProc, hWnd, msg, wParam, lParam);
}

TEST_F(WatcherTest, DialogOfAHigherProcessIsToldAboutAndNeverSentTo)
{
    const struct {
        BOOL ownKnown;
        DWORD own;
        BOOL targetKnown;
        DWORD target;
        bool higher;
    } levels[] = {
        {TRUE, 0x2000, TRUE, 0x3000, true},
        {TRUE, 0x2000, TRUE, 0x2000, false},
        {TRUE, 0x3000, TRUE, 0x2000, false},
        {TRUE, 0x2000, FALSE, 0, false}, // unreadable: another user's program at our level, or elevated; the send tells
        {FALSE, 0, FALSE, 0, false},     // a system without integrity levels
    };
    for (const auto& l : levels)
        EXPECT_EQ(RunsHigher(l.ownKnown, l.own, l.targetKnown, l.target), l.higher) << l.own << " " << l.target;

    AddPath("C:\\Work\\", "Work", 5000);
    TestWindow dialog("#32770", "Save As");
    HWND hField = dialog.AddField(1148, "report.txt");
    g_pfnEditProc = (WNDPROC)::SetWindowLongPtrA(hField, GWLP_WNDPROC, (LONG_PTR)&CountingEditProc);
    g_nFieldMessages = 0;
    m_pView->m_pfnIntegrityLevel = &ReadHigherTarget;
    Scan(5000);
    RunPendingPaste(m_hView);
    EXPECT_EQ(g_nFieldMessages, 0);
    EXPECT_EQ(dialog.FieldText(1148), "report.txt");
    EXPECT_EQ(ClipboardText(), "C:\\Work\\");
    EXPECT_EQ(g_boxes, std::vector<std::string>{"Trovel|Trovel could not fill in the file name in unit_tests.exe (it runs as "
                                                "administrator). The path C:\\Work\\ is on the clipboard."});

    // At the same level, and where the target's level cannot be read, the send is tried: it works here.
    for (IntegrityLevelReader pfnReader : {&ReadSameLevel, &ReadTargetDenied}) {
        g_boxes.clear();
        g_nFieldMessages = 0;
        dialog.SetFieldText(1148, "report.txt");
        m_pView->m_pfnIntegrityLevel = pfnReader;
        Scan(5000);
        RunPendingPaste(m_hView);
        EXPECT_GT(g_nFieldMessages, 0);
        EXPECT_EQ(dialog.FieldText(1148), "C:\\Work\\report.txt");
        EXPECT_TRUE(g_boxes.empty());
    }
}

// A "Save As" of another thread's with its field 1152 holding "report.txt", the field's messages going
// through proc first (which passes them on to g_pfnEditProc). Returns the dialog; phField gets the field.
HWND SaveAsWithFieldProc(WNDPROC proc, HWND* phField = nullptr)
{
    HWND hDialog = ::CreateWindowExA(0, "#32770", "Save As", WS_POPUP | WS_VISIBLE, 0, 0, 300, 100, nullptr, nullptr,
                                     Instance(), nullptr);
    HWND hField = Child(hDialog, "Edit", 1152, ES_AUTOHSCROLL, "report.txt");
    g_pfnEditProc = (WNDPROC)::SetWindowLongPtrA(hField, GWLP_WNDPROC, (LONG_PTR)proc);
    if (phField != nullptr)
        *phField = hField;
    return hDialog;
}

// The field of a dialog on another thread that, while it answers the read, makes the program open
// Preferences and press OK there, which rebuilds the path list under the waiting paste.
std::atomic<bool> g_bPreferencesDone{false};
HWND g_hTrovelView = nullptr;
std::string g_otherFolder; // what the user puts in the row instead, before OK
DWORD WINAPI PressPreferencesOk(LPVOID)
{
    HWND hSheet = nullptr;
    for (int i = 0; i < 500 && (hSheet = ::FindWindowA(nullptr, "Preferences")) == nullptr; ++i)
        ::Sleep(10);
    ::Sleep(300); // the page fills its rows 100 ms after it opens
    // The row now names another folder: the rebuilt list differs, so a paste that read the freed
    // entry (whose memory the new one may take) would show the other folder.
    HWND hPage = ::FindWindowExA(hSheet, nullptr, "#32770", nullptr);
    HWND hPaths = ::GetDlgItem(hPage, IDC_LIST_PATHS);
    ::SendMessageW(hPaths, LB_DELETESTRING, 0, 0);
    ::SendMessageW(hPaths, LB_INSERTSTRING, 0, (LPARAM)Utf8ToWide(g_otherFolder).c_str());
    ::PostMessageA(hSheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    return 0;
}

LRESULT CALLBACK PreferencesDuringReadProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_GETTEXT && !g_bPreferencesDone) {
        HANDLE hPresser = ::CreateThread(nullptr, 0, &PressPreferencesOk, nullptr, 0, nullptr);
        ::SendMessageA(g_hTrovelView, WM_COMMAND, ID_PREFERENCES, 0);
        ::WaitForSingleObject(hPresser, 10000);
        ::CloseHandle(hPresser);
        g_bPreferencesDone = true;
    }
    return ::CallWindowProcA(g_pfnEditProc, hWnd, msg, wParam, lParam);
}

TEST_F(WatcherTest, PreferencesAndOkWhileTheFieldAnswersLeaveThePasteWhole)
{
    TestApp().m_pMainWnd = CWnd::FromHandlePermanent(m_hFrame); // the pages find the view through it
    const std::string folder = m_dir + "\\";
    AddPath(folder, "Scratch", 5000);
    g_otherFolder = m_dir + "\\other\\";
    ::CreateDirectoryW(Utf8ToWide(g_otherFolder).c_str(), nullptr);
    HWND hField = nullptr;
    g_bPreferencesDone = false;
    g_hTrovelView = m_hView;
    ForeignThread dialog([&] {
        SaveAsWithFieldProc(&PreferencesDuringReadProc, &hField);
    });
    Scan(5000);
    ASSERT_TRUE(m_pView->m_bFound);
    RunPendingPaste(m_hView);
    TestApp().m_pMainWnd = nullptr;

    EXPECT_TRUE(g_bPreferencesDone);
    ASSERT_EQ(m_pView->m_pathList.size(), 1u);
    EXPECT_EQ(m_pView->m_pathList[0]->strPath, g_otherFolder) << "the list was rebuilt with the other folder";
    EXPECT_EQ(m_pView->m_pSelectedPath, nullptr) << "the list was rebuilt";
    EXPECT_EQ(CNestedLoop::Depth(), 0);
    // The folder picked before the rebuild, taken whole before the first send.
    EXPECT_EQ(TextOf(hField), folder + "report.txt");
    EXPECT_TRUE(g_boxes.empty()) << g_boxes.front();
    ::RemoveDirectoryW(Utf8ToWide(g_otherFolder).c_str());
}

// A dialog that the user closes while the paste waits on its field: the write is refused.
LRESULT CALLBACK ClosesOnWriteProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == EM_SETSEL) {
        ::DestroyWindow(::GetParent(hWnd));
        return 0;
    }
    return ::CallWindowProcA(g_pfnEditProc, hWnd, msg, wParam, lParam);
}

TEST_F(WatcherTest, ADialogClosedDuringThePasteIsNotToldAbout)
{
    AddPath("C:\\Work\\", "Work", 5000);
    EmptyTheClipboard();
    HWND hDialog = nullptr;
    ForeignThread dialog([&] {
        hDialog = SaveAsWithFieldProc(&ClosesOnWriteProc);
    });
    Scan(5000);
    ASSERT_EQ(m_pView->m_hFoundWnd, hDialog);
    g_boxes.clear();
    m_pView->m_strLastNotice.clear();
    RunPendingPaste(m_hView);
    EXPECT_FALSE(::IsWindow(hDialog));
    // A dialog that went away explains itself: no box, no balloon, nothing on the clipboard.
    EXPECT_TRUE(g_boxes.empty()) << g_boxes.front();
    EXPECT_EQ(m_pView->m_strLastNotice, "");
    EXPECT_EQ(ClipboardText(), "");
}

// A field that takes the text at once but is slow to answer the read that follows it.
bool g_bWritten = false;
LRESULT CALLBACK SlowReadBackProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == EM_REPLACESEL)
        g_bWritten = true;
    else if (msg == WM_GETTEXTLENGTH && g_bWritten)
        ::Sleep(kForeignReplyTimeout + 500);
    return ::CallWindowProcA(g_pfnEditProc, hWnd, msg, wParam, lParam);
}

TEST_F(WatcherTest, AFieldSlowToAnswerTheReadBackKeepsThePathAndIsToldAsNotAnswering)
{
    AddPath("C:\\Work\\", "Work", 5000);
    HWND hField = nullptr;
    g_bWritten = false;
    ForeignThread dialog([&] {
        SaveAsWithFieldProc(&SlowReadBackProc, &hField);
    });
    Scan(5000);
    ASSERT_TRUE(m_pView->m_bFound);
    RunPendingPaste(m_hView);
    ::Sleep(kForeignReplyTimeout + 1000); // the read the paste gave up on is answered now
    // What it holds is not known when the read fails, so nothing is written back: a restore that
    // arrived late would overwrite what the user types next.
    EXPECT_EQ(TextOf(hField), "C:\\Work\\report.txt");
    EXPECT_NE(m_pView->m_strLastNotice.find("does not answer"), std::string::npos) << m_pView->m_strLastNotice;
    EXPECT_NE(m_pView->m_strLastNotice.find("C:\\Work\\report.txt"), std::string::npos) << m_pView->m_strLastNotice;
}

// The field that, while it answers the read, ends the session as the Restart Manager does: the
// process is not ended for the program, it must end itself.
HWND g_hTrovelFrame = nullptr;
LRESULT CALLBACK SessionEndDuringReadProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_GETTEXT && g_hTrovelFrame != nullptr) {
        HWND hFrame = g_hTrovelFrame;
        g_hTrovelFrame = nullptr;
        ::SendMessageA(hFrame, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
    }
    return ::CallWindowProcA(g_pfnEditProc, hWnd, msg, wParam, lParam);
}

TEST(PasteInTheProgram, SessionEndDuringTheReadWaitsForThePasteThenEnds)
{
    KeepTrayShown();
    ScratchRegistryRoot scratch;
    TestApp().AddDocTemplate(new CSingleDocTemplate(
        IDR_MAINFRAME, []() -> CDocument* { return new CTrovelDoc; }, []() -> CFrameWnd* { return new CMainFrame; },
        []() -> CView* { return new CTrovelView; }));
    CCommandLineInfo cmdInfo;
    ASSERT_TRUE(TestApp().ProcessShellCommand(cmdInfo));
    CMainFrame* pFrame = dynamic_cast<CMainFrame*>(TestApp().m_pMainWnd);
    ASSERT_NE(pFrame, nullptr);
    CTrovelView* pView = dynamic_cast<CTrovelView*>(pFrame->GetActiveView());
    ASSERT_NE(pView, nullptr);
    HWND hFrame = pFrame->m_hWnd, hView = pView->m_hWnd;
    pView->m_dwOwnProcessId = 0;
    pView->m_pathList.push_back(std::make_unique<PathEntry>(PathEntry{"C:\\Work\\", "Work", 5000}));
    PickedFolders folders;

    HWND hField = nullptr;
    ForeignThread dialog([&] {
        SaveAsWithFieldProc(&SessionEndDuringReadProc, &hField);
    });
    g_hTrovelFrame = hFrame;
    ::SendMessageA(hView, WM_FIND_DIALOG, 5000, 5000);
    ASSERT_TRUE(PastePending(hView));
    RunPendingPaste(hView);

    EXPECT_EQ(g_hTrovelFrame, nullptr) << "the field was not read";
    EXPECT_EQ(TextOf(hField), "C:\\Work\\report.txt");
    EXPECT_TRUE(::IsWindow(hView)) << "the view went while the paste ran";
    // The session's end goes on after the paste.
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(hFrame); }));
    EXPECT_EQ(TestApp().m_pMainWnd, nullptr);
    PumpUntil([] { return true; });
    TestApp().AddDocTemplate(nullptr);
}

} // namespace

TEST_F(WatcherTest, HiddenMinimisedAndDisabledDialogsAboveAVisibleOneLeaveItTheFill)
{
    AddPath("C:\\Work\\", "Work", 5000);
    TestWindow visible("#32770", "Save As");
    visible.AddField(1148, "report.txt");
    TestWindow hidden("#32770", "Save As");
    hidden.AddField(1148, "hidden.txt");
    ::ShowWindow(hidden.m_hWnd, SW_HIDE);
    TestWindow minimised("#32770", "Save As");
    minimised.AddField(1148, "minimised.txt");
    ::ShowWindow(minimised.m_hWnd, SW_MINIMIZE);
    TestWindow disabled("#32770", "Save As");
    disabled.AddField(1148, "disabled.txt");
    ::EnableWindow(disabled.m_hWnd, FALSE);
    for (TestWindow* p : {&hidden, &minimised, &disabled})
        p->Raise();

    Scan(5000);
    ASSERT_EQ(m_pView->m_hFoundWnd, visible.m_hWnd);
    RunPendingPaste(m_hView);
    EXPECT_EQ(visible.FieldText(1148), "C:\\Work\\report.txt");
    EXPECT_EQ(hidden.FieldText(1148), "hidden.txt");
    EXPECT_EQ(minimised.FieldText(1148), "minimised.txt");
    EXPECT_EQ(disabled.FieldText(1148), "disabled.txt");
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(WatcherTest, ADialogUnderItsOwnConfirmationBoxKeepsItsPlaceAheadOfIt)
{
    AddPath("C:\\Work\\", "Work", 5000);
    TestWindow lower("#32770", "Save As");
    lower.AddField(1148, "lower.txt");
    TestWindow dialog("#32770", "Save As");
    dialog.AddField(1148, "report.txt");
    // Its box says "Save As" too, and has no field; the dialog is disabled while it is up.
    TestWindow box("#32770", "Confirm Save As", dialog.m_hWnd);
    ::EnableWindow(dialog.m_hWnd, FALSE);
    box.Raise();

    Scan(5000);
    ASSERT_EQ(m_pView->m_hFoundWnd, dialog.m_hWnd);
    EXPECT_EQ(m_pView->m_nFoundCtrlId, 1148);
    // The box's line is the last one: the dialog was found at its place.
    std::vector<std::string> lines = TraceLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), TraceLine(box.m_hWnd, "Confirm Save As", "#32770"));
    RunPendingPaste(m_hView);
    EXPECT_EQ(dialog.FieldText(1148), "C:\\Work\\report.txt");
    EXPECT_EQ(lower.FieldText(1148), "lower.txt");
    EXPECT_TRUE(g_boxes.empty()) << "nothing to tell: the paste went where the user meant";
}

TEST_F(WatcherTest, TheSettleWaitIsATimerAndASecondPickReplacesTheFirst)
{
    AddPath("C:\\Work\\", "Work", 5000);
    AddPath("C:\\Other\\", "Other", 5001);
    TestWindow dialog("#32770", "Save As");
    dialog.AddField(1148, "report.txt");

    Scan(5000);
    ASSERT_TRUE(m_pView->m_bFound);
    EXPECT_EQ(m_pView->m_pick.step, PickInProgress::Step::Settling);
    MSG msg;
    EXPECT_FALSE(::PeekMessageA(&msg, m_hView, WM_PASTE_PATH, WM_PASTE_PATH, PM_NOREMOVE)) << "not before the wait";
    Scan(5001);
    ASSERT_TRUE(PumpUntil([&] { return dialog.FieldText(1148) != "report.txt"; }));
    PumpUntil([] { return false; }, 1500); // a paste of the first pick would come meanwhile
    EXPECT_EQ(dialog.FieldText(1148), "C:\\Other\\report.txt");
    EXPECT_EQ(m_pView->m_pick.step, PickInProgress::Step::None);
}
