// Modal-loop scripting, control actions and the running program for the Preferences tests.
#include "tests/prefs/SheetDriver.h"
#include "app/MainFrame.h"
#include "app/TrovelDoc.h"
#include "fw/DocTemplate.h"
#include "fw/PropertySheet.h"
#include "tests/support/TrayProbe.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>

namespace {

BOOL CALLBACK CollectWindow(HWND hWnd, LPARAM lParam)
{
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
    return TRUE;
}

std::vector<HWND> ThreadWindows()
{
    std::vector<HWND> windows;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

bool IsSheet(HWND hWnd) { return ::FindWindowExA(hWnd, nullptr, WC_TABCONTROLA, nullptr) != nullptr; }

struct Pending {
    std::function<bool()> ready;
    std::function<void()> script;
    std::vector<HWND> before; // up already: not this script's to close
    bool ran = false;
    UINT_PTR watchdog = 0;
};
std::map<UINT_PTR, Pending*> g_scripts, g_watchdogs;

void CALLBACK WatchdogTick(HWND, UINT, UINT_PTR id, DWORD)
{
    if (g_watchdogs.count(id) == 0)
        return;
    for (HWND hWnd : ThreadWindows()) {
        const auto& before = g_watchdogs[id]->before;
        if (std::find(before.begin(), before.end(), hWnd) == before.end() && ::IsWindowVisible(hWnd))
            ::PostMessageA(hWnd, IsSheet(hWnd) ? PSM_PRESSBUTTON : WM_COMMAND, IsSheet(hWnd) ? PSBTN_CANCEL : IDCANCEL, 0);
    }
}

void CALLBACK ScriptTick(HWND, UINT, UINT_PTR id, DWORD)
{
    auto it = g_scripts.find(id);
    if (it == g_scripts.end() || !it->second->ready())
        return;
    Pending* p = it->second;
    ::KillTimer(nullptr, id);
    g_scripts.erase(it);
    p->ran = true;
    p->script();
    // A modal loop sees that its dialog ended at its next message; a user's click would bring one.
    ::PostThreadMessageA(::GetCurrentThreadId(), WM_NULL, 0, 0);
    ::KillTimer(nullptr, p->watchdog);
    g_watchdogs.erase(p->watchdog);
    p->watchdog = ::SetTimer(nullptr, 0, 3000, &WatchdogTick);
    g_watchdogs[p->watchdog] = p;
}

HWND SheetOf(CTrovelView* pView)
{
    return pView->m_pPreferencesSheet != nullptr ? pView->m_pPreferencesSheet->m_hWnd : nullptr;
}

template <typename T>
T* PageOf(HWND hSheet)
{
    for (HWND h = hSheet != nullptr ? ::GetWindow(hSheet, GW_CHILD) : nullptr; h != nullptr; h = ::GetWindow(h, GW_HWNDNEXT))
        if (T* pPage = dynamic_cast<T*>(CWnd::FromHandlePermanent(h)))
            return pPage;
    return nullptr;
}

} // namespace

bool RunInsideModal(const std::function<void()>& open, const std::function<bool()>& ready,
                    const std::function<void()>& script)
{
    Pending p{ready, script, ThreadWindows()};
    UINT_PTR scriptTimer = ::SetTimer(nullptr, 0, 15, &ScriptTick);
    p.watchdog = ::SetTimer(nullptr, 0, 20000, &WatchdogTick);
    g_scripts[scriptTimer] = g_watchdogs[p.watchdog] = &p;
    open();
    for (UINT_PTR id : {scriptTimer, p.watchdog})
        ::KillTimer(nullptr, id);
    g_scripts.erase(scriptTimer);
    g_watchdogs.erase(p.watchdog);
    return p.ran;
}

std::vector<HWND> ShownWindowsTitled(const char* pszTitle)
{
    std::vector<HWND> found;
    for (HWND hWnd : ThreadWindows())
        if (::IsWindowVisible(hWnd) && AfxGetWindowText(hWnd) == pszTitle)
            found.push_back(hWnd);
    return found;
}

void Click(HWND hControl)
{
    if (::IsWindowEnabled(hControl) && ::IsWindowVisible(hControl))
        ::SendMessageA(hControl, BM_CLICK, 0, 0);
}

void ClickListRow(HWND hList, int row)
{
    RECT rc = {};
    ::SendMessageA(hList, LB_GETITEMRECT, (WPARAM)row, (LPARAM)&rc);
    LPARAM pt = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    ::SendMessageA(hList, WM_LBUTTONDOWN, MK_LBUTTON, pt);
    ::SendMessageA(hList, WM_LBUTTONUP, 0, pt);
}

void ClickTreeItem(HWND hTree, HTREEITEM hItem)
{
    RECT rc = {};
    std::memcpy(&rc, &hItem, sizeof(hItem)); // the message takes the item in the rectangle's place
    ::SendMessageA(hTree, TVM_GETITEMRECT, TRUE, (LPARAM)&rc);
    LPARAM pt = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    // The tree waits in its queue for the release to tell a click from a drag: queue it first.
    ::PostMessageA(hTree, WM_LBUTTONUP, 0, pt);
    ::SendMessageA(hTree, WM_LBUTTONDOWN, MK_LBUTTON, pt);
}

void TypeInto(HWND hEdit, const std::string& text)
{
    ::SetFocus(hEdit);
    ::SendMessageW(hEdit, EM_SETSEL, 0, -1);
    if (text.empty())
        ::SendMessageW(hEdit, WM_CHAR, VK_BACK, 0);
    for (wchar_t ch : Utf8ToWide(text)) // as typed: one UTF-16 unit a message
        ::SendMessageW(hEdit, WM_CHAR, (WPARAM)ch, 0);
}

Texts ListRows(HWND hList)
{
    Texts rows;
    for (int i = 0; i < (int)::SendMessageW(hList, LB_GETCOUNT, 0, 0); ++i) {
        std::wstring text((size_t)::SendMessageW(hList, LB_GETTEXTLEN, (WPARAM)i, 0) + 1, L'\0');
        text.resize((size_t)::SendMessageW(hList, LB_GETTEXT, (WPARAM)i, (LPARAM)&text[0]));
        rows.push_back(WideToUtf8(text));
    }
    return rows;
}

std::string ItemText(HWND hTree, HTREEITEM hItem)
{
    wchar_t text[MAX_PATH + 1] = {};
    TVITEMW item = {};
    item.mask = TVIF_TEXT;
    item.hItem = hItem;
    item.pszText = text;
    item.cchTextMax = MAX_PATH + 1;
    ::SendMessageW(hTree, TVM_GETITEMW, 0, (LPARAM)&item);
    return WideToUtf8(text);
}

Texts ChildTexts(HWND hTree, HTREEITEM hParent)
{
    Texts texts;
    for (HTREEITEM h = TreeView_GetChild(hTree, hParent); h != nullptr; h = TreeView_GetNextSibling(hTree, h))
        texts.push_back(ItemText(hTree, h));
    return texts;
}

HTREEITEM FindChild(HWND hTree, HTREEITEM hParent, const std::string& text)
{
    TreeView_Expand(hTree, hParent, TVE_EXPAND);
    for (HTREEITEM h = TreeView_GetChild(hTree, hParent); h != nullptr; h = TreeView_GetNextSibling(hTree, h))
        if (lstrcmpiW(Utf8ToWide(ItemText(hTree, h)).c_str(), Utf8ToWide(text).c_str()) == 0)
            return h;
    return nullptr;
}

HTREEITEM ExpandTo(HWND hTree, const std::string& path)
{
    HTREEITEM hItem = TreeView_GetRoot(hTree);
    for (size_t pos = 0, next = 0; hItem != nullptr && next != std::string::npos; pos = next + 1) {
        next = path.find('\\', pos);
        hItem = FindChild(hTree, hItem, path.substr(pos, next == std::string::npos ? next : next - pos));
    }
    TreeView_SelectItem(hTree, hItem);
    return hItem;
}

void RemoveTree(const std::string& path)
{
    std::wstring from = Utf8ToWide(path) + L'\0'; // a list of names, ended by an empty one
    SHFILEOPSTRUCTW op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    ::SHFileOperationW(&op);
}

// ---- The fixture ----

Texts PreferencesTest::s_boxes;

LRESULT CALLBACK PreferencesTest::MessageBoxHook(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT* pMsg = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    // The program's own dialogs are bound to objects and the sheet has tabs: the rest are message boxes.
    if (code == HC_ACTION && pMsg->message == WM_INITDIALOG && !(::GetWindowLongPtrA(pMsg->hwnd, GWL_STYLE) & WS_CHILD) &&
        CWnd::FromHandlePermanent(pMsg->hwnd) == nullptr && !IsSheet(pMsg->hwnd)) {
        std::string text = AfxGetWindowText(pMsg->hwnd) + "|";
        for (HWND h = ::GetWindow(pMsg->hwnd, GW_CHILD); h != nullptr; h = ::GetWindow(h, GW_HWNDNEXT)) {
            char className[16] = {};
            ::GetClassNameA(h, className, sizeof(className));
            if (lstrcmpiA(className, "Static") == 0)
                text += AfxGetWindowText(h);
        }
        s_boxes.push_back(text);
        ::PostMessageA(pMsg->hwnd, WM_COMMAND, IDOK, 0);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void PreferencesTest::SetUp()
{
    KeepTrayShown();
    s_boxes.clear();
    m_hHook = ::SetWindowsHookExA(WH_CALLWNDPROCRET, &MessageBoxHook, nullptr, ::GetCurrentThreadId());
    m_root = "C:\\TrovelPrefs-" + std::to_string(::GetCurrentProcessId());
    RemoveTree(m_root);
    ::CreateDirectoryA(m_root.c_str(), nullptr);

    TestApp().AddDocTemplate(new CSingleDocTemplate(
        IDR_MAINFRAME, []() -> CDocument* { return new CTrovelDoc; }, []() -> CFrameWnd* { return new CMainFrame; },
        []() -> CView* { return new CTrovelView; }));
    CCommandLineInfo cmdInfo;
    ASSERT_TRUE(TestApp().ProcessShellCommand(cmdInfo));
    m_pView = GetTrovelView();
    ASSERT_NE(m_pView, nullptr);
    // The start routine (tray icon, frame size) runs from the frame's one-shot timer.
    for (DWORD start = ::GetTickCount(); !m_pView->m_bFrameSizeKnown && ::GetTickCount() - start < 20000;) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&msg);
        ::Sleep(10);
    }
    ASSERT_TRUE(m_pView->m_bFrameSizeKnown);
}

void PreferencesTest::TearDown()
{
    if (m_pView != nullptr)
        ::SendMessageA(m_pView->m_hWnd, WM_COMMAND, ID_SHUTDOWN, 0);
    TestApp().AddDocTemplate(nullptr);
    ::UnhookWindowsHookEx(m_hHook);
    RemoveTree(m_root);
}

bool PreferencesTest::WithPreferences(const std::function<void(HWND, CPage1&)>& script, bool waitForSetup)
{
    CTrovelView* pView = m_pView;
    return RunInsideModal([pView] { ::SendMessageA(pView->m_hWnd, WM_COMMAND, ID_PREFERENCES, 0); },
                          [&] {
                              CPage1* pPage = PageOf<CPage1>(SheetOf(pView));
                              return pPage != nullptr && (!waitForSetup || pPage->m_hDesktopItem != nullptr);
                          },
                          [&] { script(SheetOf(pView), *PageOf<CPage1>(SheetOf(pView))); });
}

CPage2* PreferencesTest::ShowPage2(HWND hSheet)
{
    ::SendMessageA(hSheet, PSM_SETCURSEL, 1, 0);
    return PageOf<CPage2>(hSheet);
}

void PreferencesTest::AddFolder(CPage1& page, const std::string& path)
{
    ASSERT_NE(ExpandTo(page.m_treeFolders.m_hWnd, path), nullptr) << path;
    Click(Item(page, IDC_BTN_ADD));
}

std::string PreferencesTest::Make(const std::string& relative)
{
    std::string path = m_root + "\\" + relative;
    ::SHCreateDirectoryExW(nullptr, Utf8ToWide(path).c_str(), nullptr);
    return path;
}

void PreferencesTest::StorePathList(const std::vector<PathEntry>& entries)
{
    CDialogList dialogs;
    CPathList paths;
    for (const PathEntry& e : entries)
        paths.push_back(std::make_unique<PathEntry>(e));
    SavePathLists(m_scratch.Key(), dialogs, paths);
    m_pView->FreePathList();
    m_pView->FreeDialogList();
    m_pView->LoadPathLists();
}

std::string PreferencesTest::Stored(const char* pszSubKey, const char* pszName)
{
    return m_scratch.Key().ReadString(pszSubKey, pszName, "<missing>");
}

namespace {
// The mnemonic letter of a control's text, upper case; 0 for none.
wchar_t MnemonicOf(HWND hWnd)
{
    const std::wstring text = Utf8ToWide(AfxGetWindowText(hWnd));
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == L'&' && text[i + 1] == L'&')
            ++i;
        else if (text[i] == L'&')
            return (wchar_t)(ULONG_PTR)::CharUpperW((LPWSTR)(ULONG_PTR)text[i + 1]);
    }
    return 0;
}
}

