// Folder tree rules: names, paths, folder listing and the drive filter.
#include "prefs/FolderTree.h"
#include "fw/MbcsText.h"

#include <algorithm>

namespace {
bool IsListedFolder(const WIN32_FIND_DATAA& data)
{
    // Drops "." and ".." and every other name that begins with a period.
    return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && data.cFileName[0] != '.';
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
    std::string upper = text;
    ::CharUpperBuffA(&upper[0], (DWORD)upper.size());
    if (upper != text)
        return text;
    // The first character may be two bytes in a multibyte code page.
    size_t firstLen = (size_t)(::CharNextA(text.c_str()) - text.c_str());
    std::string result = text;
    if (result.size() > firstLen)
        ::CharLowerBuffA(&result[firstLen], (DWORD)(result.size() - firstLen));
    return result;
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
    WIN32_FIND_DATAA data;
    HANDLE hFind = ::FindFirstFileA((folderPath + "\\*").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return;
    do {
        if (IsListedFolder(data))
            names.push_back({NormalizeCase(data.cFileName), data.cFileName});
    } while (::FindNextFileA(hFind, &data));
    ::FindClose(hFind);
}

BOOL HasSubfolders(const std::string& folderPath)
{
    CriticalErrorsQuiet quiet;
    WIN32_FIND_DATAA data;
    HANDLE hFind = ::FindFirstFileA((folderPath + "\\*").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return FALSE;
    BOOL found = FALSE;
    do {
        found = IsListedFolder(data);
    } while (!found && ::FindNextFileA(hFind, &data));
    ::FindClose(hFind);
    return found;
}

bool TreeOrderLess(const std::string& a, const std::string& b)
{
    // The control compares with the locale's word sort, case as the tie-break: "ab", "Ab", "b", "x-y" after "xy".
    return ::lstrcmpA(a.c_str(), b.c_str()) < 0;
}

void SortFolderNames(std::vector<FolderName>& names)
{
    std::stable_sort(names.begin(), names.end(),
                     [](const FolderName& a, const FolderName& b) { return TreeOrderLess(a.shown, b.shown); });
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
    return ::GetFileAttributesA(DriveQueryPath(driveText).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string DriveNotFoundMessage(const std::string& driveText)
{
    return "Drive " + driveText + " Not Found\n\nInstall media or\nHit Refresh Button to Refresh Tree";
}

std::string EntryNameForPath(const std::string& itemPath, UINT codePage)
{
    if (itemPath.size() + 1 == 3) // a drive root such as C:\ is named by its letter
        return std::string(1, itemPath[0]);
    // By character: a double-byte name may end in the byte of a backslash.
    size_t slash = MbcsFindLast(itemPath, '\\', codePage);
    if (slash == std::string::npos)
        return "X";
    return itemPath.substr(slash + 1);
}
