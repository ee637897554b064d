// The HTML Help control, loaded when help is first asked for: the exe imports nothing of it, so it
// still starts where the control is missing (it came with Internet Explorer on NT 4.0).
#pragma once

#include "fw/Afx.h"

class CHtmlHelp {
public:
    CHtmlHelp() = default;
    ~CHtmlHelp();
    CHtmlHelp(const CHtmlHelp&) = delete;
    CHtmlHelp& operator=(const CHtmlHelp&) = delete;

    // Hands one command (HH_HELP_CONTEXT, HH_DISPLAY_TOC...) to the control. Returns the help window,
    // or null when the control is missing or refuses (an unknown context id, a file it cannot read).
    HWND Show(HWND hCaller, const std::string& file, UINT uCommand, DWORD_PTR dwData);

    // Closes every help window of this process and unloads the control; nothing when never loaded.
    void Close();

    BOOL IsLoaded() const { return m_hControl != nullptr; }

private:
    typedef HWND(WINAPI* HtmlHelpProc)(HWND, LPCWSTR, UINT, DWORD_PTR);

    BOOL Load();

    HMODULE m_hControl = nullptr;
    HtmlHelpProc m_pfnHtmlHelp = nullptr;
};

// The help-control command for a WinHelp command: the context for HELP_CONTEXT, the contents for
// the finder and contents commands, the default topic otherwise.
UINT HtmlHelpCommandFor(UINT nWinHelpCmd);
