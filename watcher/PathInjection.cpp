// Composing the pasted path and the bounded sends to the foreign file-name control.
#include "watcher/PathInjection.h"
#include "fw/NestedLoop.h"
#include "fw/TextConv.h"

#include <cwchar>

namespace {

// Plain SendMessage would wait for ever on a program that has stopped answering.
BOOL SendBounded(HWND hCtrl, UINT msg, WPARAM wParam, LPARAM lParam, DWORD_PTR* pResult = nullptr)
{
    return AfxSendMessageBounded(hCtrl, msg, wParam, lParam, kForeignReplyTimeout, pResult);
}

} // namespace

std::string FolderWithBackslash(const std::string& folder)
{
    std::string path = folder;
    if (path.empty() || path.back() != '\\') // UTF-8 never has 0x5C inside a character
        path += '\\';
    return path;
}

BOOL ReadForeignText(HWND hCtrl, std::string& text)
{
    bool bRefusedOnce = false;
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD_PTR length = 0, copied = 0;
        std::wstring buffer;
        BOOL bAnswered = SendBounded(hCtrl, WM_GETTEXTLENGTH, 0, 0, &length);
        if (bAnswered) {
            // One character more than the length, so a text that grew meanwhile shows as filling the buffer.
            buffer.assign((size_t)length + 2, L'\0');
            bAnswered = SendBounded(hCtrl, WM_GETTEXT, (WPARAM)buffer.size(), (LPARAM)&buffer[0], &copied);
        }
        if (!bAnswered) {
            // Wine at times refuses one send with ERROR_ACCESS_DENIED while another program's send
            // to the same control is answered; the system's own refusal (a target of higher
            // integrity) comes again at once.
            if (::GetLastError() != ERROR_ACCESS_DENIED || bRefusedOnce)
                return FALSE;
            bRefusedOnce = true;
            continue;
        }
        // The length may be more than the text (a control of an ANSI window counts bytes), never less.
        if (copied <= length) {
            buffer.resize(std::wcslen(buffer.c_str()));
            text = WideToUtf8(buffer);
            return TRUE;
        }
    }
    ::SetLastError(ERROR_TIMEOUT); // it keeps changing: as good as no answer
    return FALSE;
}

BOOL WriteForeignText(HWND hCtrl, const std::string& text)
{
    return SendBounded(hCtrl, WM_SETTEXT, 0, (LPARAM)Utf8ToWide(text).c_str());
}

BOOL ReplaceForeignText(HWND hEdit, const std::string& text)
{
    return SendBounded(hEdit, EM_SETSEL, 0, -1) &&
           SendBounded(hEdit, EM_REPLACESEL, TRUE, (LPARAM)Utf8ToWide(text).c_str());
}
