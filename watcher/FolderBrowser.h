// Showing a folder in the tree of the platform's Browse for Folder dialog, as the dialog's own
// BFFM_SETSELECTION does; the user then presses OK.
#pragma once

#include "watcher/PasteFailure.h"

#include <windows.h>

#include <string>

// Makes the dialog's tree show the folder: expanded down to it, selected and scrolled into view (its
// edit box, where it has one, follows the selection). Every send is bounded as the paste's are.
// None; NotInTree when the tree shows some other item afterwards (outside its root, or not listed);
// NoAnswer when the dialog did not answer; NotTaken when the text could not be put into its process.
PasteFailure ShowFolderInTree(HWND hDialog, HWND hTree, const std::string& folder);

// The text the dialog parses for BFFM_SETSELECTION: the folder without its last backslash, except
// for a drive's root, which needs it.
std::string TreeSelectionText(const std::string& folder);
// The folder that holds it, in the same form; empty for a drive's root.
std::string ParentFolder(const std::string& folder);
