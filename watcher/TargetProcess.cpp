// Integrity levels and program names of other processes, through calls looked up at run time:
// the token calls and the image-name call do not exist on every system the program loads on.
#include "watcher/TargetProcess.h"
#include "fw/Afx.h"
#include "fw/TextConv.h"

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

bool RunsHigher(BOOL bOwnKnown, DWORD dwOwnLevel, BOOL bTargetKnown, DWORD dwTargetLevel)
{
    // A token we may not read belongs as often to a program of another user at our own level: the
    // send is tried then, and a send the system blocks tells the truth.
    return bOwnKnown && bTargetKnown && dwTargetLevel > dwOwnLevel;
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

CForeignText::CForeignText(HWND hWnd, const std::string& text)
{
    DWORD dwProcessId = 0;
    if (::GetWindowThreadProcessId(hWnd, &dwProcessId) == 0)
        return;
    m_hProcess = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, dwProcessId);
    if (m_hProcess == nullptr)
        return;
    const std::wstring wide = Utf8ToWide(text);
    const SIZE_T cb = (wide.size() + 1) * sizeof(wchar_t);
    m_pRemote = ::VirtualAllocEx(m_hProcess, nullptr, cb, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    SIZE_T cbDone = 0;
    if (m_pRemote != nullptr && (!::WriteProcessMemory(m_hProcess, m_pRemote, wide.c_str(), cb, &cbDone) || cbDone != cb)) {
        ::VirtualFreeEx(m_hProcess, m_pRemote, 0, MEM_RELEASE);
        m_pRemote = nullptr;
    }
}

CForeignText::~CForeignText()
{
    if (m_pRemote != nullptr)
        ::VirtualFreeEx(m_hProcess, m_pRemote, 0, MEM_RELEASE);
    if (m_hProcess != nullptr)
        ::CloseHandle(m_hProcess);
}