Texts KeyboardProblems(HWND hPage)
{
    Texts problems;
    std::wstring letters;
    RECT rcLast = {};
    bool bFirst = true;
    HWND hBefore = nullptr;
    for (HWND h = ::GetWindow(hPage, GW_CHILD); h != nullptr; hBefore = h, h = ::GetWindow(h, GW_HWNDNEXT)) {
        const LONG style = ::GetWindowLongW(h, GWL_STYLE);
        if ((style & WS_TABSTOP) == 0 || !::IsWindowVisible(h))
            continue;
        const std::string name = AfxGetWindowText(h) + " (" + std::to_string(::GetDlgCtrlID(h)) + ")";
        RECT rc = {};
        ::GetWindowRect(h, &rc);
        // One row while the tops are within a line's height of each other.
        const int cyLine = 8;
        if (!bFirst && (rc.top < rcLast.top - cyLine || (std::abs(rc.top - rcLast.top) <= cyLine && rc.left <= rcLast.left)))
            problems.push_back("out of reading order: " + name);
        bFirst = false;
        rcLast = rc;
        wchar_t letter = MnemonicOf(h);
        wchar_t cls[32] = {};
        ::GetClassNameW(h, cls, 32);
        if (letter == 0 && hBefore != nullptr && AfxGetWindowText(h).empty()) {
            ::GetClassNameW(hBefore, cls, 32);
            if (::lstrcmpiW(cls, L"Static") == 0)
                letter = MnemonicOf(hBefore); // a label's letter moves to the control after it
        }
        if (letter == 0)
            problems.push_back("no mnemonic: " + name);
        else if (letters.find(letter) != std::wstring::npos)
            problems.push_back("mnemonic used twice: " + name);
        else
            letters += letter;
    }
    return problems;
}
