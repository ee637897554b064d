// Failure texts of the paste and the clipboard copy of the path.
#include "watcher/PasteFailure.h"
#include "fw/TextConv.h"

#include <cstring>

std::string PasteFailureText(PasteFailure why, const std::string& program, const std::string& path, bool bOnClipboard)
{
    if (why == PasteFailure::NoFolder)
        return "Trovel cannot go to " + path + ": the folder does not exist or cannot be reached.";
    std::string text;
    switch (why) {
    case PasteFailure::RunsHigher:
        text = "Trovel could not fill in the file name in " + program + " (it runs as administrator).";
        break;
    case PasteFailure::NoField:
        text = "Trovel could not find the file-name field in " + program + ".";
        break;
    case PasteFailure::NoAnswer:
        text = "Trovel could not read the file name in " + program + " (it does not answer).";
        break;
    case PasteFailure::NotInTree:
        text = "Trovel cannot show " + path + " in the folder tree of " + program +
               ": the folder is outside the folders it offers.";
        break;
    case PasteFailure::NotTaken:
    case PasteFailure::None:
    case PasteFailure::NoFolder:
        text = "Trovel could not fill in the file name in " + program + " (the field did not take the text).";
        break;
    }
    if (bOnClipboard)
        text += " The path " + path + " is on the clipboard.";
    else
        text += " The path is " + path + ".";
    return text;
}

BOOL PutTextOnClipboard(HWND hOwner, const std::string& text)
{
    // As Unicode text: the system makes the ANSI form for programs that ask for it.
    const std::wstring wide = Utf8ToWide(text);
    const size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
    HGLOBAL hText = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (hText == nullptr)
        return FALSE;
    void* pText = ::GlobalLock(hText);
    std::memcpy(pText, wide.c_str(), bytes);
    ::GlobalUnlock(hText);
    // Another program may hold the clipboard for a moment.
    BOOL bOpen = FALSE;
    for (int attempt = 0; attempt < 5 && !(bOpen = ::OpenClipboard(hOwner)); ++attempt)
        ::Sleep(20);
    if (!bOpen) {
        ::GlobalFree(hText);
        return FALSE;
    }
    ::EmptyClipboard();
    BOOL bSet = ::SetClipboardData(CF_UNICODETEXT, hText) != nullptr; // the clipboard owns the memory from here
    ::CloseClipboard();
    if (!bSet)
        ::GlobalFree(hText);
    return bSet;
}
