// What a file-name field holds, told apart as a pick needs it: a folder part the pick replaces and
// a name part it keeps; and the texts a pick makes of it.
#pragma once

#include "watcher/DialogField.h"

#include <string>

enum class FieldForm {
    Empty,   // nothing typed
    Name,    // a name, under a folder part or not
    Quoted,  // one name in double quotes, which the dialog takes as it is (no extension added)
    List,    // several names in double quotes: the selection of an open dialog
    Pattern, // a wildcard pattern, which the dialog applies to its list
};

struct FieldText {
    FieldForm form = FieldForm::Empty;
    // The folder part as typed, up to and with its last separator ('\' or '/', or a drive's colon);
    // empty when the text names no folder.
    std::string strFolder;
    // That part names a place of its own (a drive, a share, the root), not one below the dialog's folder.
    bool bAbsolute = false;
    // The rest, exactly as typed: the name (without its quotes), the pattern, or the whole list.
    std::string strName;
};

// Splits the text; any script, any length.
FieldText SplitFieldText(const std::string& text);

// What a pick that only writes text puts into the field: the folder (with its backslash) in place of
// an absolute folder part, a relative one kept below it. A save dialog also gets the name, "untitled"
// when there is none, inside the quotes it was typed in; an open dialog gets only a pattern, and a
// list of names (which cannot follow one folder) leaves just the folder.
std::string FilledText(const std::string& folder, const FieldText& field, DialogPurpose purpose);

// What goes back into the field once the dialog shows the folder: what was typed, less an absolute
// folder part.
std::string KeptText(const FieldText& field);
