// Shows one of the platform's real file dialogs with a name typed in, as another program would, and
// writes the file name the dialog returned (or "CANCELLED") to a file, in UTF-8, once it closes.
//
//   trovel_file_dialogs item-save|item-open|item-folders|item-pick|old-save|vista-save|vista-open|vista-folders|
//                       explorer|other
//                       RESULT_FILE [TYPED]
//   trovel_file_dialogs browse-old|browse-new|browse-edit RESULT_FILE [ROOT]
//
// TYPED is the name's UTF-8 bytes in hex, so that any name survives the command line; without it,
// "report.txt". ROOT, in hex the same way, is the folder the Browse for Folder tree starts at; without
// it, the desktop. That dialog writes the folder it returned.
//
// item-save and item-open are the item dialogs (IFileSaveDialog, IFileOpenDialog, with a list of
// file types as programs give them), item-folders the open one that picks folders (FOS_PICKFOLDERS),
// titled "Open" as a program may title it, item-pick the same with the title the platform gives it;
// browse-old, browse-new and browse-edit are SHBrowseForFolderW in its old style, with
// BIF_NEWDIALOGSTYLE, and with BIF_NEWDIALOGSTYLE | BIF_EDITBOX;
// old-save is GetSaveFileName with a hook and without the Explorer style. vista-save and vista-open stand for
// the item dialogs of Windows Vista to 11, which Wine does not have: see Imitation below.
// explorer stands for a window of the platform's file manager, titled TYPED: a top-level window of its
// class with two tab windows, the first hidden and the second shown, as Windows 11 keeps its tabs;
// other for a window of any other program, titled TYPED.
//
// With TROVEL_TELL_FRONT set, every window of this program that comes to the front or shows says so,
// as Windows does for every window (EVENT_SYSTEM_FOREGROUND, EVENT_OBJECT_SHOW) and Wine does not.
// The item dialogs came with Vista; the rest of the build targets older systems.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#include <windows.h>
#include <commdlg.h>
#include <shobjidl.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

std::wstring Wide(const std::string& utf8)
{
    std::wstring wide(utf8.size() + 1, L'\0');
    wide.resize(::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), (int)utf8.size(), &wide[0], (int)wide.size()));
    return wide;
}

std::string Utf8(const wchar_t* pszWide)
{
    std::string utf8(std::wcslen(pszWide) * 4 + 1, '\0');
    utf8.resize(::WideCharToMultiByte(CP_UTF8, 0, pszWide, -1, &utf8[0], (int)utf8.size(), nullptr, nullptr) - 1);
    return utf8;
}

std::string FromHex(const std::string& hex)
{
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += (char)std::stoi(hex.substr(i, 2), nullptr, 16);
    return bytes;
}

std::string ItemDialog(bool bSave, bool bFolders, const std::wstring& typed, bool bOwnTitle = false)
{
    std::string result = "CANCELLED";
    if (FAILED(::CoInitialize(nullptr)))
        return "NO COM";
    IFileDialog* pDialog = nullptr;
    HRESULT hr = bSave ? ::CoCreateInstance(CLSID_FileSaveDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileSaveDialog,
                                            (void**)&pDialog)
                       : ::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                            (void**)&pDialog);
    if (FAILED(hr) || pDialog == nullptr)
        return "NO DIALOG";
    if (bFolders) {
        FILEOPENDIALOGOPTIONS options = 0;
        pDialog->GetOptions(&options);
        pDialog->SetOptions(options | FOS_PICKFOLDERS); // such a dialog takes no file types
        if (!bOwnTitle)
            pDialog->SetTitle(L"Open"); // as a program may title it
    } else {
        const COMDLG_FILTERSPEC types[] = {{L"Text", L"*.txt"}, {L"All files", L"*.*"}};
        pDialog->SetFileTypes(2, types);
    }
    pDialog->SetFileName(typed.c_str());
    IShellItem* pItem = nullptr;
    if (SUCCEEDED(pDialog->Show(nullptr)) && SUCCEEDED(pDialog->GetResult(&pItem))) {
        wchar_t* pszPath = nullptr;
        if (SUCCEEDED(pItem->GetDisplayName(SIGDN_FILESYSPATH, &pszPath))) {
            result = Utf8(pszPath);
            ::CoTaskMemFree(pszPath);
        }
        pItem->Release();
    }
    pDialog->Release();
    ::CoUninitialize();
    return result;
}

