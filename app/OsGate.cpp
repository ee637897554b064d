// The operating-system gate and the recogniser's rule-set choice.
#include "app/OsGate.h"

BOOL QueryOsVersion(OSVERSIONINFOW& info)
{
    ZeroMemory(&info, sizeof(info));
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW); // the record without service-pack fields, which NT 4.0 takes
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    return ::GetVersionExW(&info);
#pragma GCC diagnostic pop
}

BOOL PassesOsGate(BOOL bQueried, const OSVERSIONINFOW& info)
{
    DWORD platform = bQueried ? info.dwPlatformId : 0;
    return platform == VER_PLATFORM_WIN32_NT;
}

OSClass OSClassFromVersion(const OSVERSIONINFOW& info)
{
    return info.dwMajorVersion <= 4 ? OSCLASS_NT4 : OSCLASS_WIN2000;
}
