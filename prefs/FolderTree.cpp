// Folder tree rules: names, paths, folder listing and the drive filter.
#include "prefs/FolderTree.h"

#include <algorithm>

namespace {
bool IsListedFolder(const WIN32_FIND_DATAW& data)
{
    // Drops "." and ".." and every other name that begins with a period.
    return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && data.cFileName[0] != L'.';
}

// Keeps the system's "insert a disk" box away while an empty drive is asked about.
class CriticalErrorsQuiet {
public:
    CriticalErrorsQuiet() : m_uOldMode(::SetErrorMode(SEM_FAILCRITICALERRORS)) { ::SetErrorMode(m_uOldMode | SEM_FAILCRITICALERRORS); }
    ~CriticalErrorsQuiet() { ::SetErrorMode(m_uOldMode); }
    CriticalErrorsQuiet(const CriticalErrorsQuiet&) = delete;
    CriticalErrorsQuiet& operator=(const CriticalErrorsQuiet&) = delete;

private:
    UINT m_uOldMode;
};
}

std::string NormalizeCase(const std::string& text)
{
    if (text.empty())
        return text;
    const std::wstring wide = Utf8ToWide(text);
    std::wstring upper = wide;
    ::CharUpperBuffW(&upper[0], (DWORD)upper.size());
    if (upper != wide)
        return text;
    // The first character may be a surrogate pair.
    const size_t firstLen = wide.size() > 1 && wide[0] >= 0xD800 && wide[0] < 0xDC00 ? 2 : 1;
    std::wstring result = wide;
    if (result.size() > firstLen)
        ::CharLowerBuffW(&result[firstLen], (DWORD)(result.size() - firstLen));
    return WideToUtf8(result);
}

std::string JoinItemPath(const std::vector<std::string>& texts)
{
    std::string path;
    for (size_t i = 0; i < texts.size(); ++i) {
        if (i > 0)
            path += '\\';
        path += NormalizeCase(texts[i]);
    }
    return path;
}

void ListSubfolders(const std::string& folderPath, std::vector<FolderName>& names)
{
    CriticalErrorsQuiet quiet;
    WIN32_FIND_DATAW data;
    HANDLE hFind = ::FindFirstFileW(Utf8ToWide(folderPath + "\\*").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return;
    do {
        if (IsListedFolder(data)) {
            std::string name = WideToUtf8(data.cFileName);
            names.push_back({NormalizeCase(name), name});
        }
    } while (::FindNextFileW(hFind, &data));
    ::FindClose(hFind);
}

BOOL HasSubfolders(const std::string& folderPath)
{
    CriticalErrorsQuiet quiet;
    WIN32_FIND_DATAW data;
    HANDLE hFind = ::FindFirstFileW(Utf8ToWide(folderPath + "\\*").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return FALSE;
    BOOL found = FALSE;
    do {
        found = IsListedFolder(data);
    } while (!found && ::FindNextFileW(hFind, &data));
    ::FindClose(hFind);
    return found;
}

bool TreeOrderLess(const std::string& a, const std::string& b)
{
    // The control compares with the locale's word sort, case as the tie-break: "ab", "Ab", "b", "x-y" after "xy".
    return ::lstrcmpW(Utf8ToWide(a).c_str(), Utf8ToWide(b).c_str()) < 0;
}

void SortFolderNames(std::vector<FolderName>& names)
{
    // Each name converted once, not at every comparison.
    std::vector<std::pair<std::wstring, size_t>> keys;
    keys.reserve(names.size());
    for (size_t i = 0; i < names.size(); ++i)
        keys.emplace_back(Utf8ToWide(names[i].shown), i);
    std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) {
        return ::lstrcmpW(a.first.c_str(), b.first.c_str()) < 0;
    });
    std::vector<FolderName> sorted;
    sorted.reserve(names.size());
    for (const auto& key : keys)
        sorted.push_back(std::move(names[key.second]));
    names = std::move(sorted);
}

BOOL ShouldShowDrive(UINT nDriveType, BOOL bShowRemovable, BOOL bShowNetwork)
{
    switch (nDriveType) {
    case DRIVE_NO_ROOT_DIR:
        return FALSE;
    case DRIVE_REMOVABLE:
    case DRIVE_CDROM:
        return bShowRemovable != 0;
    case DRIVE_REMOTE:
        return bShowNetwork != 0;
    default:
        return TRUE; // unknown, fixed, RAM disk
    }
}

int DriveImage(UINT nDriveType)
{
    switch (nDriveType) {
    case DRIVE_FIXED:
        return kImageFixed;
    case DRIVE_REMOTE:
        return kImageNetwork;
    case DRIVE_CDROM:
        return kImageCdRom;
    default:
        return kImageRemovable;
    }
}

std::string DriveText(int nDrive)
{
    return std::string(1, (char)('A' + nDrive)) + ":";
}

std::string DriveQueryPath(const std::string& driveText)
{
    return driveText + "\\.";
}

BOOL DriveHasMedia(const std::string& driveText)
{
    CriticalErrorsQuiet quiet;
    return ::GetFileAttributesW(Utf8ToWide(DriveQueryPath(driveText)).c_str()) != INVALID_FILE_ATTRIBUTES;
}

BOOL IsFolderGone(const std::string& folderPath)
{
    if (folderPath.size() < 3 || folderPath[1] != ':' || (folderPath[2] != '\\' && folderPath[2] != '/'))
        return FALSE; // a UNC share (\\server\share), or no drive to ask: kept as it is
    const std::wstring root = Utf8ToWide(folderPath.substr(0, 3));
    switch (::GetDriveTypeW(root.c_str())) {
    case DRIVE_FIXED:
    case DRIVE_REMOVABLE:
    case DRIVE_CDROM:
    case DRIVE_RAMDISK:
        break;
    default:
        return FALSE; // a network drive, or a letter no drive has now
    }
    CriticalErrorsQuiet quiet;
    if (::GetFileAttributesW(root.c_str()) == INVALID_FILE_ATTRIBUTES)
        return FALSE; // the drive does not answer: no media, not ready
    DWORD attributes = ::GetFileAttributesW(Utf8ToWide(folderPath).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

std::string DriveNotFoundMessage(const std::string& driveText)
{
    return "Drive " + driveText + " Not Found\n\nInstall media or\nHit Refresh Button to Refresh Tree";
}

std::string EntryNameForPath(const std::string& itemPath)
{
    if (itemPath.size() + 1 == 3) // a drive root such as C:\ is named by its letter
        return std::string(1, itemPath[0]);
    size_t slash = itemPath.find_last_of('\\');
    if (slash == std::string::npos)
        return "X";
    return itemPath.substr(slash + 1);
}
