// Cost of expanding a folder node of the Preferences tree (the real page, in the real sheet) against a
// bare loop that lists the same folder and probes each child for a sub-folder, as the tree must, over
// folders of 1,000 and 10,000 sub-folders (half with a sub-folder of their own) made here.
// For reference it also times the tree control's own sorted insertion (TVI_SORT) of the same names.
#include "app/TrovelApp.h"
#include "bench/BenchClock.h"
#include "fw/PropertySheet.h"
#include "prefs/Page1.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

CTrovelApp g_app;

bool Listed(const WIN32_FIND_DATAA& data)
{
    return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && data.cFileName[0] != '.';
}

// What any expansion must do at least: list the folder, then look into each child until a sub-folder shows.
size_t BareListAndProbe(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE hFind = ::FindFirstFileA((folder + "\\*").c_str(), &data);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            if (Listed(data))
                names.push_back(data.cFileName);
        } while (::FindNextFileA(hFind, &data));
        ::FindClose(hFind);
    }
    size_t withChildren = 0;
    for (const std::string& name : names) {
        HANDLE hChild = ::FindFirstFileA((folder + "\\" + name + "\\*").c_str(), &data);
        if (hChild == INVALID_HANDLE_VALUE)
            continue;
        bool found = false;
        do {
            found = Listed(data);
        } while (!found && ::FindNextFileA(hChild, &data));
        ::FindClose(hChild);
        withChildren += found ? 1 : 0;
    }
    return names.size() + withChildren;
}

std::vector<std::string> FolderNames(int count)
{
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof(name), "%s %05d", i % 3 == 0 ? "Report" : i % 3 == 1 ? "archive" : "DATA", i);
        names.push_back(name);
    }
    return names;
}

// The folders, created in a shuffled order so the file system's order is not the tree's.
void MakeFolders(const std::string& folder, int count)
{
    ::CreateDirectoryA(folder.c_str(), nullptr);
    std::vector<std::string> names = FolderNames(count);
    std::vector<int> order(names.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = (int)i;
    std::shuffle(order.begin(), order.end(), std::mt19937(12345));
    for (int i : order) {
        std::string child = folder + "\\" + names[(size_t)i];
        ::CreateDirectoryA(child.c_str(), nullptr);
        if (i % 2 == 0)
            ::CreateDirectoryA((child + "\\sub").c_str(), nullptr);
    }
}

void RemoveTree(const std::string& path)
{
    WIN32_FIND_DATAA data;
    HANDLE hFind = ::FindFirstFileA((path + "\\*").c_str(), &data);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name != "." && name != ".." && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                RemoveTree(path + "\\" + name);
        } while (::FindNextFileA(hFind, &data));
        ::FindClose(hFind);
    }
    ::RemoveDirectoryA(path.c_str());
}

int CountChildren(HWND hTree, HTREEITEM hParent)
{
    int count = 0;
    for (HTREEITEM h = TreeView_GetChild(hTree, hParent); h != nullptr; h = TreeView_GetNextSibling(hTree, h))
        ++count;
    return count;
}

// From the Desktop down to the folder, expanding each node on the way; the folder itself stays closed.
HTREEITEM FindNode(CTreeCtrl& tree, const std::string& path)
{
    HTREEITEM hItem = tree.GetRootItem();
    size_t pos = 0;
    while (hItem != nullptr) {
        size_t next = path.find('\\', pos);
        std::string part = path.substr(pos, next == std::string::npos ? std::string::npos : next - pos);
        tree.Expand(hItem, TVE_EXPAND);
        HTREEITEM hChild = tree.GetChildItem(hItem);
        while (hChild != nullptr && lstrcmpiA(tree.GetItemText(hChild, MAX_PATH + 1).c_str(), part.c_str()) != 0)
            hChild = tree.GetNextSiblingItem(hChild);
        hItem = hChild;
        if (next == std::string::npos)
            break;
        pos = next + 1;
    }
    return hItem;
}

// The control's own sorted insertion of the same names into a bare tree, for reference.
double ControlSortedInsertion(const std::vector<std::string>& names)
{
    HWND hTree = ::CreateWindowExA(0, WC_TREEVIEWA, "", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr,
                                   ::GetModuleHandleA(nullptr), nullptr);
    TVINSERTSTRUCTA insert = {};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<char*>("root");
    HTREEITEM hRoot = (HTREEITEM)::SendMessageA(hTree, TVM_INSERTITEMA, 0, (LPARAM)&insert);
    double t0 = Now();
    for (const std::string& name : names) {
        insert.hParent = hRoot;
        insert.hInsertAfter = TVI_SORT;
        insert.item.pszText = const_cast<char*>(name.c_str());
        ::SendMessageA(hTree, TVM_INSERTITEMA, 0, (LPARAM)&insert);
    }
    double t = Now() - t0;
    ::DestroyWindow(hTree);
    return t;
}

