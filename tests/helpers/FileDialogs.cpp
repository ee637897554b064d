// Shows one of the platform's real file dialogs with "report.txt" typed in, as another program would,
// and writes the file name the dialog returned (or "CANCELLED") to a file once it closes.
//
//   trovel_file_dialogs item-save|item-open|old-save RESULT_FILE
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
#include <string>

namespace {

const char kTyped[] = "report.txt";

std::string ItemDialog(bool bSave)
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
    pDialog->SetFileName(L"report.txt");
    IShellItem* pItem = nullptr;
    if (SUCCEEDED(pDialog->Show(nullptr)) && SUCCEEDED(pDialog->GetResult(&pItem))) {
        wchar_t* pszPath = nullptr;
        if (SUCCEEDED(pItem->GetDisplayName(SIGDN_FILESYSPATH, &pszPath))) {
            char path[MAX_PATH * 2] = {};
            ::WideCharToMultiByte(CP_ACP, 0, pszPath, -1, path, sizeof(path), nullptr, nullptr);
            result = path;
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

std::string OldStyleSave()
{
    char file[1024] = {};
    std::snprintf(file, sizeof(file), "%s", kTyped);
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof(file);
    ofn.Flags = OFN_ENABLEHOOK; // without OFN_EXPLORER: the classic dialog
    ofn.lpfnHook = &OldStyleHook;
    return ::GetSaveFileNameA(&ofn) ? std::string(file) : std::string("CANCELLED");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    const std::string kind = argv[1];
    std::string result = kind == "item-save"   ? ItemDialog(true)
                         : kind == "item-open" ? ItemDialog(false)
                         : kind == "old-save"  ? OldStyleSave()
                                               : std::string("UNKNOWN KIND");
    FILE* pOut = std::fopen(argv[2], "w");
    if (pOut == nullptr)
        return 1;
    std::fputs(result.c_str(), pOut);
    std::fclose(pOut);
    return 0;
}
