// The clipboard as the tests see it.
#include "tests/support/Clipboard.h"
#include "fw/TextConv.h"

std::string ClipboardText()
{
    std::string text;
    if (!::OpenClipboard(nullptr))
        return "(clipboard busy)";
    if (HANDLE hData = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const wchar_t* pText = static_cast<const wchar_t*>(::GlobalLock(hData))) {
            text = WideToUtf8(pText);
            ::GlobalUnlock(hData);
        }
    }
    ::CloseClipboard();
    return text;
}

void EmptyTheClipboard()
{
    if (::OpenClipboard(nullptr)) {
        ::EmptyClipboard();
        ::CloseClipboard();
    }
}