// Runs the script from inside the sheet's modal loop once its first page has filled the tree.
std::function<void(CPage1&, HWND)> g_script;
CPage1* g_pPage = nullptr;

void CALLBACK ScriptTick(HWND, UINT, UINT_PTR id, DWORD)
{
    if (g_pPage == nullptr || g_pPage->m_hWnd == nullptr || g_pPage->m_hDesktopItem == nullptr)
        return;
    ::KillTimer(nullptr, id);
    HWND hSheet = ::GetParent(g_pPage->m_hWnd);
    g_script(*g_pPage, hSheet);
    ::PostMessageA(hSheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
}

struct Result {
    int count;
    double bare, tree, reference;
};

} // namespace

int main()
{
    g_app.m_hInstance = ::GetModuleHandleA(nullptr);
    g_app.Enable3dControls();

    const std::string root = "C:\\TrovelBench-" + std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryA(root.c_str(), nullptr);
    const int counts[] = {1000, 10000};
    for (int count : counts)
        MakeFolders(root + "\\n" + std::to_string(count), count);

    std::vector<Result> results;
    g_script = [&](CPage1& page, HWND) {
        HWND hTree = page.m_treeFolders.m_hWnd;
        for (int count : counts) {
            const std::string folder = root + "\\n" + std::to_string(count);
            const int rounds = count <= 1000 ? 15 : 7;
            std::vector<double> bare, tree;
            BareListAndProbe(folder); // warm the file system's caches for both sides alike
            for (int r = 0; r <= rounds; ++r) {
                double t0 = Now();
                size_t seen = BareListAndProbe(folder);
                double tBare = Now() - t0;

                page.OnRefresh(); // a fresh, collapsed tree: the folder is read again
                HTREEITEM hNode = FindNode(page.m_treeFolders, folder);
                double t1 = Now();
                TreeView_Expand(hTree, hNode, TVE_EXPAND);
                double tTree = Now() - t1;

                if (seen != (size_t)count + (size_t)count / 2 || CountChildren(hTree, hNode) != count) {
                    std::printf("unexpected: %zu entries seen, %d nodes\n", seen, CountChildren(hTree, hNode));
                    return;
                }
                if (r > 0) { // the first round only warms up
                    bare.push_back(tBare);
                    tree.push_back(tTree);
                }
            }
            results.push_back({count, Median(bare), Median(tree), 0.0});
        }
    };

    CPropertySheet sheet("Folder tree benchmark");
    sheet.m_psh.dwFlags |= PSH_NOAPPLYNOW;
    CPage1 page;
    page.m_bShowNetwork = FALSE;
    page.m_bShowRemovable = FALSE;
    sheet.AddPage(&page);
    g_pPage = &page;
    UINT_PTR timer = ::SetTimer(nullptr, 0, 20, &ScriptTick);
    sheet.DoModal();
    ::KillTimer(nullptr, timer);

    for (Result& r : results)
        r.reference = ControlSortedInsertion(FolderNames(r.count));
    RemoveTree(root);

    if (results.size() != 2) {
        std::printf("the benchmark did not run\n");
        return 1;
    }
    std::printf("Expanding a folder node of N sub-folders (half with a sub-folder), median times:\n");
    std::printf("%8s %12s %12s %8s %22s\n", "N", "bare loop", "tree", "ratio", "TVI_SORT alone (ref.)");
    for (const Result& r : results)
        std::printf("%8d %9.1f ms %9.1f ms %7.2fx %19.1f ms\n", r.count, r.bare * 1000, r.tree * 1000, r.tree / r.bare,
                    r.reference * 1000);
    std::printf("Growth 1,000 -> 10,000: bare loop %.1fx, tree %.1fx, TVI_SORT alone %.1fx (linear = 10x)\n",
                results[1].bare / results[0].bare, results[1].tree / results[0].tree,
                results[1].reference / results[0].reference);
    bool ok = results[1].tree / results[1].bare <= 1.5 && results[1].tree / results[0].tree < 20.0;
    std::printf("Goal (at most 1.5x the bare loop, no quadratic growth): %s\n", ok ? "met" : "NOT met");
    return ok ? 0 : 1;
}
