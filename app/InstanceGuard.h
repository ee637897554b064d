// Keeps the program to one running copy per session.
#pragma once

#include <windows.h>

class CInstanceGuard {
public:
    CInstanceGuard() = default;
    ~CInstanceGuard();
    CInstanceGuard(const CInstanceGuard&) = delete;
    CInstanceGuard& operator=(const CInstanceGuard&) = delete;

    // FALSE when another process already holds the name; otherwise the name is held until this object
    // goes. A name that cannot be made at all does not stop the start.
    BOOL Claim(const char* pszName);

private:
    HANDLE m_hMutex = nullptr;
};
