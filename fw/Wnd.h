// Window base: binds a C++ object to its window and routes messages and commands to it.
#pragma once

#include "fw/CmdTarget.h"

class CDataExchange;

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    // The object bound to a window by this layer, or null.
    static CWnd* FromHandlePermanent(HWND hWnd);

    // Borrowing: remember a window created elsewhere without routing its messages here.
    void Attach(HWND hWnd) { m_hWnd = hWnd; }
    HWND Detach();
    // Taking over: route an existing window's messages through this object.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);

    // Data exchange between member variables and controls (dialogs and forms).
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    virtual void DoDataExchange(CDataExchange* pDX) {}

    // Thin wrappers over the window functions the program uses.
    HWND GetDlgItem(int nID) const { return ::GetDlgItem(m_hWnd, nID); }
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL MoveWindow(int x, int y, int cx, int cy, BOOL bRepaint = TRUE) { return ::MoveWindow(m_hWnd, x, y, cx, cy, bRepaint); }
    void GetWindowRect(RECT* pRect) const { ::GetWindowRect(m_hWnd, pRect); }
    void GetClientRect(RECT* pRect) const { ::GetClientRect(m_hWnd, pRect); }
    UINT_PTR SetTimer(UINT_PTR nID, UINT nElapse) { return ::SetTimer(m_hWnd, nID, nElapse, nullptr); }
    BOOL KillTimer(UINT_PTR nID) { return ::KillTimer(m_hWnd, nID); }
    LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return ::SendMessageW(m_hWnd, msg, wp, lp); }
    BOOL PostMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return ::PostMessageW(m_hWnd, msg, wp, lp); }
    std::string GetWindowText() const;
    void SetWindowText(const std::string& text) { AfxSetWindowText(m_hWnd, text); }
    DWORD GetStyle() const { return (DWORD)::GetWindowLongPtrW(m_hWnd, GWL_STYLE); }
    void ModifyStyle(DWORD dwRemove, DWORD dwAdd);
    void Invalidate(BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
    HWND SetFocus() { return ::SetFocus(m_hWnd); }
    BOOL DestroyWindow();

protected:
    // The class's message table: handle what it knows, pass the rest to the base.
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // WM_NOTIFY from a child that the child itself did not take; TRUE when handled.
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) { return FALSE; }
    // Messages a parent reflects back to the control that caused them; TRUE when handled.
    virtual BOOL OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) { return FALSE; }
    // Called after the window is gone (WM_NCDESTROY); views and frames delete themselves here.
    virtual void PostNcDestroy() {}
    // The processing the window would get without this object.
    virtual LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // Default processing of the message being handled now.
    LRESULT Default();

    // Window procedure for windows created or subclassed by this layer.
    static LRESULT CALLBACK StdWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // Dialog procedure for dialogs, forms and pages; results go back through DWLP_MSGRESULT.
    static INT_PTR CALLBACK DlgProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static INT_PTR DispatchDialogMessage(CWnd* pWnd, HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

    // The object that the next window created on this thread belongs to; bound at its first message.
    static CWnd*& PendingCreation();
    void Bind(HWND hWnd);

    bool m_bDialog = false;      // created from a template, served by DlgProc
    bool m_bUnhandled = false;   // set by Default() inside a dialog: the dialog manager decides
    bool m_bLockoutNotify = false; // control notifications ignored while data exchange runs
    WNDPROC m_pfnSuper = nullptr; // the window's own procedure when subclassed

private:
    struct Message { UINT msg; WPARAM wParam; LPARAM lParam; };
    Message m_current{};
    bool* m_pbAlive = nullptr; // flag of the innermost dispatch; cleared when a handler deletes this object
    // Runs the message through WindowProc. Returns false when the object was deleted meanwhile
    // (a close handler may destroy the window whose message it is handling); then touch nothing of it.
    bool Dispatch(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result, bool& bUnhandled);
    void Unbind();
};
