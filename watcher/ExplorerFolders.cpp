// The shell's window list walked on a worker thread, and the order the menus show its folders in.
#include "watcher/ExplorerFolders.h"
#include "fw/TextConv.h"

#include <exdisp.h>
#include <servprov.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <map>

namespace {

// From the platform's documentation; defined here so that no GUID library is linked.
const CLSID kClsidShellWindows = {0x9ba05972, 0xf6a8, 0x11cf, {0xa4, 0x42, 0x00, 0xa0, 0xc9, 0x0a, 0x8f, 0x39}};
const GUID kSidTopLevelBrowser = {0x4c96be40, 0x915c, 0x11cf, {0x99, 0xd3, 0x00, 0xaa, 0x00, 0x4a, 0xe8, 0x37}};

// Releases a COM pointer it holds when it goes.
template <typename T>
class CComRef {
public:
    CComRef() = default;
    ~CComRef() { Reset(); }
    CComRef(const CComRef&) = delete;
    CComRef& operator=(const CComRef&) = delete;

    T** Out()
    {
        Reset();
        return &m_p;
    }
    void** OutVoid() { return reinterpret_cast<void**>(Out()); }
    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }
    void Reset()
    {
        if (m_p != nullptr)
            m_p->Release();
        m_p = nullptr;
    }

private:
    T* m_p = nullptr;
};

// The window whose place in the Z order counts: tabs and views are children of it.
HWND FrameOf(HWND hWnd)
{
    while (hWnd != nullptr && (::GetWindowLongPtrW(hWnd, GWL_STYLE) & WS_CHILD) != 0 && ::GetParent(hWnd) != nullptr)
        hWnd = ::GetParent(hWnd);
    return hWnd;
}

// The folder one entry of the list shows; FALSE for a virtual folder, a view without a folder
// or an entry that is no shell browser.
BOOL ReadEntry(IDispatch* pEntry, OpenFolder& folder)
{
    CComRef<IServiceProvider> provider;
    CComRef<IShellBrowser> browser;
    CComRef<IShellView> view;
    CComRef<IFolderView> folderView;
    CComRef<IPersistFolder2> persist;
    if (FAILED(pEntry->QueryInterface(__uuidof(IServiceProvider), provider.OutVoid())) ||
        FAILED(provider->QueryService(kSidTopLevelBrowser, __uuidof(IShellBrowser), browser.OutVoid())) ||
        FAILED(browser->QueryActiveShellView(view.Out())) || view.Get() == nullptr ||
        FAILED(view->QueryInterface(__uuidof(IFolderView), folderView.OutVoid())) ||
        FAILED(folderView->GetFolder(__uuidof(IPersistFolder2), persist.OutVoid())) || persist.Get() == nullptr)
        return FALSE;

    LPITEMIDLIST pidl = nullptr;
    if (FAILED(persist->GetCurFolder(&pidl)) || pidl == nullptr)
        return FALSE;
    wchar_t szPath[MAX_PATH] = {};
    BOOL bPath = ::SHGetPathFromIDListW(pidl, szPath);
    ::CoTaskMemFree(pidl);
    // A folder inside an archive has a path too, but a file dialog cannot be sent there.
    DWORD dwAttributes = bPath ? ::GetFileAttributesW(szPath) : INVALID_FILE_ATTRIBUTES;
    if (!bPath || dwAttributes == INVALID_FILE_ATTRIBUTES || (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return FALSE;

    folder.strPath = WideToUtf8(szPath);
    if (folder.strPath.empty() || folder.strPath.back() != '\\')
        folder.strPath += '\\';
    HWND hBrowser = nullptr, hView = nullptr;
    if (SUCCEEDED(browser->GetWindow(&hBrowser)))
        folder.hFrame = FrameOf(hBrowser);
    folder.bShownTab = SUCCEEDED(view->GetWindow(&hView)) && hView != nullptr && ::IsWindowVisible(hView);
    return TRUE;
}

// What the waiting thread and the walking thread share. Whoever lets go last frees it, so a walk
// abandoned in a hung Explorer cannot write into freed memory when that Explorer wakes up.
struct CWalk {
    CWalk(ShellWindowsSource source, void* pContext) : m_source(source), m_pContext(pContext)
    {
        ::InitializeCriticalSection(&m_lock);
    }
    ~CWalk() { ::DeleteCriticalSection(&m_lock); }

    void Release()
    {
        if (::InterlockedDecrement(&m_nRefs) == 0)
            delete this;
    }
    // Adds one entry unless the waiting thread has gone; FALSE then, and the walk stops.
    bool Add(const OpenFolder& folder)
    {
        ::EnterCriticalSection(&m_lock);
        bool bWanted = !m_bAbandoned;
        if (bWanted)
            m_found.push_back(folder);
        ::LeaveCriticalSection(&m_lock);
        return bWanted;
    }
    bool Abandoned()
    {
        ::EnterCriticalSection(&m_lock);
        bool bAbandoned = m_bAbandoned;
        ::LeaveCriticalSection(&m_lock);
        return bAbandoned;
    }
    // What has been found so far; the walk adds nothing after this.
    std::vector<OpenFolder> Take()
    {
        ::EnterCriticalSection(&m_lock);
        m_bAbandoned = true;
        std::vector<OpenFolder> found;
        found.swap(m_found);
        ::LeaveCriticalSection(&m_lock);
        return found;
    }

    LONG m_nRefs = 2; // the waiting thread and the walking thread
    ShellWindowsSource m_source;
    void* m_pContext;
    CRITICAL_SECTION m_lock;
    bool m_bAbandoned = false;
    std::vector<OpenFolder> m_found;
};

void Walk(CWalk& walk)
{
    CComRef<IShellWindows> windows;
    long nCount = 0;
    if (FAILED(walk.m_source(walk.m_pContext, windows.Out())) || windows.Get() == nullptr ||
        FAILED(windows->get_Count(&nCount)))
        return;
    for (long i = 0; i < nCount && !walk.Abandoned(); ++i) {
        VARIANT index;
        ::ZeroMemory(&index, sizeof(index)); // VT_I4 holds nothing to free
        index.vt = VT_I4;
        index.lVal = i;
        CComRef<IDispatch> entry;
        if (windows->Item(index, entry.Out()) != S_OK || entry.Get() == nullptr)
            continue; // a window closing meanwhile
        OpenFolder folder;
        folder.nIndex = (int)i;
        if (ReadEntry(entry.Get(), folder) && !walk.Add(folder))
            break;
    }
}

DWORD WINAPI WalkThreadProc(LPVOID pParam)
{
    CWalk* pWalk = static_cast<CWalk*>(pParam);
    // An apartment of its own: the proxies need no message loop here, and none on the waiting thread.
    HRESULT hr = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(hr)) {
        Walk(*pWalk);
        ::CoUninitialize();
    }
    pWalk->Release();
    return 0;
}

// Waits for the thread, answering what other threads send meanwhile (as a bounded send does);
// posted messages wait for the message loop.
void WaitAnsweringSends(HANDLE hThread, DWORD dwTimeout)
{
    const DWORD dwStart = ::GetTickCount();
    for (;;) {
        DWORD dwElapsed = ::GetTickCount() - dwStart;
        if (dwElapsed >= dwTimeout)
            return;
        DWORD dwResult = ::MsgWaitForMultipleObjects(1, &hThread, FALSE, dwTimeout - dwElapsed, QS_SENDMESSAGE);
        if (dwResult != WAIT_OBJECT_0 + 1)
            return; // ended, timed out or failed
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); // runs the sent messages only
    }
}

