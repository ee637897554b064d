#include "tests/support/Shortcuts.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

BOOL MakeShortcut(const std::wstring& linkPath, const std::wstring& target, DWORD dwAttributes, int nAgeMinutes)
{
    const HRESULT hrInit = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const CLSID kClsidShellLink = {0x00021401, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
    IShellLinkW* pLink = nullptr;
    IPersistFile* pFile = nullptr;
    BOOL bMade = SUCCEEDED(::CoCreateInstance(kClsidShellLink, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IShellLinkW),
                                              (void**)&pLink)) &&
                 SUCCEEDED(pLink->SetPath(target.c_str())) &&
                 SUCCEEDED(pLink->QueryInterface(__uuidof(IPersistFile), (void**)&pFile)) &&
                 SUCCEEDED(pFile->Save(linkPath.c_str(), TRUE));
    if (pFile != nullptr)
        pFile->Release();
    if (pLink != nullptr)
        pLink->Release();
    if (SUCCEEDED(hrInit))
        ::CoUninitialize();
    if (!bMade)
        return FALSE;
    HANDLE hFile = ::CreateFileW(linkPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return FALSE;
    if (dwAttributes != 0) {
        // The header's FileAttributes field, at 0x18.
        DWORD dwWritten = 0;
        ::SetFilePointer(hFile, 0x18, nullptr, FILE_BEGIN);
        bMade = ::WriteFile(hFile, &dwAttributes, sizeof(dwAttributes), &dwWritten, nullptr) && dwWritten == 4;
    }
    FILETIME ft;
    ::GetSystemTimeAsFileTime(&ft);
    ULARGE_INTEGER when = {{ft.dwLowDateTime, ft.dwHighDateTime}};
    when.QuadPart -= (ULONGLONG)nAgeMinutes * 60 * 10000000ULL;
    ft = {when.LowPart, when.HighPart};
    bMade = bMade && ::SetFileTime(hFile, nullptr, nullptr, &ft);
    ::CloseHandle(hFile);
    return bMade;
}

std::wstring RecentFolderPath()
{
    wchar_t szPath[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_RECENT | CSIDL_FLAG_CREATE, nullptr, 0, szPath)))
        return std::wstring();
    std::wstring path = szPath;
    if (!path.empty() && path.back() != L'\\')
        path += L'\\';
    return path;
}
