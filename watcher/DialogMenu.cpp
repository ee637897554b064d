// The pop-up menu beside another program's file-name field, and the way back to that field.
#include "watcher/DialogMenu.h"
#include "fw/NestedLoop.h"
#include "watcher/PathInjection.h"

namespace {

const wchar_t kOwnerClass[] = L"TrovelDialogMenuOwner";

// The menu's owner: selects the first item once the menu is up, by the key a user would press.
LRESULT CALLBACK OwnerProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_ENTERIDLE && wParam == MSGF_MENU && ::GetWindowLongPtrW(hWnd, GWLP_USERDATA) == 0) {
        ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, 1);
        ::PostMessageW((HWND)lParam, WM_KEYDOWN, VK_DOWN, 0);
        return 0;
    }
    return ::DefWindowProcW(hWnd, msg, wParam, lParam);
}

HWND CreateOwner()
{
    HINSTANCE hInstance = ::GetModuleHandleW(nullptr);
    WNDCLASSW wc = {};
    if (!::GetClassInfoW(hInstance, kOwnerClass, &wc)) {
        wc.lpfnWndProc = &OwnerProc;
        wc.hInstance = hInstance;
        wc.lpszClassName = kOwnerClass;
        ::RegisterClassW(&wc);
    }
    return ::CreateWindowExW(WS_EX_TOOLWINDOW, kOwnerClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, hInstance,
                             nullptr);
}

// About the height the menu will take; only to choose a side of the field. Windows then keeps
// the field uncovered by itself (TPM_VERTICAL and the excluded rectangle); Wine does not.
int ApproximateMenuHeight(const std::vector<MenuRow>& rows)
{
    const int cyItem = ::GetSystemMetrics(SM_CYMENU);
    int cy = 4 * ::GetSystemMetrics(SM_CYEDGE);
    for (const MenuRow& row : rows)
        cy += row.pick == MenuPick::Separator ? cyItem / 2 : cyItem;
    return cy;
}

} // namespace

bool MenuFitsBelow(const RECT& rcField, int cyMenu, const RECT& rcWork)
{
    return rcField.bottom + cyMenu <= rcWork.bottom;
}

UINT TrackMenuBesideField(HWND hField, const std::vector<MenuRow>& rows, bool* pbLeftFor)
{
    if (pbLeftFor != nullptr)
        *pbLeftFor = false;
    RECT rcField = {};
    if (rows.empty() || !::GetWindowRect(hField, &rcField))
        return 0;
    HMENU hMenu = ::CreatePopupMenu();
    if (hMenu == nullptr)
        return 0;
    UINT nPicked = 0;
    HWND hOwner = CreateOwner();
    if (hOwner != nullptr && InsertMenuRows(hMenu, 0, rows) > 0) {
        // A menu takes keys only while its owner is in front; the hotkey that got here lets it come.
        ::SetForegroundWindow(hOwner);
        TPMPARAMS params = {sizeof(params), rcField};
        RECT rcWork = {0, 0, 0, ::GetSystemMetrics(SM_CYSCREEN)};
        AfxWorkAreaOf(hField, &rcWork);
        const bool bBelow = MenuFitsBelow(rcField, ApproximateMenuHeight(rows), rcWork);
        const UINT uFlags = TPM_LEFTALIGN | (bBelow ? TPM_TOPALIGN : TPM_BOTTOMALIGN) | TPM_VERTICAL | TPM_RETURNCMD |
                            TPM_LEFTBUTTON;
        {
            CNestedLoop loop(CNestedLoop::Menu);
            nPicked = (UINT)::TrackPopupMenuEx(hMenu, uFlags, rcField.left, bBelow ? rcField.bottom : rcField.top,
                                               hOwner, &params);
        }
        // Closed by a click elsewhere (its button still down as the menu ends), or after another
        // window took the front: the user went there, and it keeps the front.
        const HWND hFront = ::GetForegroundWindow();
        const bool bButtonDown = ((::GetAsyncKeyState(VK_LBUTTON) | ::GetAsyncKeyState(VK_RBUTTON) |
                                   ::GetAsyncKeyState(VK_MBUTTON)) & 0x8000) != 0;
        const bool bLeftFor = nPicked == 0 && (bButtonDown || (hFront != nullptr && hFront != hOwner));
        if (pbLeftFor != nullptr)
            *pbLeftFor = bLeftFor;
        // Else the field's dialog gets the front back before the owner goes: an active window destroyed
        // makes the system look for the next one to activate, a second change of the front.
        if (!bLeftFor)
            ::SetForegroundWindow(AfxTopLevelOf(hField));
        // Lets the menu's window close as soon as the owner loses the front (as the platform advises).
        ::PostMessageW(hOwner, WM_NULL, 0, 0);
    }
    if (hOwner != nullptr)
        ::DestroyWindow(hOwner);
    ::DestroyMenu(hMenu);
    return nPicked;
}

BOOL ReturnToDialog(HWND hDialog, HWND hField)
{
    if (!::IsWindow(hDialog))
        return FALSE;
    ::SetForegroundWindow(hDialog);
    if (hField == nullptr)
        return TRUE;
    // The dialog moves its own focus: focus cannot be set across threads directly.
    if (!AfxSendMessageBounded(hDialog, WM_NEXTDLGCTL, (WPARAM)hField, TRUE, kForeignReplyTimeout))
        return FALSE;
    // A dialog selects the whole text of an edit it moves to, which the next key typed would replace.
    DWORD_PTR nLength = 0;
    return AfxSendMessageBounded(hField, WM_GETTEXTLENGTH, 0, 0, kForeignReplyTimeout, &nLength) &&
           AfxSendMessageBounded(hField, EM_SETSEL, nLength, (LPARAM)nLength, kForeignReplyTimeout);
}