UINT_PTR CALLBACK OldStyleHook(HWND, UINT, WPARAM, LPARAM)
{
    return 0; // the dialog's own handling
}

std::string OldStyleSave(const std::wstring& typed)
{
    wchar_t file[2048] = {};
    typed.copy(file, 2047);
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.lpstrFile = file;
    ofn.nMaxFile = 2048;
    ofn.Flags = OFN_ENABLEHOOK; // without OFN_EXPLORER: the classic dialog
    ofn.lpstrTitle = L"Save As"; // Wine's W form of it leaves its own title out
    ofn.lpfnHook = &OldStyleHook;
    return ::GetSaveFileNameW(&ofn) ? Utf8(file) : std::string("CANCELLED");
}

// The item dialog of Windows Vista to 11, built from the platform's own controls with the classes,
// ids and child order that dialog has: the address bar first; then, in a save dialog, the name box
// at the end of its chain (DUIViewWndClassName > DirectUIHWND > FloatNotifySink > ComboBox 1001), or
// in an open dialog the name box ComboBoxEx32 1148 as a direct child. As there, a save dialog saves
// under the name its combo box last reported as typed, a folder given to either goes there, and it
// starts in the current directory. The one that picks folders shows no file-type list and chooses
// the folder in its field.
struct Imitation {
    bool bSave = false;
    bool bFolders = false;
    std::wstring folder; // the one shown, with its backslash
    HWND hDialog = nullptr, hAddress = nullptr, hName = nullptr, hSink = nullptr;
    std::string result;
};
Imitation g_imitation;

LRESULT CALLBACK SinkProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND && HIWORD(wParam) == CBN_EDITCHANGE) {
        wchar_t text[2048] = {};
        ::GetWindowTextW((HWND)lParam, text, 2048);
        ::SetWindowTextW(hWnd, text);
        return 0;
    }
    return ::DefWindowProcW(hWnd, msg, wParam, lParam);
}

HWND Child(HWND hParent, const wchar_t* pszClass, int nID = 0, DWORD style = 0, const wchar_t* pszText = L"")
{
    return ::CreateWindowExW(0, pszClass, pszText, WS_CHILD | WS_VISIBLE | style, 8, 8, 600, 300, hParent,
                             (HMENU)(INT_PTR)nID, ::GetModuleHandleW(nullptr), nullptr);
}

HWND EditIn(HWND hCombo)
{
    HWND hInner = ::FindWindowExW(hCombo, nullptr, L"ComboBox", nullptr);
    return ::FindWindowExW(hInner != nullptr ? hInner : hCombo, nullptr, L"Edit", nullptr);
}

std::wstring TextOf(HWND hWnd)
{
    std::wstring text((size_t)::GetWindowTextLengthW(hWnd) + 1, L'\0');
    text.resize(::GetWindowTextW(hWnd, &text[0], (int)text.size()));
    return text;
}

void OnImitationOk()
{
    Imitation& d = g_imitation;
    const std::wstring name = d.bSave ? TextOf(d.hSink) : TextOf(d.hName);
    if (name.empty())
        return;
    const bool bFull = (name.size() > 1 && name[1] == L':') || name.compare(0, 2, L"\\\\") == 0;
    std::wstring path = bFull ? name : d.folder + name;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (!d.bFolders && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        if (path.back() != L'\\')
            path += L'\\';
        d.folder = path;
        ::SetWindowTextW(d.hAddress, path.c_str());
        ::SetWindowTextW(d.hName, L"");
        if (d.hSink != nullptr)
            ::SetWindowTextW(d.hSink, L"");
        return;
    }
    d.result = Utf8(path.c_str());
    ::DestroyWindow(d.hDialog);
}

