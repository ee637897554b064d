// What the end-to-end tests wait with: the condition, asked every 20 ms, up to a limit.
#pragma once

#include <windows.h>

#include <functional>

inline bool WaitUntil(const std::function<bool()>& done, DWORD limit = 15000)
{
    for (DWORD start = ::GetTickCount(); !done(); ::Sleep(20)) {
        if (::GetTickCount() - start > limit)
            return false;
    }
    return true;
}
