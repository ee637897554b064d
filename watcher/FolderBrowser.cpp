// The folder browser's tree, filled through the dialog's own message: the text it reads lives in
// its process, and whether it took the folder shows only in the tree's selection (the message
// answers nothing useful: 0 under Wine whatever happened).
#include "watcher/FolderBrowser.h"
#include "fw/NestedLoop.h"
#include "watcher/PathInjection.h"
#include "watcher/TargetProcess.h"

#include <commctrl.h>
#include <shlobj.h>

namespace {

constexpr UINT kSetSelectionW = WM_USER + 103; // BFFM_SETSELECTIONW, whatever the headers' UNICODE

BOOL SendBounded(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam, DWORD_PTR* pResult = nullptr)
{
    return AfxSendMessageBounded(hWnd, msg, wParam, lParam, kForeignReplyTimeout, pResult);
}

// The tree's selected item (a handle, compared only), 0 when none; FALSE when it did not answer.
BOOL SelectedItem(HWND hTree, DWORD_PTR& item)
{
    item = 0;
    return SendBounded(hTree, TVM_GETNEXTITEM, TVGN_CARET, 0, &item);
}

// Asks the dialog to select the folder; the tree's selection afterwards in after.
PasteFailure AskToSelect(HWND hDialog, HWND hTree, CForeignText& text, DWORD_PTR& after)
{
    if (!SendBounded(hDialog, kSetSelectionW, TRUE, (LPARAM)text.Address())) {
        text.Leave(); // it may still be read there when the dialog comes round to the message
        return PasteFailure::NoAnswer;
    }
    return SelectedItem(hTree, after) ? PasteFailure::None : PasteFailure::NoAnswer;
}

} // namespace

std::string ParentFolder(const std::string& folder)
{
    const std::string text = TreeSelectionText(folder);
    const size_t slash = text.find_last_of('\\');
    if (slash == std::string::npos || slash + 1 >= text.size())
        return std::string(); // a drive's root, or no folder part
    return slash == 2 && text[1] == ':' ? text.substr(0, 3) : text.substr(0, slash);
}

std::string TreeSelectionText(const std::string& folder)
{
    std::string text = folder;
    while (text.size() > 3 && text.back() == '\\')
        text.pop_back();
    return text;
}

PasteFailure ShowFolderInTree(HWND hDialog, HWND hTree, const std::string& folder)
{
    DWORD_PTR before = 0, after = 0;
    if (!SelectedItem(hTree, before))
        return PasteFailure::NoAnswer;
    CForeignText text(hDialog, TreeSelectionText(folder));
    if (text.Address() == nullptr)
        return PasteFailure::NotTaken;
    PasteFailure failure = AskToSelect(hDialog, hTree, text, after);
    if (failure != PasteFailure::None)
        return failure;
    if (after == 0 || after == before) {
        // Nothing selected, or the item that was: the folder may be that item, and Wine finds a
        // folder without sub-folders only once its parent has been selected (and so expanded). Asked
        // again from the parent, a tree that shows the folder moves to it.
        DWORD_PTR from = 0;
        const std::string parent = ParentFolder(folder);
        if (!parent.empty()) {
            CForeignText parentText(hDialog, TreeSelectionText(parent));
            if (parentText.Address() != nullptr && (failure = AskToSelect(hDialog, hTree, parentText, from)) != PasteFailure::None)
                return failure;
        } else if (before != 0 && SendBounded(hTree, TVM_GETNEXTITEM, TVGN_PARENT, (LPARAM)before, &from) && from != 0) {
            SendBounded(hTree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)from);
        }
        after = 0;
        if (from != 0 && (failure = AskToSelect(hDialog, hTree, text, after)) != PasteFailure::None)
            return failure;
        if (after == 0 || after == from) {
            if (before != 0)
                SendBounded(hTree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)before); // as the user left it
            return PasteFailure::NotInTree;
        }
    }
    // The new style leaves a selection made before it has settled out of view.
    SendBounded(hTree, TVM_ENSUREVISIBLE, 0, (LPARAM)after);
    return PasteFailure::None;
}
