// The dialog hotkey: foreground changes through out-of-context window events, the key registered
// while a file dialog is in front.
#include "watcher/DialogHotkey.h"
#include "fw/Afx.h"

CDialogHotkey* CDialogHotkey::s_pFollowing = nullptr;
ULONG_PTR CDialogHotkey::s_nWatches = 0;

namespace {

// Every kind of file dialog is a top-level window of the dialog class.
bool IsDialogFrame(HWND hWnd)
{
    wchar_t szClass[8] = {};
    return (::GetWindowLongPtrW(hWnd, GWL_STYLE) & WS_CHILD) == 0 && ::GetClassNameW(hWnd, szClass, 8) != 0 &&
           ::lstrcmpW(szClass, L"#32770") == 0;
}

} // namespace

UINT HotkeyModifiers(WORD wHotkey)
{
    const BYTE flags = HIBYTE(wHotkey);
    UINT modifiers = 0;
    if (flags & HOTKEYF_CONTROL)
        modifiers |= MOD_CONTROL;
    if (flags & HOTKEYF_ALT)
        modifiers |= MOD_ALT;
    if (flags & HOTKEYF_SHIFT)
        modifiers |= MOD_SHIFT;
    if (flags & kHotkeyFlagWin)
        modifiers |= MOD_WIN;
    return modifiers;
}

bool HotkeyIsUsable(WORD wHotkey)
{
    return LOBYTE(wHotkey) != 0 && (HotkeyModifiers(wHotkey) & (MOD_CONTROL | MOD_ALT | MOD_WIN)) != 0;
}

std::string HotkeyName(WORD wHotkey)
{
    const BYTE vk = LOBYTE(wHotkey), flags = HIBYTE(wHotkey);
    if (vk == 0)
        return std::string();
    std::string name;
    if (flags & HOTKEYF_CONTROL)
        name += "Ctrl+";
    if (flags & HOTKEYF_ALT)
        name += "Alt+";
    if (flags & HOTKEYF_SHIFT)
        name += "Shift+";
    if (flags & kHotkeyFlagWin)
        name += "Win+";
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) {
        name += (char)vk;
        return name;
    }
    // Other keys by the keyboard's own names ("F5", "Page Down").
    LONG lParam = (LONG)(::MapVirtualKeyW(vk, 0) << 16);
    if (flags & HOTKEYF_EXT)
        lParam |= 1L << 24;
    wchar_t szKey[64] = {};
    if (::GetKeyNameTextW(lParam, szKey, 64) > 0) {
        name += WideToUtf8(szKey);
    } else {
        name += "key " + std::to_string((unsigned)vk);
    }
    return name;
}

std::string HotkeyTakenText(WORD wHotkey)
{
    return "Trovel cannot use " + HotkeyName(wHotkey) +
           " at the file dialog: another program holds that key. Choose another key under Preferences, Other "
           "Settings.";
}

std::string HotkeyUnusableText(WORD wHotkey)
{
    return "Trovel does not use " + HotkeyName(wHotkey) +
           " at the file dialog: the key needs Ctrl, Alt or the Windows key with it, so that typing stays free. "
           "Choose another key under Preferences, Other Settings.";
}

CDialogHotkey::CDialogHotkey()
    : m_pfnSetWinEventHook(AfxGetSystemProc<SetWinEventHookFn>("user32.dll", "SetWinEventHook")),
      m_pfnUnhookWinEvent(AfxGetSystemProc<UnhookWinEventFn>("user32.dll", "UnhookWinEvent"))
{
}

CDialogHotkey::~CDialogHotkey()
{
    Stop();
}

BOOL CDialogHotkey::Start(HWND hOwner, WORD wHotkey, DialogTest test, Tell tell, void* pContext, FrontNote note)
{
    Stop();
    if (!HotkeyIsUsable(wHotkey))
        wHotkey = 0;
    if ((wHotkey == 0 && note == nullptr) || hOwner == nullptr)
        return TRUE;
    if (wHotkey != m_wHotkey)
        m_wToldTaken = 0; // a new key is told about afresh
    m_hOwner = hOwner;
    m_wHotkey = wHotkey;
    m_pfnTest = test;
    m_pfnTell = tell;
    m_pfnNote = note;
    m_pContext = pContext;

    s_pFollowing = this; // the hook and timer procedures have no context of their own
    if (m_pfnSetWinEventHook == nullptr || m_pfnUnhookWinEvent == nullptr) {
        Register(); // nothing tells this thread what is in front: the key is held throughout
        return TRUE;
    }
    // Two single-event hooks rather than one range, which would wake the program for every event
    // between them. Out of context: delivered through this thread's message loop. Wine sends the
    // focus event but not the foreground one, so both are watched.
    const DWORD dwFlags = WINEVENT_OUTOFCONTEXT;
    m_hForegroundHook = m_pfnSetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr,
                                             &CDialogHotkey::OnWinEvent, 0, 0, dwFlags);
    m_hFocusHook = m_pfnSetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, &CDialogHotkey::OnWinEvent,
                                        0, 0, dwFlags);
    // Wine tells neither the foreground change nor the focus its item dialogs take as they open, only
    // that a window was made: until the system shows that it reports the front, a new dialog is
    // followed from its making.
    m_hCreateHook = m_pfnSetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr,
                                         &CDialogHotkey::OnWinEvent, 0, 0, dwFlags);
    if (!IsFollowing()) {
        Register();
        return FALSE;
    }
    OnForegroundChanged();
    Ping();
    return TRUE;
}

