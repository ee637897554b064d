// Composing the pasted path and the bounded sends to the foreign file-name control.
#include "watcher/PathInjection.h"
#include "fw/MbcsText.h"

#include <cstring>

namespace {

// Plain SendMessage would wait for ever on a program that has stopped answering.
BOOL SendBounded(HWND hCtrl, UINT msg, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutA(hCtrl, msg, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG, kForeignReplyTimeout,
                                 &result) != 0;
}

} // namespace

std::string FolderWithBackslash(const std::string& folder)
{
    std::string path = folder;
    if (!MbcsEndsWith(path, '\\')) // by character: a double-byte name may end in 0x5C
        path += '\\';
    return path;
}

std::string ComposePastePath(const std::string& folder, const std::string& typedName)
{
    std::string path = FolderWithBackslash(folder);
    path += typedName.empty() ? std::string("untitled") : typedName;
    return path;
}

BOOL ReadForeignText(HWND hCtrl, char* buffer, int cchMax)
{
    return SendBounded(hCtrl, WM_GETTEXT, (WPARAM)cchMax, (LPARAM)buffer);
}

BOOL WriteForeignText(HWND hCtrl, const std::string& text)
{
    return SendBounded(hCtrl, WM_SETTEXT, 0, (LPARAM)text.c_str());
}

BOOL ReplaceForeignText(HWND hEdit, const std::string& text)
{
    return SendBounded(hEdit, EM_SETSEL, 0, -1) && SendBounded(hEdit, EM_REPLACESEL, TRUE, (LPARAM)text.c_str());
}

BOOL ForeignTextIs(HWND hCtrl, const std::string& text)
{
    // One character more than expected, so a longer text shows as different.
    std::string buffer(text.size() + 2, '\0');
    if (!SendBounded(hCtrl, WM_GETTEXT, (WPARAM)buffer.size(), (LPARAM)&buffer[0]))
        return FALSE;
    return std::strcmp(buffer.c_str(), text.c_str()) == 0;
}
