// The loops the program runs inside its own handlers, and what waits for them to return.
#pragma once

#include "fw/Afx.h"

// Every loop run inside a handler (a tracked menu, a message box, a modal dialog or sheet, a wait
// that answers what other threads send) runs inside one of these. Other messages are handled
// meanwhile, under the code that started the loop; what must not happen there (a close, which
// destroys windows that code still uses) is posted once the outermost loop has returned.
class CNestedLoop {
public:
    enum Kind {
        Menu,  // a tracked pop-up menu: ended by EndMenu
        Modal, // a message box, dialog or sheet: its window is asked to close
        Wait,  // a bounded wait: it ends by its bound
    };
    explicit CNestedLoop(Kind kind);
    ~CNestedLoop();
    CNestedLoop(const CNestedLoop&) = delete;
    CNestedLoop& operator=(const CNestedLoop&) = delete;

    // How many loops run now, and whether a tracked menu is among them.
    static int Depth();
    static bool InMenu();
    // Asks the running loops to end as soon as they can, the innermost first; each outer one is asked
    // in turn once the loop inside it has returned.
    static void AskToEnd();
    // Posts the message at once when no loop runs, else once the outermost has returned. The same
    // message already waiting is not added again.
    static void PostWhenDone(HWND hWnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
};

// Waits up to dwTimeout for the object, answering what other threads send meanwhile (as a bounded
// send does; posted messages wait for the message loop), as a wait of the program. TRUE once it is
// signalled.
BOOL AfxWaitAnswering(HANDLE hObject, DWORD dwTimeout);

// SendMessageTimeout that gives up on a thread that does not answer within uTimeout ms or is hung,
// as a wait of the program: what other threads send meanwhile is answered, and a close waits for it.
// FALSE when it gave up (the last error says why: ERROR_TIMEOUT, or ERROR_ACCESS_DENIED when the
// system blocked the message).
BOOL AfxSendMessageBounded(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT uTimeout,
                           DWORD_PTR* pResult = nullptr);
