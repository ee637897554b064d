// The kinds of file dialog the program fills in, one row each: how the kind is recognised, where
// its file-name field lives and how text goes into it; and finding that field in a live dialog.
#pragma once

#include "app/OsGate.h"

#include <windows.h>

#include <string_view>

// The combo box's own edit carries this id; it is the field of the item dialog of Windows Vista to 11.
constexpr int kCtrlItemEdit = 1001;

// What makes a top-level window one kind of dialog.
enum class DialogSign {
    ItemOpen,        // the item dialog without the save chain, with a direct ComboBoxEx32 1148: an open dialog
    TitleRules,      // the title rule table of the system class answers 1148 or 1152
    TitleRulesOwn,   // the same table answers a field of the program's own dialog class (39, 48)
    ItemSaveChain,   // "#32770" whose tree holds DUIViewWndClassName > DirectUIHWND > FloatNotifySink > ComboBox > Edit
    TitledSaveEdit,  // "#32770" titled "Save" (any case) with a direct Edit 1152: Wine's item dialog
    TitledOpenEdit,  // "#32770" titled "Open" with a direct Edit 1152: Wine's item open dialog, the old-style one
    TitledOpenCombo, // "#32770" titled "Open" with a direct combo box 1148: the Explorer-style open dialog
    FolderTree,      // "#32770" with the folder browser's tree 14145, direct or in its name-space control
    WineItemDialog,  // "#32770" with a direct ExplorerBrowserControl and Edit 1152, whatever its title: Wine's
                     // item dialog, titled by its program or picking folders ("Select Folder")
};

// Where a kind's field is looked for, in this order.
enum FieldPlace : unsigned {
    FIELD_RECORDED = 1,       // the recorded id as a direct child; inside a (extended) combo box, its edit
    FIELD_OTHER_CLASSIC = 2,  // the other of 1148 and 1152, the same way
    FIELD_ITEM_CHAIN = 4,     // the one visible, enabled edit at the end of the item dialog's save chain
    FIELD_FOLDER_TREE = 8,    // the folder browser's tree: not a text field, a folder is selected there
};

// How text is written into the field.
enum class FieldWrite {
    SetText,          // WM_SETTEXT: a control of the dialog's own class, not a platform edit
    ReplaceSelection, // EM_SETSEL over all, EM_REPLACESEL: the edit raises what typing raises
    SelectInTree,     // the dialog's own BFFM_SETSELECTION: its tree shows the folder, selected
};

// What the dialog is asked for: a name to save under, or a file to open.
enum class DialogPurpose {
    Save, // gets the folder joined with the typed name
    Open, // gets the folder, and the typed text only when it is a pattern
};

// The tree of the platform's folder browser (SHBrowseForFolder), and the "Folder:" edit of its new style.
constexpr int kCtrlFolderTree = 14145;
constexpr int kCtrlFolderEdit = 14149;

// How a pick at the dialog takes it to the folder. Nothing is ever confirmed for the user: with a
// folder in its field the default button goes there, as when a user types the folder and presses Enter.
enum class FolderChange {
    Press,          // the folder in the field, the default button pressed
    PressWithTypes, // so, but only while it shows a file-type list: the item dialog that picks folders
                    // has the same tree and none, and its button would choose the folder
    Never,          // only filled: a dialog of the program's own class, whose button may do anything
};

struct DialogKind {
    DialogSign sign;
    unsigned places;
    FieldWrite write;
    DialogPurpose purpose;
    FolderChange change;
};

// The rows, tried in order; the first whose sign holds decides. Indexes are what the scan records.
extern const DialogKind kDialogKinds[];
extern const int kDialogKindCount;

// The index of the row with that sign.
int DialogKindOf(DialogSign sign);

// A recognised save dialog: its row and the field id to record, or nKind -1.
struct DialogMatch {
    int nKind;
    int nCtrlId;
};

// Classifies one top-level window. nTitleRuleId is the title rules' answer for it. The window's
// children are looked at only when its class is "#32770".
DialogMatch ClassifyDialog(HWND hWnd, std::string_view title, std::string_view className, int nTitleRuleId);

// The file-name edit (or the dialog's own control) of a recognised dialog, found afresh; null when none.
HWND FindFileNameField(HWND hDialog, const DialogKind& kind, int nCtrlId);

// The folder browser's tree: a direct child, or inside the name-space control of the new style on
// Windows; null when none.
HWND FindFolderTree(HWND hDialog);

// Whether the kind's dialog goes to a folder when its default button is pressed now.
bool GoesToFolder(const DialogKind& kind, HWND hDialog);

// The edit at the end of the item dialog's save chain: only a visible, enabled one when asked, and
// only when there is exactly one. The address bar and the search box are never on that chain.
HWND FindItemChainEdit(HWND hDialog, bool bVisibleEnabledOnly);