BOOL CALLBACK RankEnumProc(HWND hWnd, LPARAM lParam)
{
    auto* pRanks = reinterpret_cast<std::map<HWND, int>*>(lParam);
    pRanks->emplace(hWnd, (int)pRanks->size());
    return TRUE;
}

} // namespace

HRESULT CreateShellWindows(void*, IShellWindows** ppWindows)
{
    return ::CoCreateInstance(kClsidShellWindows, nullptr, CLSCTX_ALL, __uuidof(IShellWindows),
                              reinterpret_cast<void**>(ppWindows));
}

std::vector<std::string> OrderOpenFolders(std::vector<OpenFolder> found, int nMax)
{
    std::stable_sort(found.begin(), found.end(), [](const OpenFolder& a, const OpenFolder& b) {
        if (a.nZOrder != b.nZOrder)
            return a.nZOrder < b.nZOrder;
        if (a.bShownTab != b.bShownTab)
            return a.bShownTab;
        return a.nIndex < b.nIndex;
    });
    std::vector<std::string> folders;
    std::vector<std::string> seen; // upper-cased: the file system ignores letter case
    for (const OpenFolder& folder : found) {
        if ((int)folders.size() >= nMax)
            break;
        std::string key = Utf8Upper(folder.strPath);
        if (std::find(seen.begin(), seen.end(), key) != seen.end())
            continue;
        seen.push_back(key);
        folders.push_back(folder.strPath);
    }
    return folders;
}

std::vector<std::string> ReadOpenFolders(ShellWindowsSource source, void* pContext, DWORD dwTimeout, int nMax)
{
    if (source == nullptr || nMax <= 0)
        return {};
    CWalk* pWalk = new CWalk(source, pContext);
    DWORD dwThreadId = 0;
    HANDLE hThread = ::CreateThread(nullptr, 0, &WalkThreadProc, pWalk, 0, &dwThreadId);
    if (hThread == nullptr) {
        pWalk->Release(); // the thread's share
        pWalk->Release();
        return {};
    }
    WaitAnsweringSends(hThread, dwTimeout);
    ::CloseHandle(hThread); // a thread still waiting on Explorer ends on its own, unseen
    std::vector<OpenFolder> found = pWalk->Take();
    pWalk->Release();

    std::map<HWND, int> ranks;
    ::EnumWindows(&RankEnumProc, (LPARAM)&ranks);
    for (OpenFolder& folder : found) {
        auto it = ranks.find(folder.hFrame);
        folder.nZOrder = it != ranks.end() ? it->second : (int)ranks.size();
    }
    return OrderOpenFolders(std::move(found), nMax);
}
