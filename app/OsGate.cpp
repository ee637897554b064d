// The operating-system gate and the recogniser's rule-set choice.
#include "app/OsGate.h"

BOOL QueryOsVersion(OSVERSIONINFOA& info)
{
    ZeroMemory(&info, sizeof(info));
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA); // 148 bytes, the record without service-pack fields
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    return ::GetVersionExA(&info);
#pragma GCC diagnostic pop
}

BOOL PassesOsGate(BOOL bQueried, const OSVERSIONINFOA& info)
{
    DWORD platform = bQueried ? info.dwPlatformId : 0;
    return platform == VER_PLATFORM_WIN32_NT;
}

OSClass OSClassFromVersion(const OSVERSIONINFOA& info)
{
    return info.dwMajorVersion <= 4 ? OSCLASS_NT4 : OSCLASS_WIN2000;
}
