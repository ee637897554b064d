// Shows the Preferences sheet of the real Trovel.exe: opened through its command, the folder tree expanded
// down to a few demo folders, four of them added as favourites (one renamed), then the other page.
//
//   trovel_prefs_demo TROVEL_EXE FLAG_FOLDER [--leave-running]
//
// --leave-running: Trovel stays up after OK (the installer tests close it through setup) and
// nothing is read back.
//
// Prints "PAGE1 x y width height" when the "Paths and Names" page is ready and waits for FLAG_FOLDER\page1
// to exist (or 60 seconds), so a screenshot can be taken; the same for "PAGE2" and FLAG_FOLDER\page2 with
// the "Other Settings" page. Then it presses OK, prints the favourites Trovel wrote and ends Trovel.
#include "tests/helpers/DemoSupport.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace demo;

namespace {

const char kDemoFolder[] = "C:\\Projects\\Trovel Demo";
const UINT kPreferencesCommand = 32771;
// Controls of the "Paths and Names" page.
const int kTree = 1000, kPaths = 1002, kName = 1004, kAdd = 1007;

// A node's text lives in Trovel's memory: the request and the answer go through a buffer there.
class RemoteTree {
public:
    RemoteTree(HANDLE hProcess, HWND hTree) : m_hProcess(hProcess), m_hTree(hTree)
    {
        m_pRemote = static_cast<BYTE*>(
            ::VirtualAllocEx(hProcess, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    }
    ~RemoteTree()
    {
        if (m_pRemote != nullptr)
            ::VirtualFreeEx(m_hProcess, m_pRemote, 0, MEM_RELEASE);
    }
    RemoteTree(const RemoteTree&) = delete;
    RemoteTree& operator=(const RemoteTree&) = delete;

    std::string Text(HTREEITEM hItem)
    {
        if (m_pRemote == nullptr)
            return std::string();
        TVITEMA item = {};
        item.mask = TVIF_TEXT;
        item.hItem = hItem;
        item.pszText = reinterpret_cast<char*>(m_pRemote + 512);
        item.cchTextMax = MAX_PATH;
        char text[MAX_PATH + 1] = {};
        SIZE_T done = 0;
        ::WriteProcessMemory(m_hProcess, m_pRemote, &item, sizeof(item), &done);
        ::SendMessageA(m_hTree, TVM_GETITEMA, 0, (LPARAM)m_pRemote);
        ::ReadProcessMemory(m_hProcess, m_pRemote + 512, text, MAX_PATH, &done);
        return text;
    }

    HTREEITEM Child(HTREEITEM hParent, const std::string& text)
    {
        ::SendMessageA(m_hTree, TVM_EXPAND, TVE_EXPAND, (LPARAM)hParent);
        for (HTREEITEM h = TreeView_GetChild(m_hTree, hParent); h != nullptr; h = TreeView_GetNextSibling(m_hTree, h))
            if (lstrcmpiA(Text(h).c_str(), text.c_str()) == 0)
                return h;
        return nullptr;
    }

private:
    HANDLE m_hProcess;
    HWND m_hTree;
    BYTE* m_pRemote;
};

void MakeFolders()
{
    for (const char* relative : {"", "\\Invoices", "\\Letters", "\\PHOTOS", "\\PHOTOS\\2023", "\\Reports",
                                 "\\Reports\\2024", "\\Reports\\2025", "\\.cache", "\\Reports\\.git"}) {
        std::string path = std::string(kDemoFolder) + relative;
        ::CreateDirectoryA("C:\\Projects", nullptr);
        ::CreateDirectoryA(path.c_str(), nullptr);
    }
}

void ShowAndWait(const char* pszLabel, HWND hSheet, const std::string& flag)
{
    ::RedrawWindow(hSheet, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ::Sleep(700); // let it finish painting
    RECT rc = {};
    ::GetWindowRect(hSheet, &rc);
    std::printf("%s %ld %ld %ld %ld\n", pszLabel, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    std::fflush(stdout);
    WaitUntil([&] { return ::GetFileAttributesA(flag.c_str()) != INVALID_FILE_ATTRIBUTES; }, 60000);
}

std::string StoredText(HKEY hKey, const std::string& name)
{
    char value[300] = {};
    DWORD size = sizeof(value) - 1, type = 0;
    if (::RegQueryValueExA(hKey, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS)
        return std::string();
    return value;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::printf("usage: trovel_prefs_demo TROVEL_EXE FLAG_FOLDER [--leave-running]\n");
        return 2;
    }
    const std::string trovelExe = argv[1];
    const std::string flags = argv[2];

    UseUnmanagedWindows();
    MakeFolders();

    PROCESS_INFORMATION trovel = {};
    if (!Start(trovelExe, trovel))
        return Fail("cannot start Trovel.exe");
    HWND hFrame = nullptr, hView = nullptr;
    if (!WaitForTrovel(trovel, hFrame, hView))
        return Fail("Trovel's window did not appear");
    ::Sleep(1000); // the start routine puts the icon in the tray

    std::printf("Opening Preferences through its command\n");
    ::PostMessageA(hView, WM_COMMAND, MAKEWPARAM(kPreferencesCommand, 0), 0);
    HWND hSheet = nullptr, hPage = nullptr, hTree = nullptr;
    if (!WaitUntil([&] { return (hSheet = TopWindowOf(trovel.dwProcessId, nullptr, "Preferences", true)) != nullptr; }) ||
        !WaitUntil([&] { return (hPage = ::FindWindowExA(hSheet, nullptr, "#32770", "Paths and Names")) != nullptr; }))
        return Fail("the Preferences sheet did not appear");
    hTree = ::GetDlgItem(hPage, kTree);
    // The page fills its tree from a timer, once it is on screen.
    if (!WaitUntil([&] { return TreeView_GetChild(hTree, TreeView_GetRoot(hTree)) != nullptr; }))
        return Fail("the folder tree was not filled");

    RemoteTree tree(trovel.hProcess, hTree);
    HTREEITEM hDemo = tree.Child(tree.Child(tree.Child(TreeView_GetRoot(hTree), "C:"), "Projects"), "Trovel Demo");
    if (hDemo == nullptr)
        return Fail("the demo folders are not in the tree");
    HWND hAdd = ::GetDlgItem(hPage, kAdd);
    for (const char* name : {"Invoices", "Letters", "Photos"}) {
        TreeView_SelectItem(hTree, tree.Child(hDemo, name));
        ::SendMessageA(hAdd, BM_CLICK, 0, 0);
    }
    HTREEITEM hReports = tree.Child(hDemo, "Reports");
    HTREEITEM h2024 = tree.Child(hReports, "2024");
    TreeView_SelectItem(hTree, h2024);
    ::SendMessageA(hAdd, BM_CLICK, 0, 0);
    std::printf("Added four favourites from the tree\n");

    // The user picks the second row and gives it a name of their own.
    HWND hPaths = ::GetDlgItem(hPage, kPaths);
    ::SendMessageA(hPaths, LB_SETCURSEL, 1, 0);
    ::SendMessageA(hPage, WM_COMMAND, MAKEWPARAM(kPaths, LBN_SELCHANGE), (LPARAM)hPaths);
    ::SendMessageA(::GetDlgItem(hPage, kName), WM_SETTEXT, 0, (LPARAM)"Letters to answer");
    TreeView_SelectItem(hTree, h2024);
    ::SetForegroundWindow(hSheet);
    ShowAndWait("PAGE1", hSheet, flags + "\\page1");

    ::SendMessageA(hSheet, PSM_SETCURSEL, 1, 0);
    ShowAndWait("PAGE2", hSheet, flags + "\\page2");

    ::PostMessageA(hSheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    if (!WaitUntil([&] { return !::IsWindow(hSheet); }))
        return Fail("the sheet did not close with OK");
    if (argc > 3 && std::strcmp(argv[3], "--leave-running") == 0) {
        ::CloseHandle(trovel.hThread);
        ::CloseHandle(trovel.hProcess);
        return 0;
    }

    int stored = 0;
    HKEY hList = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, (std::string(kTrovelRoot) + "\\PathList").c_str(), 0,
                        KEY_READ | KEY_WOW64_32KEY, &hList) == ERROR_SUCCESS) {
        for (int i = 0;; ++i) {
            std::string path = StoredText(hList, "P" + std::to_string(i));
            if (path.empty())
                break;
            std::printf("Stored favourite %d: \"%s\" = %s (command %s)\n", i,
                        StoredText(hList, "SN" + std::to_string(i)).c_str(), path.c_str(),
                        StoredText(hList, "ID" + std::to_string(i)).c_str());
            ++stored;
        }
        ::RegCloseKey(hList);
    }

    ::PostMessageA(hFrame, kAppClose, 0, 0);
    ::WaitForSingleObject(trovel.hProcess, 10000);
    ::CloseHandle(trovel.hThread);
    ::CloseHandle(trovel.hProcess);
    return stored == 4 ? 0 : Fail("Trovel did not store the four favourites");
}
