// Facts about the process that shows a dialog: its integrity level and a name to tell the user.
#pragma once

#include <windows.h>

#include <string>

// Reads the integrity level (the label's last sub-authority, e.g. 0x2000 medium, 0x3000 high) of the
// process that owns the window, or of this process for a null window; FALSE when the system has no such levels or the token cannot be read, with the last
// error ERROR_ACCESS_DENIED when the system refused to open the process or its token.
using IntegrityLevelReader = BOOL (*)(HWND hWnd, DWORD* pdwLevel);
BOOL ReadIntegrityLevel(HWND hWnd, DWORD* pdwLevel);

// The system blocks messages from a lower level to a higher one. Higher only when both levels are
// known; a level that cannot be read says nothing (the send is tried, and a send refused with
// ERROR_ACCESS_DENIED then means higher).
bool RunsHigher(BOOL bOwnKnown, DWORD dwOwnLevel, BOOL bTargetKnown, DWORD dwTargetLevel);

// The file name of the process's image ("notepad.exe"), else the title of the window's owner,
// else "the other program".
std::string ProgramNameOf(HWND hWnd);

// A text written into the memory of the process that owns the window, for a message that reads its
// text there (the system carries the pointer of no private message across); freed with the object.
class CForeignText {
public:
    CForeignText(HWND hWnd, const std::string& text);
    ~CForeignText();
    CForeignText(const CForeignText&) = delete;
    CForeignText& operator=(const CForeignText&) = delete;

    // The text's address in that process (UTF-16, terminated); null when it could not be put there.
    void* Address() const { return m_pRemote; }
    // Leaves the text where it is: a send given up on may still be handled there later, and must
    // not find the memory freed. A few bytes, gone with that process.
    void Leave() { m_pRemote = nullptr; }

private:
    HANDLE m_hProcess = nullptr;
    void* m_pRemote = nullptr;
};
