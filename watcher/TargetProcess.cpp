// Integrity levels and program names of other processes, through calls looked up at run time:
// the token calls and the image-name call do not exist on every system the program loads on.
#include "watcher/TargetProcess.h"
#include "fw/Afx.h"

namespace {

constexpr DWORD kQueryLimitedInformation = 0x1000; // PROCESS_QUERY_LIMITED_INFORMATION, Vista and later
constexpr int kTokenIntegrityLevel = 25;           // TOKEN_INFORMATION_CLASS value, Vista and later

struct MandatoryLabel { // TOKEN_MANDATORY_LABEL
    SID_AND_ATTRIBUTES Label;
};

using OpenProcessTokenFn = BOOL(WINAPI*)(HANDLE, DWORD, PHANDLE);
using GetTokenInformationFn = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD, PDWORD);
using GetSidSubAuthorityCountFn = PUCHAR(WINAPI*)(PSID);
using GetSidSubAuthorityFn = PDWORD(WINAPI*)(PSID, DWORD);
using QueryFullProcessImageNameFn = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, PDWORD);

// Owns a kernel handle for one scope.
class ScopedHandle {
public:
    explicit ScopedHandle(HANDLE h = nullptr) : m_h(h) {}
    ~ScopedHandle()
    {
        if (m_h != nullptr)
            ::CloseHandle(m_h);
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    HANDLE* Out() { return &m_h; }
    HANDLE Get() const { return m_h; }

private:
    HANDLE m_h;
};

HANDLE OpenForQuery(DWORD dwProcessId)
{
    HANDLE hProcess = ::OpenProcess(kQueryLimitedInformation, FALSE, dwProcessId);
    if (hProcess == nullptr) // systems before Vista know only the full right
        hProcess = ::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, dwProcessId);
    return hProcess;
}

} // namespace

BOOL ReadIntegrityLevel(HWND hWnd, DWORD* pdwLevel)
{
    DWORD dwProcessId = ::GetCurrentProcessId();
    if (hWnd != nullptr && ::GetWindowThreadProcessId(hWnd, &dwProcessId) == 0) {
        ::SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    auto pfnOpenToken = AfxGetSystemProc<OpenProcessTokenFn>("advapi32.dll", "OpenProcessToken");
    auto pfnGetInfo = AfxGetSystemProc<GetTokenInformationFn>("advapi32.dll", "GetTokenInformation");
    auto pfnSubCount = AfxGetSystemProc<GetSidSubAuthorityCountFn>("advapi32.dll", "GetSidSubAuthorityCount");
    auto pfnSub = AfxGetSystemProc<GetSidSubAuthorityFn>("advapi32.dll", "GetSidSubAuthority");
    if (pfnOpenToken == nullptr || pfnGetInfo == nullptr || pfnSubCount == nullptr || pfnSub == nullptr) {
        ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return FALSE;
    }

    ScopedHandle process(dwProcessId == ::GetCurrentProcessId() ? nullptr : OpenForQuery(dwProcessId));
    HANDLE hProcess = dwProcessId == ::GetCurrentProcessId() ? ::GetCurrentProcess() : process.Get();
    if (hProcess == nullptr)
        return FALSE; // OpenProcess left its reason
    ScopedHandle token;
    if (!pfnOpenToken(hProcess, TOKEN_QUERY, token.Out()))
        return FALSE;
    union {
        MandatoryLabel label;
        BYTE bytes[128];
    } info = {};
    DWORD cbNeeded = 0;
    if (!pfnGetInfo(token.Get(), kTokenIntegrityLevel, &info, sizeof(info), &cbNeeded)) {
        ::SetLastError(ERROR_NOT_SUPPORTED); // a system without integrity levels
        return FALSE;
    }
    PSID pSid = info.label.Label.Sid;
    UCHAR count = *pfnSubCount(pSid);
    if (count == 0) {
        ::SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    *pdwLevel = *pfnSub(pSid, count - 1);
    return TRUE;
}

bool RunsHigher(BOOL bOwnKnown, DWORD dwOwnLevel, BOOL bTargetKnown, DWORD dwTargetLevel, bool bTargetDenied)
{
    if (!bOwnKnown)
        return false; // no levels on this system
    return bTargetKnown ? dwTargetLevel > dwOwnLevel : bTargetDenied;
}

std::string ProgramNameOf(HWND hWnd)
{
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(hWnd, &dwProcessId);
    auto pfnImageName = AfxGetSystemProc<QueryFullProcessImageNameFn>("kernel32.dll", "QueryFullProcessImageNameW");
    if (pfnImageName != nullptr && dwProcessId != 0) {
        ScopedHandle process(OpenForQuery(dwProcessId));
        wchar_t szImage[MAX_PATH] = {};
        DWORD cch = MAX_PATH;
        if (process.Get() != nullptr && pfnImageName(process.Get(), 0, szImage, &cch) && cch > 0) {
            std::string image = WideToUtf8(std::wstring_view(szImage, cch));
            size_t slash = image.find_last_of('\\');
            return slash == std::string::npos ? image : image.substr(slash + 1);
        }
    }
    HWND hOwner = ::GetWindow(hWnd, GW_OWNER);
    std::string title = hOwner != nullptr ? AfxGetWindowText(hOwner) : std::string();
    if (!title.empty())
        return title;
    return "the other program";
}
