// One running copy: a named mutex that lives as long as the process holds it.
#include "app/InstanceGuard.h"

CInstanceGuard::~CInstanceGuard()
{
    if (m_hMutex != nullptr)
        ::CloseHandle(m_hMutex);
}

BOOL CInstanceGuard::Claim(const char* pszName)
{
    if (m_hMutex != nullptr)
        return TRUE;
    HANDLE hMutex = ::CreateMutexA(nullptr, FALSE, pszName);
    if (hMutex != nullptr && ::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(hMutex);
        return FALSE;
    }
    m_hMutex = hMutex;
    return TRUE;
}
