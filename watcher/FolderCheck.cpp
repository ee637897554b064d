// The bounded check of a folder.
#include "watcher/FolderCheck.h"
#include "fw/NestedLoop.h"
#include "fw/TextConv.h"

namespace {

// The form that reaches past MAX_PATH: "\\?\C:\..." or "\\?\UNC\server\share\...".
std::wstring LongForm(const std::wstring& path)
{
    if (path.size() < MAX_PATH || path.compare(0, 4, L"\\\\?\\") == 0)
        return path;
    if (path.compare(0, 2, L"\\\\") == 0)
        return L"\\\\?\\UNC\\" + path.substr(2);
    return L"\\\\?\\" + path;
}

bool IsFolder(const std::wstring& path)
{
    const DWORD dwAttributes = ::GetFileAttributesW(path.c_str());
    return dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool OnFixedDisk(const std::wstring& path)
{
    if (path.size() < 3 || path[1] != L':' || path[2] != L'\\')
        return false; // a share, or a name the system would resolve some other way
    const wchar_t szRoot[] = {path[0], L':', L'\\', L'\0'};
    return ::GetDriveTypeW(szRoot) == DRIVE_FIXED;
}

// Shared by the asking thread and the one that waits: whoever lets go last frees it.
struct Check {
    std::wstring path;
    HANDLE hDone = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    volatile LONG bFolder = 0;
    LONG nRefs = 2;

    ~Check()
    {
        if (hDone != nullptr)
            ::CloseHandle(hDone);
    }
    void Release()
    {
        if (::InterlockedDecrement(&nRefs) == 0)
            delete this;
    }
    static DWORD WINAPI Run(LPVOID pParam)
    {
        Check* pCheck = static_cast<Check*>(pParam);
        ::InterlockedExchange(&pCheck->bFolder, IsFolder(pCheck->path) ? 1 : 0);
        ::SetEvent(pCheck->hDone);
        pCheck->Release();
        return 0;
    }
};

} // namespace

BOOL FolderReachable(const std::string& folder, DWORD dwTimeout)
{
    const std::wstring path = LongForm(Utf8ToWide(folder));
    if (path.empty())
        return FALSE;
    if (OnFixedDisk(path))
        return IsFolder(path);
    Check* pCheck = new Check;
    pCheck->path = path;
    HANDLE hThread = pCheck->hDone != nullptr ? ::CreateThread(nullptr, 0, &Check::Run, pCheck, 0, nullptr) : nullptr;
    if (hThread == nullptr) {
        delete pCheck;
        return FALSE;
    }
    ::CloseHandle(hThread); // it ends on its own once the system answers
    const BOOL bAnswered = AfxWaitAnswering(pCheck->hDone, dwTimeout);
    const BOOL bFolder = bAnswered && ::InterlockedCompareExchange(&pCheck->bFolder, 0, 0) != 0;
    pCheck->Release();
    return bFolder;
}