INT_PTR CALLBACK ImitationProc(HWND, UINT msg, WPARAM wParam, LPARAM)
{
    if (msg != WM_COMMAND)
        return FALSE;
    if (LOWORD(wParam) == IDOK) {
        OnImitationOk();
        return TRUE;
    }
    if (LOWORD(wParam) == IDCANCEL) {
        ::DestroyWindow(g_imitation.hDialog);
        return TRUE;
    }
    return FALSE;
}

std::string Imitate(bool bSave, bool bFolders, const std::wstring& typed)
{
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_USEREX_CLASSES};
    ::InitCommonControlsEx(&icc);
    for (const wchar_t* pszClass : {L"DUIViewWndClassName", L"DirectUIHWND", L"FloatNotifySink", L"WorkerW",
                                    L"ReBarWindow32", L"Address Band Root", L"msctls_progress32"}) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &SinkProc; // only a sink has combo boxes of its own to hear from
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = pszClass;
        ::RegisterClassW(&wc);
    }
    Imitation& d = g_imitation;
    d.bSave = bSave;
    d.bFolders = bFolders;
    wchar_t szDir[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, szDir);
    d.folder = szDir;
    if (d.folder.back() != L'\\')
        d.folder += L'\\';
    // German titles: the kind is told by the tree, in any language.
    d.hDialog = ::CreateWindowExW(0, L"#32770", bSave ? L"Speichern unter" : bFolders ? L"Ordner ausw\u00E4hlen" : L"\u00D6ffnen",
                                  WS_POPUP | WS_CAPTION | WS_SYSMENU, 40, 40, 640, 420, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
    ::SetWindowLongPtrW(d.hDialog, DWLP_DLGPROC, (LONG_PTR)&ImitationProc);
    HWND hBar = Child(Child(d.hDialog, L"WorkerW"), L"ReBarWindow32");
    d.hAddress = EditIn(Child(Child(Child(hBar, L"Address Band Root"), L"msctls_progress32"), L"ComboBoxEx32", 0xA205,
                              CBS_DROPDOWN));
    ::SetWindowTextW(d.hAddress, d.folder.c_str());
    HWND hDirect = Child(Child(d.hDialog, L"DUIViewWndClassName"), L"DirectUIHWND");
    if (bSave) {
        d.hSink = Child(hDirect, L"FloatNotifySink", 0, 0, typed.c_str());
        d.hName = EditIn(Child(d.hSink, L"ComboBox", 1001, CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_TABSTOP));
    } else {
        d.hName = EditIn(Child(d.hDialog, L"ComboBoxEx32", 1148, CBS_DROPDOWN | WS_TABSTOP));
    }
    ::SetWindowTextW(d.hName, typed.c_str());
    if (!bFolders)
        Child(Child(hDirect, L"FloatNotifySink"), L"ComboBox", 1002, CBS_DROPDOWNLIST); // the file type
    ::ShowWindow(d.hDialog, SW_SHOW);
    ::SetForegroundWindow(d.hDialog);
    ::SetFocus(d.hName);
    MSG msg;
    while (::IsWindow(d.hDialog) && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!::IsDialogMessageW(d.hDialog, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return d.result.empty() ? std::string("CANCELLED") : d.result;
}

LRESULT CALLBACK TellForeground(int nCode, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT* pMsg = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (nCode == HC_ACTION && pMsg->message == WM_ACTIVATE && LOWORD(pMsg->wParam) != WA_INACTIVE &&
        (::GetWindowLongW(pMsg->hwnd, GWL_STYLE) & WS_CHILD) == 0)
        ::NotifyWinEvent(EVENT_SYSTEM_FOREGROUND, pMsg->hwnd, OBJID_WINDOW, CHILDID_SELF);
    // Nor does Wine tell that a window has shown, which Windows does too.
    if (nCode == HC_ACTION && pMsg->message == WM_WINDOWPOSCHANGED &&
        (reinterpret_cast<const WINDOWPOS*>(pMsg->lParam)->flags & SWP_SHOWWINDOW) != 0)
        ::NotifyWinEvent(EVENT_OBJECT_SHOW, pMsg->hwnd, OBJID_WINDOW, CHILDID_SELF);
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

std::string OtherWindow(const wchar_t* pszClass, const std::wstring& title, bool bTabs)
{
    for (const wchar_t* pszRegistered : {pszClass, L"ShellTabWindowClass"}) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = pszRegistered;
        ::RegisterClassW(&wc);
    }
    HWND hFrame = ::CreateWindowExW(0, pszClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 60, 500,
                                    300, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    for (bool bShown : {false, true}) {
        if (bTabs)
            ::CreateWindowExW(0, L"ShellTabWindowClass", L"", WS_CHILD | (bShown ? WS_VISIBLE : 0), 0, 0, 480, 260,
                              hFrame, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    }
    MSG msg;
    while (::IsWindow(hFrame) && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return "CLOSED";
}

std::string BrowseForFolder(UINT flags, const std::wstring& root)
{
    if (FAILED(::CoInitialize(nullptr)))
        return "NO COM";
    std::string result = "CANCELLED";
    BROWSEINFOW info = {};
    wchar_t szName[MAX_PATH] = {};
    info.pszDisplayName = szName;
    info.lpszTitle = L"Choose the folder to keep the files in.";
    info.ulFlags = flags | BIF_RETURNONLYFSDIRS;
    if (!root.empty() && FAILED(::SHParseDisplayName(root.c_str(), nullptr, (PIDLIST_ABSOLUTE*)&info.pidlRoot, 0, nullptr)))
        return "NO ROOT";
    if (PIDLIST_ABSOLUTE pidl = ::SHBrowseForFolderW(&info)) {
        wchar_t szPath[MAX_PATH] = {};
        result = ::SHGetPathFromIDListW(pidl, szPath) ? Utf8(szPath) : std::string("NOT A FOLDER");
        ::CoTaskMemFree(pidl);
    }
    ::CoTaskMemFree((void*)info.pidlRoot);
    ::CoUninitialize();
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4)
        return 2;
    const std::string kind = argv[1];
    const std::wstring typed = Wide(argc == 4 ? FromHex(argv[3]) : std::string("report.txt"));
    wchar_t szTell[4] = {};
    if (::GetEnvironmentVariableW(L"TROVEL_TELL_FRONT", szTell, 4) > 0)
        ::SetWindowsHookExW(WH_CALLWNDPROCRET, &TellForeground, nullptr, ::GetCurrentThreadId());
    const std::wstring root = argc == 4 ? typed : std::wstring();
    std::string result = kind == "browse-old"     ? BrowseForFolder(0, root)
                         : kind == "browse-new"    ? BrowseForFolder(BIF_NEWDIALOGSTYLE, root)
                         : kind == "browse-edit"   ? BrowseForFolder(BIF_NEWDIALOGSTYLE | BIF_EDITBOX, root)
                         : kind == "item-save"     ? ItemDialog(true, false, typed)
                         : kind == "item-open"     ? ItemDialog(false, false, typed)
                         : kind == "item-folders"  ? ItemDialog(false, true, typed)
                         : kind == "item-pick"     ? ItemDialog(false, true, typed, true)
                         : kind == "old-save"      ? OldStyleSave(typed)
                         : kind == "vista-save"    ? Imitate(true, false, typed)
                         : kind == "vista-open"    ? Imitate(false, false, typed)
                         : kind == "vista-folders" ? Imitate(false, true, typed)
                         : kind == "explorer"      ? OtherWindow(L"CabinetWClass", typed, true)
                         : kind == "other"         ? OtherWindow(L"TrovelOtherProgram", typed, false)
                                                   : std::string("UNKNOWN KIND");
    FILE* pOut = std::fopen(argv[2], "wb");
    if (pOut == nullptr)
        return 1;
    std::fputs(result.c_str(), pOut);
    std::fclose(pOut);
    return 0;
}
