// What the user is told when a recognised save dialog could not be filled in, and the clipboard copy.
#pragma once

#include <windows.h>

#include <string>

enum class PasteFailure {
    None,
    RunsHigher, // the dialog's process runs at a higher integrity level: its field is out of reach
    NoField,    // no file-name field found in the dialog
    NoAnswer,   // the field did not answer the read
    NotTaken,   // the write did not answer, or the field does not hold the text afterwards
    NoFolder,   // the picked folder does not exist or did not answer: nothing is sent
    NotInTree,  // a folder browser's tree cannot show the folder (outside its root, or not listed)
};

// The message for one failure. path is what went to the clipboard (or could not); for NoFolder, the folder.
std::string PasteFailureText(PasteFailure why, const std::string& program, const std::string& path, bool bOnClipboard);

// Replaces the clipboard's contents with the text (CF_TEXT); FALSE when the clipboard is not available.
BOOL PutTextOnClipboard(HWND hOwner, const std::string& text);