void CDialogHotkey::Stop()
{
    Unwatch();
    if (m_hForegroundHook != nullptr)
        m_pfnUnhookWinEvent(m_hForegroundHook);
    if (m_hFocusHook != nullptr)
        m_pfnUnhookWinEvent(m_hFocusHook);
    if (m_hCreateHook != nullptr)
        m_pfnUnhookWinEvent(m_hCreateHook);
    m_hForegroundHook = m_hFocusHook = m_hCreateHook = nullptr;
    if (s_pFollowing == this)
        s_pFollowing = nullptr;
    if (m_uAskAgainTimer != 0)
        ::KillTimer(nullptr, m_uAskAgainTimer);
    m_uAskAgainTimer = 0;
    m_bAskAgain = false;
    Unregister();
    m_hOwner = nullptr;
    m_hLastForeground = nullptr;
}

void CALLBACK CDialogHotkey::OnWinEvent(HWINEVENTHOOK hHook, DWORD dwEvent, HWND hWnd, LONG idObject, LONG,
                                        DWORD dwThread, DWORD)
{
    CDialogHotkey* pThis = s_pFollowing;
    if (pThis == nullptr)
        return;
    if (hHook != nullptr && hHook == pThis->m_hWatchHook) {
        pThis->OnWatchedEvent(dwEvent, hWnd, idObject, dwThread);
    } else if (dwEvent == EVENT_OBJECT_CREATE) {
        if (idObject == OBJID_WINDOW && hWnd != nullptr)
            pThis->OnDialogCreated(hWnd);
    } else if (dwEvent == EVENT_SYSTEM_FOREGROUND || dwEvent == EVENT_OBJECT_FOCUS) { // not a late one of a watch
        if (dwEvent == EVENT_SYSTEM_FOREGROUND)
            pThis->OnForegroundEvent();
        // The window that got the focus tells where the front is before the system's foreground does.
        pThis->OnForegroundChanged(AfxTopLevelOf(hWnd));
    }
    pThis->Ping();
}

void CDialogHotkey::OnForegroundChanged(HWND hFront)
{
    if (m_hOwner == nullptr || !IsFollowing())
        return;
    HWND hForeground = hFront != nullptr ? hFront : ::GetForegroundWindow();
    // Nothing in front (or the desktop window itself, as Wine reports while a dialog is still hidden)
    // is a moment between two windows; focus moves within a window far more often than windows
    // change: each window is asked about once, except a dialog watched, which may have become one to
    // take since.
    if (hForeground == nullptr || hForeground == ::GetDesktopWindow() ||
        (hForeground == m_hLastForeground && hForeground != m_hWatched))
        return;
    const FrontWindow front = m_pfnTest != nullptr ? m_pfnTest(m_pContext, hForeground) : FrontWindow::Other;
    if (front == FrontWindow::PassedOver)
        return;
    m_hLastForeground = hForeground;
    m_bAskAgain = false;
    const bool bFileDialog = front == FrontWindow::FileDialog && ::IsWindowVisible(hForeground);
    if (m_pfnNote != nullptr)
        m_pfnNote(m_pContext, hForeground, bFileDialog);
    if (bFileDialog) {
        Unwatch();
        Register();
        return;
    }
    // Whatever else is in front, shown or not, may take the key: it is free at once.
    Unregister();
    if (hForeground != m_hWatched && IsDialogFrame(hForeground))
        Watch(hForeground); // it may yet show, or become a file dialog
    else if (hForeground != m_hWatched && m_bWatchedInFront)
        Unwatch(); // the dialog watched has left the front
    if (hForeground == m_hWatched)
        m_bWatchedInFront = true;
}

void CDialogHotkey::OnDialogCreated(HWND hWnd)
{
    // Only a top-level window of the dialog class can be a file dialog; nothing else made is looked at.
    if (!IsDialogFrame(hWnd) || (m_pfnTest != nullptr && m_pfnTest(m_pContext, hWnd) == FrontWindow::PassedOver))
        return;
    Watch(hWnd);
}

void CDialogHotkey::OnWatchedEvent(DWORD dwEvent, HWND hWnd, LONG idObject, DWORD dwThread)
{
    // Other threads of its process, where the hook could not be limited to one thread; carets and
    // cursors, which tell nothing about the dialog.
    if (dwThread != m_dwWatchedThread || idObject != OBJID_WINDOW)
        return;
    if (dwEvent == EVENT_OBJECT_DESTROY && hWnd == m_hWatched) {
        Unwatch();
        return;
    }
    m_nPingsLeft = kPingsPerEvent;
    OnForegroundChanged();
}

