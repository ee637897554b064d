// Hyperlink control: takes over a dialog's static text and makes it a link that opens through the shell.
#pragma once

#include "fw/Controls.h"
#include "fw/GdiObjects.h"

#include <string>

// User part of the program's contact e-mail address followed by "@"; the About box's address holds it.
extern const char kContactMailMarker[];

// What the shell is asked to open for a link: "mailto:" before a text holding the contact mail
// marker (unless it already starts so), any other text unchanged.
std::string LinkShellText(const std::string& link);
// Text colour at paint time; a flag that is missing or not 1 counts as not visited.
COLORREF LinkTextColor(const int* pbVisited, COLORREF colorUnvisited, COLORREF colorVisited);
// Whether a static of this style is drawn as a link: plain left, centre or right aligned text only.
bool IsLinkTextStyle(DWORD dwStyle);

class CStaticLink : public CStatic {
public:
    static constexpr UINT_PTR kHoldoffTimerId = 102;
    static constexpr UINT kHoldoffPeriod = 1000; // ms

    CStaticLink() = default;
    // Gives the control its own font back if it outlives the object, then the underlined font goes.
    ~CStaticLink() override;

    COLORREF m_colorUnvisited = RGB(0, 0, 255);
    COLORREF m_colorVisited = RGB(128, 0, 128);
    int* m_pbVisited = nullptr;      // the owner's flag, set by the owner right after subclassing
    BOOL m_bCaptured = FALSE;        // holding the mouse capture: the pointer is over the link
    BOOL m_bClickHoldoff = FALSE;    // from a click until timer 102 fires; tracking paused
    std::string m_link;              // target; the window text is taken when empty at a click
    CFont m_font;                    // the control's font underlined, made at the first paint
    HFONT m_hFontOriginal = nullptr; // the control's own font, borrowed, given back at destruction

    // Reflected WM_CTLCOLORSTATIC: link colours and font, or null for normal drawing.
    HBRUSH CtlColor(HDC hDC);
    // Reflected STN_CLICKED: open the link.
    void OnClicked();
    void OnMouseMove(UINT nFlags, POINT point);
    void OnTimer(UINT_PTR nIDEvent);
    void OnCaptureChanged(HWND hWndNew);

    // How a link is opened and how a failure sounds; tests put recorders in their place.
    static HINSTANCE ShellOpen(const char* pszText);
    static HINSTANCE (*s_pfnShellOpen)(const char* pszText);
    static BOOL (WINAPI* s_pfnBeep)(UINT uType);

protected:
    BOOL OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};
