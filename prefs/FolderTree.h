// Rules of the folder tree that need no window: the case rule, node paths, folder listing, drive filter.
#pragma once

#include "fw/Afx.h"

#include <string>
#include <vector>

// Record attached to each drive and folder node of the tree; freed by the page's ReleaseTree.
struct TreeItemData {
    int bDrive = 0;       // 1 for a drive node
    int bPlaceholder = 0; // 1 while the node's first child is its "Phony" placeholder
    int nDriveType = 0;   // GetDriveTypeW code of a drive node, 0 for a folder
};

// Image indexes in the watcher view's image list.
enum TreeImage {
    kImageRemovable = 0,
    kImageFixed = 1,
    kImageNetwork = 2,
    kImageCdRom = 3,
    kImageDesktop = 4,
    kImageFolderClosed = 5,
    kImageFolderOpen = 6,
};

// A name with no lower-case letter keeps its first character and lowers the rest (WINDOWS -> Windows);
// any other name is left as it is.
std::string NormalizeCase(const std::string& text);

// Node texts from the drive down, each through NormalizeCase, joined by single backslashes.
std::string JoinItemPath(const std::vector<std::string>& texts);

// A listed folder: its name as the tree shows it (after NormalizeCase) and as the file system spells it.
// Probing a child by the disk spelling spares a file system that matches names case-insensitively a
// search of the whole folder per child.
struct FolderName {
    std::string shown;
    std::string onDisk;
};

// The folders in a folder, in the order the search returns them. Names beginning with a period are
// left out; hidden and system folders are kept. An unreadable or missing folder gives no names.
void ListSubfolders(const std::string& folderPath, std::vector<FolderName>& names);
// Whether a folder holds at least one folder ListSubfolders would list; stops at the first.
BOOL HasSubfolders(const std::string& folderPath);

// The order of the tree control's own sorted insertion (TVI_SORT).
bool TreeOrderLess(const std::string& a, const std::string& b);
// Orders folders by their shown names as the tree control's sorted insertion does; equal names keep
// their order.
void SortFolderNames(std::vector<FolderName>& names);

// Whether a drive of this type is shown under the two check boxes.
BOOL ShouldShowDrive(UINT nDriveType, BOOL bShowRemovable, BOOL bShowNetwork);
int DriveImage(UINT nDriveType);
// "C:" for drive index 2, and "C:\." for asking about it.
std::string DriveText(int nDrive);
std::string DriveQueryPath(const std::string& driveText);
// Whether a drive can be read now (a removable or CD-ROM drive holds media).
BOOL DriveHasMedia(const std::string& driveText);
std::string DriveNotFoundMessage(const std::string& driveText);

// Whether OK drops a favourite's folder: only one that is gone from a drive that answers. A folder on a
// network drive or a UNC share, or on a drive that is absent or not ready (a stick unplugged, a CD
// drive without media), is kept without being looked at: the network could hold the program for its
// time-out.
BOOL IsFolderGone(const std::string& folderPath);

// The longest folder path, backslash included, a favourite takes: what the platform's file calls take.
constexpr size_t kFolderPathMax = MAX_PATH - 1;

// The display name a new row gets from the tree path of its folder (no trailing backslash):
// the drive letter for a drive, otherwise the last name of the path, "X" when there is none.
std::string EntryNameForPath(const std::string& itemPath);
