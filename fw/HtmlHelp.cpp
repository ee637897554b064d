// HTML Help through the control loaded at run time.
#include "fw/HtmlHelp.h"

#include <htmlhelp.h>

CHtmlHelp::~CHtmlHelp()
{
    Close();
}

BOOL CHtmlHelp::Load()
{
    if (m_pfnHtmlHelp != nullptr)
        return TRUE;
    if (m_hControl == nullptr)
        m_hControl = ::LoadLibraryW(L"hhctrl.ocx");
    if (m_hControl == nullptr)
        return FALSE;
    m_pfnHtmlHelp = reinterpret_cast<HtmlHelpProc>(::GetProcAddress(m_hControl, "HtmlHelpW"));
    if (m_pfnHtmlHelp == nullptr) {
        ::FreeLibrary(m_hControl);
        m_hControl = nullptr;
        return FALSE;
    }
    return TRUE;
}

HWND CHtmlHelp::Show(HWND hCaller, const std::string& file, UINT uCommand, DWORD_PTR dwData)
{
    if (!Load())
        return nullptr;
    return m_pfnHtmlHelp(hCaller, Utf8ToWide(file).c_str(), uCommand, dwData);
}

void CHtmlHelp::Close()
{
    if (m_hControl == nullptr)
        return;
    // The windows run on the control's code: they must be gone before it is unloaded.
    if (m_pfnHtmlHelp != nullptr)
        m_pfnHtmlHelp(nullptr, nullptr, HH_CLOSE_ALL, 0);
    m_pfnHtmlHelp = nullptr;
    ::FreeLibrary(m_hControl);
    m_hControl = nullptr;
}

UINT HtmlHelpCommandFor(UINT nWinHelpCmd)
{
    switch (nWinHelpCmd) {
    case HELP_CONTEXT:
        return HH_HELP_CONTEXT;
    case HELP_FINDER:
    case HELP_CONTENTS: // also HELP_INDEX
        return HH_DISPLAY_TOC;
    default:
        return HH_DISPLAY_TOPIC;
    }
}
