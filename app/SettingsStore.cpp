// Which key holds the settings, how a user's own key gets its first contents, and a key-tree copy.
#include "app/SettingsStore.h"

#include <vector>

namespace {
const char kCompanyKey[] = "Larkfield Software\\";

HKEY OpenForReading(HKEY hive, const std::string& path, REGSAM samView)
{
    HKEY hKey = nullptr;
    return ::RegOpenKeyExW(hive, Utf8ToWide(path).c_str(), 0, KEY_READ | samView, &hKey) == ERROR_SUCCESS ? hKey
                                                                                                        : nullptr;
}

bool KeyExists(HKEY hive, const std::string& path, REGSAM samView)
{
    HKEY hKey = OpenForReading(hive, path, samView);
    if (hKey != nullptr)
        ::RegCloseKey(hKey);
    return hKey != nullptr;
}

// A user key that holds the settings: there, and not left half-filled by a start that was killed
// (still marked, or empty because it was killed before the mark).
bool CompleteUserKeyExists(const SettingsPlaces& places)
{
    HKEY hKey = OpenForReading(places.hUserHive, places.strUserPath, 0);
    if (hKey == nullptr)
        return false;
    DWORD nSubKeys = 0, nValues = 0;
    bool complete = ::RegQueryInfoKeyW(hKey, nullptr, nullptr, nullptr, &nSubKeys, nullptr, nullptr, &nValues, nullptr,
                                       nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                    (nSubKeys > 0 || nValues > 0) &&
                    ::RegQueryValueExW(hKey, kFillingValue, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS;
    ::RegCloseKey(hKey);
    return complete;
}

// Copies one tree into the user's key; false when a copy failed or was stopped.
bool CopyInto(HKEY hive, const std::string& path, REGSAM samView, HKEY hUserKey, const std::function<bool()>& fnStep)
{
    HKEY hSource = OpenForReading(hive, path, samView);
    if (hSource == nullptr)
        return true;
    BOOL ok = CopyKeyTree(hSource, hUserKey, samView, fnStep);
    ::RegCloseKey(hSource);
    return ok != FALSE;
}

// Gives the user's new key the settings this user saw until now: what a program without a manifest
// was shown, its virtualised values over the machine key's; else the first-run file.
SettingsSource FillNewUserKey(const SettingsPlaces& places, const CRegistryKey& store, HKEY hUserKey)
{
    const wchar_t one[] = L"1";
    ::RegSetValueExW(hUserKey, kFillingValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(one), sizeof(one));

    bool stopped = false;
    const std::function<bool()> step = [&]() {
        stopped = stopped || (places.fnFillStep && !places.fnFillStep());
        return !stopped;
    };
    SettingsSource source = SettingsSource::UserFromFile;
    bool ok = true;
    if (KeyExists(places.hMachineHive, places.strMachinePath, places.samMachineView)) {
        ok = CopyInto(places.hMachineHive, places.strMachinePath, places.samMachineView, hUserKey, step);
        source = SettingsSource::UserFromMachine;
    }
    for (const std::string& path : places.virtualCopies) {
        if (!stopped && KeyExists(places.hUserHive, path, 0)) {
            ok = CopyInto(places.hUserHive, path, 0, hUserKey, step) && ok;
            source = SettingsSource::UserFromVirtualCopy;
            break;
        }
    }
    if (source == SettingsSource::UserFromFile)
        store.ImportIniFile(hUserKey, places.strFirstRunFile);
    if (stopped)
        return source; // as a kill would leave it: still marked
    if (!ok)
        store.m_bWriteFailed = TRUE;
    ::RegDeleteValueW(hUserKey, kFillingValue);
    return source;
}

void PointAt(CRegistryKey& store, HKEY hive, const std::string& path, REGSAM samView)
{
    store.m_hRoot = hive;
    store.m_strKey = path;
    store.m_samView = samView;
}
}

SettingsSource ChooseSettingsStore(const SettingsPlaces& places, CRegistryKey& store)
{
    store.m_bReadOnly = FALSE;
    store.m_bWriteFailed = FALSE;
    HKEY hKey = nullptr;
    DWORD disposition = 0;

    // Once the user has a key of their own, their settings come from there, whatever the machine
    // key allows today (a start with elevation must not show other favourites).
    if (CompleteUserKeyExists(places)) {
        store.m_samView = 0;
        if (store.OpenRoot(&hKey, &disposition, places.hUserHive, places.strUserPath.c_str())) {
            ::RegCloseKey(hKey);
            return SettingsSource::User;
        }
        store.m_bReadOnly = TRUE;
        return SettingsSource::NowhereToSave;
    }

    // The machine key where it can be written: shared by all users, as it always was.
    store.m_samView = places.samMachineView;
    if (store.OpenRoot(&hKey, &disposition, places.hMachineHive, places.strMachinePath.c_str())) {
        const bool created = disposition == REG_CREATED_NEW_KEY;
        if (created)
            store.ImportIniFile(hKey, places.strFirstRunFile);
        ::RegCloseKey(hKey);
        return created ? SettingsSource::MachineCreated : SettingsSource::Machine;
    }

    // The machine key refuses writes (no administrator rights, or none in use): the user's own key,
    // filled when this start makes it.
    store.m_samView = 0;
    if (store.OpenRoot(&hKey, &disposition, places.hUserHive, places.strUserPath.c_str())) {
        // A key left half-filled by a start that was killed is filled again, over what it has.
        SettingsSource source = disposition == REG_CREATED_NEW_KEY || !CompleteUserKeyExists(places)
                                    ? FillNewUserKey(places, store, hKey)
                                    : SettingsSource::User;
        ::RegCloseKey(hKey);
        return source;
    }

    // Nowhere to save: show what the user saw before, and refuse every write.
    PointAt(store, places.hMachineHive, places.strMachinePath, places.samMachineView);
    for (const std::string& path : places.virtualCopies) {
        if (KeyExists(places.hUserHive, path, 0)) {
            PointAt(store, places.hUserHive, path, 0);
            break;
        }
    }
    store.m_bReadOnly = TRUE;
    return SettingsSource::NowhereToSave;
}

std::string SettingsRootPath(const std::string& appName)
{
    return std::string("Software\\") + kCompanyKey + appName;
}

SettingsPlaces DefaultSettingsPlaces(const std::string& appName)
{
    SettingsPlaces places;
    places.hMachineHive = HKEY_LOCAL_MACHINE;
    places.strMachinePath = SettingsRootPath(appName);
    places.samMachineView = MachineViewFlags(sizeof(void*) == 8, sizeof(void*) == 8 || RunningOnWow64());
    places.hUserHive = HKEY_CURRENT_USER;
    places.strUserPath = SettingsRootPath(appName);
    // Where Windows put the machine key's writes of a 32-bit program without a manifest: on 64-bit
    // Windows below WOW6432Node, on 32-bit Windows without it.
    const std::string virtualStore = "Software\\Classes\\VirtualStore\\MACHINE\\SOFTWARE\\";
    places.virtualCopies = {virtualStore + "WOW6432Node\\" + kCompanyKey + appName,
                            virtualStore + kCompanyKey + appName};
    places.strFirstRunFile = FirstRunFilePath(appName);
    return places;
}

REGSAM MachineViewFlags(bool b64BitProgram, bool bOn64BitWindows)
{
    return (b64BitProgram || bOn64BitWindows) ? KEY_WOW64_32KEY : 0;
}

bool RunningOnWow64()
{
    return RunningOnWow64(AfxGetSystemProc<IsWow64ProcessFn>("kernel32.dll", "IsWow64Process"));
}

bool RunningOnWow64(IsWow64ProcessFn pfnIsWow64)
{
    BOOL bWow64 = FALSE;
    return pfnIsWow64 != nullptr && pfnIsWow64(::GetCurrentProcess(), &bWow64) && bWow64;
}

BOOL CopyKeyTree(HKEY hSource, HKEY hDest, REGSAM samSourceView, const std::function<bool()>& fnStep)
{
    DWORD nSubKeys = 0, maxSubKeyLen = 0, nValues = 0, maxNameLen = 0, maxDataLen = 0;
    if (::RegQueryInfoKeyW(hSource, nullptr, nullptr, nullptr, &nSubKeys, &maxSubKeyLen, nullptr, &nValues,
                           &maxNameLen, &maxDataLen, nullptr, nullptr) != ERROR_SUCCESS)
        return FALSE;
    BOOL ok = TRUE;
    std::vector<wchar_t> name((maxNameLen > maxSubKeyLen ? maxNameLen : maxSubKeyLen) + 1);
    std::vector<BYTE> data(maxDataLen + 1);
    for (DWORD i = 0; i < nValues; ++i) {
        if (fnStep && !fnStep())
            return FALSE;
        DWORD nameLen = (DWORD)name.size(), dataLen = (DWORD)data.size(), type = 0;
        if (::RegEnumValueW(hSource, i, name.data(), &nameLen, nullptr, &type, data.data(), &dataLen) !=
                ERROR_SUCCESS ||
            ::RegSetValueExW(hDest, name.data(), 0, type, data.data(), dataLen) != ERROR_SUCCESS)
            ok = FALSE;
    }
    for (DWORD i = 0; i < nSubKeys; ++i) {
        DWORD nameLen = (DWORD)name.size();
        if (::RegEnumKeyExW(hSource, i, name.data(), &nameLen, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            ok = FALSE;
            continue;
        }
        HKEY hFrom = nullptr, hTo = nullptr;
        if (::RegOpenKeyExW(hSource, name.data(), 0, KEY_READ | samSourceView, &hFrom) != ERROR_SUCCESS) {
            ok = FALSE;
            continue;
        }
        if (::RegCreateKeyExW(hDest, name.data(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE | KEY_READ, nullptr,
                              &hTo, nullptr) == ERROR_SUCCESS) {
            BOOL copied = CopyKeyTree(hFrom, hTo, samSourceView, fnStep);
            ok = copied && ok;
            ::RegCloseKey(hTo);
            if (!copied && fnStep && !fnStep()) {
                ::RegCloseKey(hFrom);
                return FALSE;
            }
        } else {
            ok = FALSE;
        }
        ::RegCloseKey(hFrom);
    }
    return ok;
}
