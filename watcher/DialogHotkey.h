// The hotkey at the file dialog: registered only while a file dialog is the foreground window, so
// the key is never taken from other programs.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

// As the hotkey control gives it: the virtual key in the low byte, HOTKEYF_ flags in the high byte;
// 0 is no hotkey.
constexpr WORD kDefaultDialogHotkey = MAKEWORD('G', HOTKEYF_CONTROL);
// The Windows key, which the hotkey control has no flag for, in a bit no HOTKEYF_ flag uses; only a
// stored value carries it.
constexpr BYTE kHotkeyFlagWin = 0x10;

// The RegisterHotKey modifiers (MOD_) of a hotkey control value.
UINT HotkeyModifiers(WORD wHotkey);
// A key with Ctrl, Alt or the Windows key; any other would take a key that programs need for typing.
bool HotkeyIsUsable(WORD wHotkey);
// "Ctrl+G", "Ctrl+Alt+F5", "Win+G": the key as the user reads it; empty for no hotkey.
std::string HotkeyName(WORD wHotkey);
// What the user is told when another program holds the key.
std::string HotkeyTakenText(WORD wHotkey);
// What the user is told when the stored key has neither Ctrl, Alt nor the Windows key.
std::string HotkeyUnusableText(WORD wHotkey);

// What the window in front means for the key.
enum class FrontWindow {
    FileDialog, // a file dialog of a kind the program fills in: the key is held
    Other,      // anything else: the key is free
    PassedOver, // the program's own (the menu at the dialog and its owner): the key stays as it was
};

class CDialogHotkey {
public:
    using DialogTest = FrontWindow (*)(void* pContext, HWND hForeground);
    // Tells the user something; the hotkey tells once per key that another program holds it.
    using Tell = void (*)(void* pContext, const std::string& text);
    using SetWinEventHookFn = HWINEVENTHOOK(WINAPI*)(DWORD, DWORD, HMODULE, WINEVENTPROC, DWORD, DWORD, DWORD);
    using UnhookWinEventFn = BOOL(WINAPI*)(HWINEVENTHOOK);
    // Told each window that comes to the front (the program's own passed over), and whether it is a
    // file dialog of a kind the program fills in.
    using FrontNote = void (*)(void* pContext, HWND hFront, bool bFileDialog);

    static constexpr int kHotkeyId = 1; // WM_HOTKEY's wParam at the owner window

    CDialogHotkey();
    ~CDialogHotkey();
    CDialogHotkey(const CDialogHotkey&) = delete;
    CDialogHotkey& operator=(const CDialogHotkey&) = delete;

    // Follows the foreground for hOwner, which receives WM_HOTKEY. Where the system cannot tell this
    // thread about foreground changes (NT 4.0), the key is registered for the whole desktop at once.
    // A hotkey of 0, or one without Ctrl, Alt or the Windows key, only stops, unless the front is to be
    // told to note: then the front is followed and no key registered. One object follows at a time in
    // a process. FALSE when following failed.
    BOOL Start(HWND hOwner, WORD wHotkey, DialogTest test, Tell tell, void* pContext, FrontNote note = nullptr);
    void Stop();

    bool IsRegistered() const { return m_bRegistered; }
    bool IsFollowing() const { return m_hFocusHook != nullptr || m_hForegroundHook != nullptr; }
    // Looks at the window in front (the foreground window when null) and registers or unregisters
    // the key to match.
    void OnForegroundChanged(HWND hFront = nullptr);

    // Looked up at construction; a test sets null to stand for a system without them.
    SetWinEventHookFn m_pfnSetWinEventHook;
    UnhookWinEventFn m_pfnUnhookWinEvent;

private:
    static void CALLBACK OnWinEvent(HWINEVENTHOOK hHook, DWORD dwEvent, HWND hWnd, LONG idObject, LONG idChild,
                                    DWORD dwThread, DWORD dwTime);
    static void CALLBACK OnAskAgainTimer(HWND hWnd, UINT msg, UINT_PTR nIDEvent, DWORD dwTime);
    static void CALLBACK OnPingAnswer(HWND hWnd, UINT msg, ULONG_PTR dwData, LRESULT lResult);
    void OnDialogCreated(HWND hWnd);
    void OnWatchedEvent(DWORD dwEvent, HWND hWnd, LONG idObject, DWORD dwThread);
    void OnForegroundEvent();
    void Watch(HWND hWnd);
    void Unwatch();
    void Ping();
    void Register(bool bFirstAsk = true);
    void Unregister();

    static constexpr UINT kAskAgainDelay = 250; // ms
    static constexpr int kPingsPerEvent = 3;    // a dialog that waits hidden is not asked on and on

    static CDialogHotkey* s_pFollowing; // the hook procedure has no context of its own
    static ULONG_PTR s_nWatches;        // tells a late answer from one for the dialog watched now
    HWND m_hOwner = nullptr;
    WORD m_wHotkey = 0;
    DialogTest m_pfnTest = nullptr;
    Tell m_pfnTell = nullptr;
    FrontNote m_pfnNote = nullptr;
    void* m_pContext = nullptr;
    HWINEVENTHOOK m_hForegroundHook = nullptr;
    HWINEVENTHOOK m_hFocusHook = nullptr;
    HWINEVENTHOOK m_hCreateHook = nullptr; // until the system first reports a foreground change
    HWND m_hLastForeground = nullptr;
    bool m_bRegistered = false;
    WORD m_wToldTaken = 0; // the key last told as held by another program
    UINT_PTR m_uAskAgainTimer = 0;
    bool m_bAskAgain = false; // the key was refused once for the window in front: asked again before telling
    // A dialog not taken yet (made, hidden, or not recognisable yet), followed through its own events.
    HWND m_hWatched = nullptr;
    DWORD m_dwWatchedThread = 0;
    HWINEVENTHOOK m_hWatchHook = nullptr;
    ULONG_PTR m_nWatch = 0;
    bool m_bWatchedInFront = false;
    bool m_bPinging = false; // a message sent to the watched dialog waits for its answer
    int m_nPingsLeft = 0;
};