void CDialogHotkey::OnForegroundEvent()
{
    // The system reports the front: new windows need not be watched any more.
    if (m_hCreateHook == nullptr)
        return;
    m_pfnUnhookWinEvent(m_hCreateHook);
    m_hCreateHook = nullptr;
}

void CDialogHotkey::Watch(HWND hWnd)
{
    Unwatch();
    DWORD dwProcess = 0;
    const DWORD dwThread = ::GetWindowThreadProcessId(hWnd, &dwProcess);
    if (dwThread == 0)
        return;
    // What the dialog's thread makes, destroys, shows and hides: one short range on one thread, so no
    // other program wakes this one for it (its focus comes with everyone's). Wine refuses a hook on a
    // thread of another process: then on its process, the other threads passed by.
    const DWORD dwFlags = WINEVENT_OUTOFCONTEXT;
    m_hWatchHook = m_pfnSetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_HIDE, nullptr, &CDialogHotkey::OnWinEvent,
                                        dwProcess, dwThread, dwFlags);
    if (m_hWatchHook == nullptr)
        m_hWatchHook = m_pfnSetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_HIDE, nullptr,
                                            &CDialogHotkey::OnWinEvent, dwProcess, 0, dwFlags);
    m_hWatched = hWnd;
    m_dwWatchedThread = dwThread;
    m_nWatch = ++s_nWatches;
    m_nPingsLeft = kPingsPerEvent;
}

void CDialogHotkey::Unwatch()
{
    if (m_hWatchHook != nullptr)
        m_pfnUnhookWinEvent(m_hWatchHook);
    m_hWatchHook = nullptr;
    m_hWatched = nullptr;
    m_dwWatchedThread = 0;
    m_bWatchedInFront = false;
    m_bPinging = false;
    m_nPingsLeft = 0;
}

void CDialogHotkey::Ping()
{
    // Wine tells nothing when a dialog shows. A modal dialog shows when its thread first finds no
    // message waiting, and a message sent to it is answered when that thread next looks for one: after
    // each of its events the dialog is sent a few in turn, and looked at again at each answer.
    if (m_hWatched == nullptr || m_bPinging || m_nPingsLeft <= 0)
        return;
    --m_nPingsLeft;
    m_bPinging = true; // before the send: the answer comes at once from a window of this thread
    if (!::SendMessageCallbackW(m_hWatched, WM_NULL, 0, 0, &CDialogHotkey::OnPingAnswer, m_nWatch))
        m_bPinging = false;
}

void CALLBACK CDialogHotkey::OnPingAnswer(HWND, UINT, ULONG_PTR dwData, LRESULT)
{
    CDialogHotkey* pThis = s_pFollowing;
    if (pThis == nullptr || pThis->m_hWatched == nullptr || dwData != pThis->m_nWatch)
        return;
    pThis->m_bPinging = false;
    if (!::IsWindow(pThis->m_hWatched)) {
        pThis->Unwatch(); // Wine tells no destruction either
        return;
    }
    pThis->OnForegroundChanged();
    pThis->Ping();
}

void CALLBACK CDialogHotkey::OnAskAgainTimer(HWND, UINT, UINT_PTR nIDEvent, DWORD)
{
    ::KillTimer(nullptr, nIDEvent);
    CDialogHotkey* pThis = s_pFollowing;
    if (pThis == nullptr || pThis->m_uAskAgainTimer != nIDEvent)
        return;
    pThis->m_uAskAgainTimer = 0;
    if (pThis->m_bAskAgain) {
        pThis->m_bAskAgain = false;
        pThis->Register(false);
    }
}

void CDialogHotkey::Register(bool bFirstAsk)
{
    if (m_bRegistered || m_wHotkey == 0)
        return;
    m_bRegistered = ::RegisterHotKey(m_hOwner, kHotkeyId, HotkeyModifiers(m_wHotkey), LOBYTE(m_wHotkey)) != FALSE;
    if (m_bRegistered || ::GetLastError() != ERROR_HOTKEY_ALREADY_REGISTERED)
        return;
    // Another program may hold the key for a moment only (one that looks whether it is free does):
    // asked again once, a moment later, before the user is told.
    if (bFirstAsk) {
        m_bAskAgain = true;
        m_uAskAgainTimer = ::SetTimer(nullptr, m_uAskAgainTimer, kAskAgainDelay, &CDialogHotkey::OnAskAgainTimer);
        return;
    }
    if (m_wToldTaken != m_wHotkey && m_pfnTell != nullptr) {
        m_wToldTaken = m_wHotkey;
        m_pfnTell(m_pContext, HotkeyTakenText(m_wHotkey));
    }
}

void CDialogHotkey::Unregister()
{
    if (!m_bRegistered)
        return;
    ::UnregisterHotKey(m_hOwner, kHotkeyId);
    m_bRegistered = false;
}
