// The nested loops of the program's one thread, and the messages held until they have returned.
#include "fw/NestedLoop.h"
#include "fw/Wnd.h"

#include <algorithm>
#include <vector>

namespace {

// One user-interface thread: plain statics.
std::vector<CNestedLoop::Kind> g_loops;
std::vector<MSG> g_pending;
bool g_bEndAsked = false;

void AskInnermostToEnd()
{
    switch (g_loops.back()) {
    case CNestedLoop::Menu:
        ::EndMenu();
        break;
    case CNestedLoop::Modal:
        // The top window of the program: the box or dialog of this loop, on top of any below it.
        // None yet (the loop is about to open it): it ends with the user, and the close follows.
        if (CWnd* pMain = AfxGetMainWnd()) {
            HWND hPopup = ::GetLastActivePopup(pMain->m_hWnd);
            if (hPopup != nullptr && hPopup != pMain->m_hWnd)
                ::PostMessageW(hPopup, WM_CLOSE, 0, 0);
        }
        break;
    case CNestedLoop::Wait:
        break;
    }
}

} // namespace

CNestedLoop::CNestedLoop(Kind kind)
{
    g_loops.push_back(kind);
}

CNestedLoop::~CNestedLoop()
{
    g_loops.pop_back();
    if (!g_loops.empty()) {
        if (g_bEndAsked)
            AskInnermostToEnd();
        return;
    }
    g_bEndAsked = false;
    std::vector<MSG> pending;
    pending.swap(g_pending);
    for (const MSG& msg : pending)
        ::PostMessageW(msg.hwnd, msg.message, msg.wParam, msg.lParam);
}

int CNestedLoop::Depth()
{
    return (int)g_loops.size();
}

bool CNestedLoop::InMenu()
{
    return std::find(g_loops.begin(), g_loops.end(), Menu) != g_loops.end();
}

void CNestedLoop::AskToEnd()
{
    if (g_loops.empty())
        return;
    g_bEndAsked = true;
    AskInnermostToEnd();
}

void CNestedLoop::PostWhenDone(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (g_loops.empty()) {
        ::PostMessageW(hWnd, msg, wParam, lParam);
        return;
    }
    const bool bWaiting = std::any_of(g_pending.begin(), g_pending.end(), [&](const MSG& m) {
        return m.hwnd == hWnd && m.message == msg && m.wParam == wParam && m.lParam == lParam;
    });
    if (!bWaiting) {
        MSG m = {};
        m.hwnd = hWnd;
        m.message = msg;
        m.wParam = wParam;
        m.lParam = lParam;
        g_pending.push_back(m);
    }
}

BOOL AfxWaitAnswering(HANDLE hObject, DWORD dwTimeout)
{
    CNestedLoop wait(CNestedLoop::Wait);
    const DWORD dwStart = ::GetTickCount();
    for (;;) {
        const DWORD dwElapsed = ::GetTickCount() - dwStart;
        const DWORD dwResult = ::MsgWaitForMultipleObjects(1, &hObject, FALSE,
                                                           dwElapsed < dwTimeout ? dwTimeout - dwElapsed : 0,
                                                           QS_SENDMESSAGE);
        if (dwResult == WAIT_OBJECT_0)
            return TRUE;
        if (dwResult != WAIT_OBJECT_0 + 1)
            return FALSE; // timed out, or the handle is no good
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); // runs the sent messages only
    }
}

BOOL AfxSendMessageBounded(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT uTimeout, DWORD_PTR* pResult)
{
    DWORD_PTR result = 0;
    BOOL bAnswered = FALSE;
    DWORD dwError = 0;
    {
        CNestedLoop wait(CNestedLoop::Wait);
        bAnswered = ::SendMessageTimeoutW(hWnd, msg, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG, uTimeout,
                                          pResult != nullptr ? pResult : &result) != 0;
        dwError = ::GetLastError();
    }
    // The loop's end may post what waited for it; the caller reads why the send gave up.
    ::SetLastError(dwError);
    return bAnswered;
}
