// Shows one of the platform's real file dialogs with a name typed in, as another program would, and
// writes the file name the dialog returned (or "CANCELLED") to a file, in UTF-8, once it closes.
//
//   trovel_file_dialogs item-save|item-open|old-save RESULT_FILE [TYPED]
//
// TYPED is the name's UTF-8 bytes in hex, so that any name survives the command line; without it,
// "report.txt".
//
// item-save and item-open are the item dialogs (IFileSaveDialog, IFileOpenDialog); old-save is
// GetSaveFileName with a hook and without the Explorer style.
// The item dialogs came with Vista; the rest of the build targets older systems.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#include <windows.h>
#include <commdlg.h>
#include <shobjidl.h>

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

std::string ItemDialog(bool bSave, const std::wstring& typed)
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

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4)
        return 2;
    const std::string kind = argv[1];
    const std::wstring typed = Wide(argc == 4 ? FromHex(argv[3]) : std::string("report.txt"));
    std::string result = kind == "item-save"   ? ItemDialog(true, typed)
                         : kind == "item-open" ? ItemDialog(false, typed)
                         : kind == "old-save"  ? OldStyleSave(typed)
                                               : std::string("UNKNOWN KIND");
    FILE* pOut = std::fopen(argv[2], "wb");
    if (pOut == nullptr)
        return 1;
    std::fputs(result.c_str(), pOut);
    std::fclose(pOut);
    return 0;
}
