// The Recent folder's shortcuts, newest first, read on a worker thread.
#include "watcher/RecentFolders.h"
#include "fw/Com.h"
#include "fw/BoundedWork.h"
#include "fw/TextConv.h"
#include "watcher/FolderCheck.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <map>
#include <memory>

namespace {

// From the platform's documentation; defined here so that no GUID library is linked.
const CLSID kClsidShellLink = {0x00021401, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// A shortcut file's header keeps its target's attributes at this offset.
constexpr DWORD kLinkAttributesOffset = 0x18;

volatile LONG g_nReadsUnderWay = 0;


std::wstring PlatformRecentFolder()
{
    LPITEMIDLIST pidl = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(nullptr, CSIDL_RECENT, &pidl)) || pidl == nullptr)
        return std::wstring();
    wchar_t szPath[MAX_PATH] = {};
    const BOOL bPath = ::SHGetPathFromIDListW(pidl, szPath);
    AfxCoTaskMemFree(pidl);
    return bPath ? std::wstring(szPath) : std::wstring();
}

// The attributes the shortcut's header keeps for its target, or 0.
DWORD StoredAttributes(const std::wstring& linkPath)
{
    HANDLE hFile = ::CreateFileW(linkPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return 0;
    BYTE header[kLinkAttributesOffset + 4] = {};
    DWORD dwRead = 0;
    const BOOL bRead = ::ReadFile(hFile, header, sizeof(header), &dwRead, nullptr) && dwRead == sizeof(header);
    ::CloseHandle(hFile);
    if (!bRead)
        return 0;
    DWORD dwAttributes = 0;
    ::CopyMemory(&dwAttributes, header + kLinkAttributesOffset, sizeof(dwAttributes));
    return dwAttributes;
}

// The target as the shortcut stores it, never resolved (only Resolve searches for a moved one): from
// its item list, which keeps every name whole, else from its path (which some shells keep only in
// the ANSI code page); empty for neither.
std::wstring TargetOf(IShellLinkW* pLink)
{
    LPITEMIDLIST pidl = nullptr;
    if (SUCCEEDED(pLink->GetIDList(&pidl)) && pidl != nullptr) {
        wchar_t szPath[MAX_PATH] = {};
        const BOOL bPath = ::SHGetPathFromIDListW(pidl, szPath);
        AfxCoTaskMemFree(pidl);
        if (bPath && szPath[0] != L'\0')
            return szPath;
    }
    // Longer than the item list's path can be told here.
    std::wstring target(32768, L'\0');
    if (pLink->GetPath(&target[0], (int)target.size(), nullptr, 0) != S_OK)
        return std::wstring();
    target.resize(::lstrlenW(target.c_str()));
    return target;
}

// What one shortcut named when it was read.
struct LinkTarget {
    FILETIME ftWritten;
    std::wstring path;
    DWORD dwStored;
};

// The shortcuts read so far, by path and last write; a read that meets one unchanged need not open
// it. Shared by the reads, one at a time; at most as many as a Recent folder holds.
class CTargetCache {
public:
    CTargetCache() { ::InitializeCriticalSection(&m_lock); }
    ~CTargetCache() { ::DeleteCriticalSection(&m_lock); }
    bool Find(const std::wstring& linkPath, const FILETIME& ftWritten, LinkTarget& target)
    {
        ::EnterCriticalSection(&m_lock);
        auto it = m_targets.find(linkPath);
        const bool bFound = it != m_targets.end() && ::CompareFileTime(&it->second.ftWritten, &ftWritten) == 0;
        if (bFound)
            target = it->second;
        ::LeaveCriticalSection(&m_lock);
        return bFound;
    }
    void Keep(const std::wstring& linkPath, const LinkTarget& target)
    {
        ::EnterCriticalSection(&m_lock);
        if (m_targets.size() >= kMaxKept)
            m_targets.clear(); // a folder of more shortcuts than a user keeps: begin again
        m_targets[linkPath] = target;
        ::LeaveCriticalSection(&m_lock);
    }

private:
    static constexpr size_t kMaxKept = 4096;
    CRITICAL_SECTION m_lock;
    std::map<std::wstring, LinkTarget> m_targets;
};

CTargetCache g_targets;

struct LinkFile {
    FILETIME ftWritten;
    std::wstring name;
};

// The read on its own thread; what it found by the end of the wait is taken, and nothing after.
class CRecentRead : public CBoundedWork {
public:
    CRecentRead(std::wstring folder, std::vector<std::string> listedAbove, int nMax)
        : m_folder(std::move(folder)), m_nMax(nMax)
    {
        for (const std::string& listed : listedAbove)
            m_keys.push_back(FolderKey(listed));
        ::InitializeCriticalSection(&m_lock);
    }

    std::vector<std::string> ReadFor(DWORD dwTimeout)
    {
        RunFor(dwTimeout);
        ::EnterCriticalSection(&m_lock);
        m_bAbandoned = true;
        std::vector<std::string> found = m_found;
        ::LeaveCriticalSection(&m_lock);
        return found;
    }

protected:
    ~CRecentRead() override { ::DeleteCriticalSection(&m_lock); }
    // Under way while the reader reads: one held by a slow disk keeps the next menus from starting
    // another.
    void Run() override
    {
        ::InterlockedIncrement(&g_nReadsUnderWay);
        Read();
        ::InterlockedDecrement(&g_nReadsUnderWay);
    }

private:
    void Read()
    {
        if (m_folder.empty())
            m_folder = PlatformRecentFolder();
        if (m_folder.empty())
            return;
        if (m_folder.back() != L'\\')
            m_folder += L'\\';
        // Listing the names is cheap even for thousands; only the newest are opened.
        std::vector<LinkFile> links;
        WIN32_FIND_DATAW data;
        HANDLE hFind = ::FindFirstFileW((m_folder + L"*.lnk").c_str(), &data);
        if (hFind == INVALID_HANDLE_VALUE)
            return;
        do {
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
                links.push_back({data.ftLastWriteTime, data.cFileName});
        } while (::FindNextFileW(hFind, &data));
        ::FindClose(hFind);
        std::stable_sort(links.begin(), links.end(), [](const LinkFile& a, const LinkFile& b) {
            return ::CompareFileTime(&a.ftWritten, &b.ftWritten) > 0;
        });

        // A shortcut is opened only when it is new or was written since it was last read: a menu
        // opened again reads none. A shortcut object lives in the apartment of this thread, which
        // needs no message loop for it.
        std::unique_ptr<CComScope> com;
        CComRef<IShellLinkW> link;
        CComRef<IPersistFile> file;
        for (const LinkFile& entry : links) {
            if (Abandoned() || Count() >= m_nMax)
                break;
            const std::wstring linkPath = m_folder + entry.name;
            LinkTarget target;
            if (!g_targets.Find(linkPath, entry.ftWritten, target)) {
                if (com == nullptr) {
                    com = std::make_unique<CComScope>(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
                    if (!com->Ok() ||
                        FAILED(AfxCoCreateInstance(kClsidShellLink, __uuidof(IShellLinkW), link.OutVoid())) ||
                        FAILED(link->QueryInterface(__uuidof(IPersistFile), file.OutVoid())))
                        break;
                }
                if (FAILED(file->Load(linkPath.c_str(), STGM_READ)))
                    continue;
                target = {entry.ftWritten, TargetOf(link.Get()), StoredAttributes(linkPath)};
                g_targets.Keep(linkPath, target);
            }
            if (!target.path.empty())
                Consider(target.path, target.dwStored);
        }
        // Released before the apartment ends.
        file.Reset();
        link.Reset();
    }

    void Consider(const std::wstring& target, DWORD dwStored)
    {
        DWORD dwAttributes = dwStored;
        if (OnLocalFixedDisk(target)) {
            // A local target is asked for what it is now; a folder that is gone is no place to go.
            dwAttributes = ::GetFileAttributesW(target.c_str());
            if (dwAttributes == INVALID_FILE_ATTRIBUTES) {
                // Gone: only a file the shortcut knows as one still leaves its folder to go to.
                if (dwStored == 0 || (dwStored & FILE_ATTRIBUTE_DIRECTORY) != 0)
                    return;
                const std::string folder = RecentItemFolder(WideToUtf8(target), dwStored);
                if (folder.empty() || ::GetFileAttributesW(Utf8ToWide(folder).c_str()) == INVALID_FILE_ATTRIBUTES)
                    return;
                dwAttributes = dwStored;
            }
        }
        const std::string folder = RecentItemFolder(WideToUtf8(target), dwAttributes);
        if (folder.empty())
            return;
        const std::string key = FolderKey(folder);
        if (std::find(m_keys.begin(), m_keys.end(), key) != m_keys.end())
            return;
        m_keys.push_back(key);
        ::EnterCriticalSection(&m_lock);
        if (!m_bAbandoned)
            m_found.push_back(folder);
        ::LeaveCriticalSection(&m_lock);
    }

    bool Abandoned()
    {
        ::EnterCriticalSection(&m_lock);
        const bool bAbandoned = m_bAbandoned;
        ::LeaveCriticalSection(&m_lock);
        return bAbandoned;
    }
    int Count()
    {
        ::EnterCriticalSection(&m_lock);
        const int n = (int)m_found.size();
        ::LeaveCriticalSection(&m_lock);
        return n;
    }

    std::wstring m_folder;
    const int m_nMax;
    std::vector<std::string> m_keys; // the reader's only
    CRITICAL_SECTION m_lock;
    // Under m_lock.
    bool m_bAbandoned = false;
    std::vector<std::string> m_found;
};

} // namespace

std::string RecentItemFolder(const std::string& target, DWORD dwAttributes)
{
    // Only a path the file system knows: a drive's or a share's.
    const bool bDrive = target.size() >= 3 && target[1] == ':' && target[2] == '\\';
    const bool bShare = target.size() > 2 && target[0] == '\\' && target[1] == '\\' && target[2] != '?';
    if (!bDrive && !bShare)
        return std::string();
    std::string folder = target;
    if ((dwAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        const size_t nSlash = folder.find_last_of('\\');
        // A file right in a share's name ("\\server\x") has no folder to go to.
        if (nSlash == std::string::npos || (bShare && folder.find('\\', 2) >= nSlash))
            return std::string();
        folder.erase(nSlash + 1);
    }
    if (folder.back() != '\\')
        folder += '\\';
    return folder;
}

std::vector<std::string> ReadRecentFolders(const std::vector<std::string>& listedAbove, int nMax, DWORD dwTimeout,
                                           const std::wstring& recentFolder)
{
    if (nMax <= 0 || ::InterlockedCompareExchange(&g_nReadsUnderWay, 0, 0) != 0)
        return {};
    auto* pRead = new CRecentRead(recentFolder, listedAbove, nMax);
    std::vector<std::string> found = pRead->ReadFor(dwTimeout);
    pRead->Release();
    return found;
}
