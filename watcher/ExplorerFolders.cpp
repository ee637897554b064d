// The shell's window list walked on a worker thread, and the order the menus show its folders in.
#include "watcher/ExplorerFolders.h"
#include "fw/Com.h"
#include "fw/NestedLoop.h"
#include "fw/TextConv.h"

#include <exdisp.h>
#include <servprov.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <map>

namespace {

// Walks not yet over: at most one is ever under way, so a hung Explorer holds the threads of one.
volatile LONG g_nWalksUnderWay = 0;

// From the platform's documentation; defined here so that no GUID library is linked.
const CLSID kClsidShellWindows = {0x9ba05972, 0xf6a8, 0x11cf, {0xa4, 0x42, 0x00, 0xa0, 0xc9, 0x0a, 0x8f, 0x39}};
const GUID kSidTopLevelBrowser = {0x4c96be40, 0x915c, 0x11cf, {0x99, 0xd3, 0x00, 0xaa, 0x00, 0x4a, 0xe8, 0x37}};

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
    AfxCoTaskMemFree(pidl);
    // A folder inside an archive has a path too, but a file dialog cannot be sent there.
    DWORD dwAttributes = bPath ? ::GetFileAttributesW(szPath) : INVALID_FILE_ATTRIBUTES;
    if (!bPath || dwAttributes == INVALID_FILE_ATTRIBUTES || (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return FALSE;

    folder.strPath = WideToUtf8(szPath);
    if (folder.strPath.empty() || folder.strPath.back() != '\\')
        folder.strPath += '\\';
    HWND hBrowser = nullptr, hView = nullptr;
    if (SUCCEEDED(browser->GetWindow(&hBrowser)))
        folder.hFrame = AfxTopLevelOf(hBrowser); // whose place in the Z order counts
    folder.bShownTab = SUCCEEDED(view->GetWindow(&hView)) && hView != nullptr && ::IsWindowVisible(hView);
    return TRUE;
}

// What the waiting thread and the walking threads share. Entries are claimed one at a time; when
// every walker has hung on an entry for a while, another walker takes the entries after it, since
// in Explorer each window has its thread and one that hangs leaves the others answering. Whoever
// lets go last frees the whole, so a walker that wakes up late never writes into freed memory.
class CWalk {
public:
    CWalk(ShellWindowsSource source, void* pContext, DWORD dwEntryBound)
        : m_source(source), m_pContext(pContext), m_dwEntryBound(dwEntryBound)
    {
        ::InitializeCriticalSection(&m_lock);
        m_hAllDone = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        ::InterlockedIncrement(&g_nWalksUnderWay);
    }
    ~CWalk()
    {
        if (m_hAllDone != nullptr)
            ::CloseHandle(m_hAllDone);
        ::DeleteCriticalSection(&m_lock);
    }
    CWalk(const CWalk&) = delete;
    CWalk& operator=(const CWalk&) = delete;

    void AddRef() { ::InterlockedIncrement(&m_nRefs); }
    void Release()
    {
        if (::InterlockedDecrement(&m_nRefs) == 0)
            delete this;
    }

    // Starts one more walker; FALSE when none could be started.
    bool StartWalker()
    {
        Lock();
        ++m_nWalkers;
        Unlock();
        AddRef();
        DWORD dwThreadId = 0;
        HANDLE hThread = ::CreateThread(nullptr, 0, &CWalk::ThreadProc, this, 0, &dwThreadId);
        if (hThread != nullptr) {
            ::CloseHandle(hThread); // a walker still waiting on Explorer ends on its own, unseen
            return true;
        }
        WalkerDone(nullptr);
        Release();
        return false;
    }

    // Waits up to dwTimeout for every entry, answering what other threads send meanwhile (as a
    // bounded send does; posted messages wait for the message loop), and starts a walker past
    // an entry that does not answer.
    void Wait(DWORD dwTimeout)
    {
        if (m_hAllDone == nullptr)
            return;
        // One wait of the program for the whole walk, however many slices it takes.
        CNestedLoop wait(CNestedLoop::Wait);
        const DWORD dwStart = ::GetTickCount();
        for (DWORD dwElapsed; (dwElapsed = ::GetTickCount() - dwStart) < dwTimeout;) {
            const DWORD dwSlice = std::min<DWORD>(dwTimeout - dwElapsed, std::max<DWORD>(m_dwEntryBound / 4, 1));
            if (AfxWaitAnswering(m_hAllDone, dwSlice) || NothingMoreToCome())
                return;
            if (AllWalkersHung())
                StartWalker();
        }
    }

    // The list answered that it cannot count (it never will).
    bool CannotCount()
    {
        Lock();
        bool bCannot = m_bCannotCount;
        Unlock();
        return bCannot;
    }

    // What has been found so far; nothing is added after this and no entry is claimed.
    std::vector<OpenFolder> Take()
    {
        Lock();
        m_bAbandoned = true;
        std::vector<OpenFolder> found;
        found.swap(m_found);
        Unlock();
        return found;
    }

private:
    static DWORD WINAPI ThreadProc(LPVOID pParam)
    {
        CWalk* pWalk = static_cast<CWalk*>(pParam);
        // Every walker in the multithreaded apartment: the proxies need no message loop, and the
        // one list serves every walker without marshalling.
        {
            CComScope com(COINIT_MULTITHREADED);
            pWalk->WalkerDone(com.Ok() ? pWalk->Walk() : nullptr);
        }
        pWalk->Release();
        return 0;
    }

    // Walks claimed entries until none is left; returns the list, which the last walker releases.
    IShellWindows* Walk()
    {
        Lock();
        IShellWindows* pWindows = m_pWindows;
        const bool bFirst = !m_bListAsked;
        m_bListAsked = true;
        Unlock();
        if (bFirst) {
            long nCount = 0;
            HRESULT hrCount = E_FAIL;
            if (FAILED(m_source(m_pContext, &pWindows)) || pWindows == nullptr ||
                FAILED(hrCount = pWindows->get_Count(&nCount)))
                nCount = 0; // Wine's list cannot count: no entries
            Lock();
            m_bCannotCount = hrCount == E_NOTIMPL;
            m_pWindows = pWindows;
            m_nCount = nCount;
            m_dwLastProgress = ::GetTickCount();
            Unlock();
        }
        for (long i; pWindows != nullptr && (i = Claim()) >= 0;) {
            OpenFolder folder;
            folder.nIndex = (int)i;
            bool bFound = ReadItem(pWindows, i, folder);
            Finished(bFound ? &folder : nullptr);
        }
        return pWindows;
    }

    static bool ReadItem(IShellWindows* pWindows, long i, OpenFolder& folder)
    {
        VARIANT index;
        ::ZeroMemory(&index, sizeof(index)); // VT_I4 holds nothing to free
        index.vt = VT_I4;
        index.lVal = i;
        CComRef<IDispatch> entry;
        // S_FALSE: a window that closed meanwhile.
        return pWindows->Item(index, entry.Out()) == S_OK && entry.Get() != nullptr && ReadEntry(entry.Get(), folder);
    }

    long Claim()
    {
        Lock();
        long i = -1;
        if (!m_bAbandoned && m_nNext < m_nCount) {
            i = m_nNext++;
            ++m_nInFlight;
            m_dwLastProgress = ::GetTickCount();
        }
        Unlock();
        return i;
    }

    void Finished(const OpenFolder* pFolder)
    {
        Lock();
        --m_nInFlight;
        m_dwLastProgress = ::GetTickCount();
        if (pFolder != nullptr && !m_bAbandoned)
            m_found.push_back(*pFolder);
        Unlock();
    }

    void WalkerDone(IShellWindows* pWindows)
    {
        Lock();
        const bool bLast = --m_nWalkers == 0;
        if (bLast)
            m_pWindows = nullptr;
        Unlock();
        if (bLast) {
            // Released on a thread of the apartment it belongs to.
            if (pWindows != nullptr)
                pWindows->Release();
            ::InterlockedDecrement(&g_nWalksUnderWay); // no thread of it waits on Explorer any more
            ::SetEvent(m_hAllDone);
        }
    }

    bool AllWalkersHung()
    {
        Lock();
        bool bHung = m_pWindows != nullptr && m_nWalkers > 0 && m_nInFlight >= m_nWalkers && m_nNext < m_nCount &&
                     ::GetTickCount() - m_dwLastProgress >= m_dwEntryBound;
        Unlock();
        return bHung;
    }

    // Every entry claimed, and those not yet answered have hung.
    bool NothingMoreToCome()
    {
        Lock();
        bool bDone = m_pWindows != nullptr && m_nNext >= m_nCount &&
                     (m_nInFlight == 0 || ::GetTickCount() - m_dwLastProgress >= m_dwEntryBound);
        Unlock();
        return bDone;
    }

    void Lock() { ::EnterCriticalSection(&m_lock); }
    void Unlock() { ::LeaveCriticalSection(&m_lock); }

    LONG m_nRefs = 1; // the waiting thread's; each walker adds its own
    const ShellWindowsSource m_source;
    void* const m_pContext;
    const DWORD m_dwEntryBound;
    CRITICAL_SECTION m_lock;
    HANDLE m_hAllDone = nullptr;
    // Below under m_lock.
    IShellWindows* m_pWindows = nullptr; // owned by the walkers together
    bool m_bListAsked = false;
    bool m_bCannotCount = false;
    long m_nCount = 0;
    long m_nNext = 0;
    int m_nWalkers = 0;
    int m_nInFlight = 0;
    DWORD m_dwLastProgress = 0;
    bool m_bAbandoned = false;
    std::vector<OpenFolder> m_found;
};

BOOL CALLBACK RankEnumProc(HWND hWnd, LPARAM lParam)
{
    auto* pRanks = reinterpret_cast<std::map<HWND, int>*>(lParam);
    pRanks->emplace(hWnd, (int)pRanks->size());
    return TRUE;
}

} // namespace

HRESULT CreateShellWindows(void*, IShellWindows** ppWindows)
{
    return AfxCoCreateInstance(kClsidShellWindows, __uuidof(IShellWindows), reinterpret_cast<void**>(ppWindows));
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
    std::vector<std::string> seen;
    for (const OpenFolder& folder : found) {
        if ((int)folders.size() >= nMax)
            break;
        std::string key = FolderKey(folder.strPath);
        if (std::find(seen.begin(), seen.end(), key) != seen.end())
            continue;
        seen.push_back(key);
        folders.push_back(folder.strPath);
    }
    return folders;
}

std::vector<OpenFolder> ReadOpenWindows(ShellWindowsSource source, void* pContext, DWORD dwTimeout,
                                        bool* pbCannotCount)
{
    if (pbCannotCount != nullptr)
        *pbCannotCount = false;
    // An earlier walk still held by a hung Explorer: none is added to it.
    if (source == nullptr || ::InterlockedCompareExchange(&g_nWalksUnderWay, 0, 0) != 0)
        return {};
    // An entry that keeps its walker this long is taken as hung; the rest still has time.
    CWalk* pWalk = new CWalk(source, pContext, dwTimeout / 4);
    std::vector<OpenFolder> found;
    if (pWalk->StartWalker()) {
        pWalk->Wait(dwTimeout);
        found = pWalk->Take();
        if (pbCannotCount != nullptr)
            *pbCannotCount = pWalk->CannotCount();
    }
    pWalk->Release();

    std::map<HWND, int> ranks;
    ::EnumWindows(&RankEnumProc, (LPARAM)&ranks);
    for (OpenFolder& folder : found) {
        auto it = ranks.find(folder.hFrame);
        folder.nZOrder = it != ranks.end() ? it->second : (int)ranks.size();
    }
    return found;
}

std::string ShownFolderOf(const std::vector<OpenFolder>& found, HWND hFrame)
{
    const OpenFolder* pAny = nullptr;
    for (const OpenFolder& folder : found) {
        if (hFrame == nullptr || folder.hFrame != hFrame)
            continue;
        if (folder.bShownTab)
            return folder.strPath;
        if (pAny == nullptr)
            pAny = &folder;
    }
    // A window whose tabs all look hidden (minimised, say) still shows one of them: the shell's first.
    return pAny != nullptr ? pAny->strPath : std::string();
}
