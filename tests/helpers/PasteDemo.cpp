// Shows the main job on its own: a favourite planted through the first-run settings file, notepad's Save As
// dialog and then Wine's item dialog (IFileSaveDialog, shown by trovel_file_dialogs), the favourite
// picked through Trovel's command in each, and the file-name field before and after; then Trovel's
// hotkey, Ctrl+G, in Wine's item save dialog and in its item open dialog, and Enter in the menu it
// opens at the field, which takes the dialog to the folder with the typed name kept; confirmed, each
// dialog returns the file in that folder; and the favourite picked in a Browse for Folder dialog.
//
//   trovel_paste_demo TROVEL_EXE [SHOT_FLAG_FILE]
//
// Needs a Wine prefix where Trovel has never run (the settings file is read only on the first start).
// After each paste it prints "DIALOG x y width height" (notepad) or "ITEM-DIALOG x y width height" and,
// given a flag file, keeps that dialog up until the file (for the item dialog the file with ".item"
// added) exists, or 60 seconds, so a screenshot can be taken; then it ends the programs. The hotkey
// parts print HOTKEY-MENU, HOTKEY-RESULT, OPEN-MENU and OPEN-RESULT the same way, each waiting for
// the flag file with "." and the tag in lower case added. Last, a tray pick in the Browse for Folder
// dialog prints BROWSE-DIALOG and waits for the flag file with ".browse" added.
#include "tests/harness/Harness.h"
#include "tests/helpers/DemoSupport.h"
#include "tests/support/Shortcuts.h"

#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>

using namespace demo;

namespace {

const char kFolder[] = "C:\\users\\Public\\Documents\\";
const char kFavouriteName[] = "Documents";
const int kFavouriteId = 5000;
const WPARAM kNotepadSaveAs = 0x103;
const int kFileNameField = 1148;

std::string WindowsDir()
{
    char dir[MAX_PATH] = {};
    ::GetWindowsDirectoryA(dir, MAX_PATH);
    return dir;
}

std::string FieldText(HWND hField)
{
    char text[1024] = {};
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(hField, WM_GETTEXT, sizeof(text), (LPARAM)text, SMTO_NORMAL, 5000, &result);
    return text;
}

void PrintRect(const char* pszTag, RECT rc)
{
    std::printf("%s %ld %ld %ld %ld\n", pszTag, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    std::fflush(stdout);
}

void WaitForShot(const std::string& flag)
{
    if (!flag.empty())
        WaitUntil([&] { return ::GetFileAttributesA(flag.c_str()) != INVALID_FILE_ATTRIBUTES; }, 60000);
}

std::string ReadFileText(const std::string& path)
{
    std::string text(4096, '\0');
    FILE* pFile = std::fopen(path.c_str(), "rb");
    text.resize(pFile != nullptr ? std::fread(&text[0], 1, text.size(), pFile) : 0);
    if (pFile != nullptr)
        std::fclose(pFile);
    return text;
}

// One of Wine's item dialogs, shown by another program in another folder: Ctrl+G in it opens Trovel's
// menu beside the field ("TAG-MENU" with the dialog and the menu), Enter picks the favourite, and the
// dialog shows the folder with the typed name back in its field ("TAG-RESULT"). True when it then
// returns the file in the favourite's folder.
bool HotkeyPart(DWORD trovelPid, const char* pszKind, const char* pszTitle, const std::string& tag,
                const std::string& shotFlag)
{
    PROCESS_INFORMATION program = {};
    const std::string resultFile = WindowsDir() + "\\Temp\\trovel-demo-result.txt";
    ::DeleteFileA(resultFile.c_str());
    const std::string args = std::string(pszKind) + " \"" + resultFile + "\"";
    HWND hDialog = nullptr, hField = nullptr;
    bool bFilled = false;
    if (!Start(TROVEL_HELPER("trovel_file_dialogs"), program, "C:\\users\\Public", args) ||
        !WaitUntil([&] { return (hDialog = TopWindowOf(program.dwProcessId, "#32770", pszTitle, true)) != nullptr; }) ||
        !WaitUntil([&] { return (hField = ::GetDlgItem(hDialog, 1152)) != nullptr && FieldText(hField) == "report.txt"; })) {
        std::printf("Wine's item dialog \"%s\" did not appear\n", pszTitle);
    } else {
        ::SetForegroundWindow(hDialog);
        WaitUntil([] { return !KeyFreeForOthers(); }, 5000);
        std::printf("Wine's item dialog \"%s\" is in front; file name field: \"%s\"; pressing Ctrl+G\n", pszTitle,
                    FieldText(hField).c_str());
        std::fflush(stdout);
        SendKeys({{VK_CONTROL, true}, {'G', true}, {'G', false}, {VK_CONTROL, false}});
        HWND hMenu = nullptr;
        if (!WaitUntil([&] { return (hMenu = VisibleMenuOf(trovelPid)) != nullptr; }, 5000)) {
            std::printf("Ctrl+G opened no menu\n");
        } else {
            RECT rc = {}, rcMenu = {};
            ::GetWindowRect(hDialog, &rc);
            ::GetWindowRect(hMenu, &rcMenu);
            ::UnionRect(&rc, &rc, &rcMenu);
            std::printf("Trovel's menu is open beside the field; pressing Enter on \"%s\"\n", kFavouriteName);
            PrintRect((tag + "-MENU").c_str(), rc);
            WaitForShot(shotFlag + "." + tag + "-menu");
            SendKeys({{VK_RETURN, true}, {VK_RETURN, false}});
            // The dialog goes to the folder, which it lists, and the name comes back into its field.
            WaitUntil([&] { return VisibleMenuOf(trovelPid) == nullptr; }, 5000);
            ::Sleep(1000);
            std::printf("The dialog shows %s; file name field: \"%s\"\n", kFolder, FieldText(hField).c_str());
            ::GetWindowRect(hDialog, &rc);
            PrintRect((tag + "-RESULT").c_str(), rc);
            WaitForShot(shotFlag + "." + tag + "-result");
        }
        // The user confirms: the dialog returns the file in the picked folder.
        ::PostMessageA(hDialog, WM_COMMAND, IDOK, 0);
        ::WaitForSingleObject(program.hProcess, 10000);
        const std::string returned = ReadFileText(resultFile);
        std::printf("Confirmed, the dialog returned \"%s\"\n", returned.c_str());
        bFilled = returned == std::string(kFolder) + "report.txt";
    }
    if (program.hProcess != nullptr) {
        ::TerminateProcess(program.hProcess, 0);
        ::CloseHandle(program.hThread);
        ::CloseHandle(program.hProcess);
    }
    return bFilled;
}

// The platform's Browse for Folder dialog in its new style with the edit box, shown by another
// program: the favourite picked through Trovel's command shows its folder selected in the tree, and
// its name in the edit box ("BROWSE-DIALOG"); the user's OK then returns that folder. True when it did.
bool BrowsePart(HWND hView, const std::string& shotFlag)
{
    PROCESS_INFORMATION program = {};
    const std::string resultFile = WindowsDir() + "\\Temp\\trovel-demo-result.txt";
    ::DeleteFileA(resultFile.c_str());
    HWND hDialog = nullptr, hEdit = nullptr;
    bool bReturned = false;
    if (!Start(TROVEL_HELPER("trovel_file_dialogs"), program, "C:\\users\\Public", "browse-edit \"" + resultFile + "\"") ||
        !WaitUntil([&] { return (hDialog = TopWindowOf(program.dwProcessId, "#32770", "Browse for Folder", true)) != nullptr; }) ||
        !WaitUntil([&] { return (hEdit = ::GetDlgItem(hDialog, 14149)) != nullptr && ::IsWindowVisible(hEdit); })) {
        std::printf("The Browse for Folder dialog did not appear\n");
    } else {
        ::SetForegroundWindow(hDialog);
        std::printf("The Browse for Folder dialog is open; its folder box: \"%s\"\n", FieldText(hEdit).c_str());
        std::printf("Picking \"%s\" (command %d) in Trovel's menu\n", kFavouriteName, kFavouriteId);
        std::fflush(stdout);
        ::PostMessageA(hView, WM_COMMAND, MAKEWPARAM(kFavouriteId, 0), 0);
        WaitUntil([&] { return FieldText(hEdit) == kFavouriteName; }, 10000);
        std::printf("Its tree shows the folder selected; its folder box: \"%s\"\n", FieldText(hEdit).c_str());
        RECT rc = {};
        ::GetWindowRect(hDialog, &rc);
        PrintRect("BROWSE-DIALOG", rc);
        WaitForShot(shotFlag + ".browse");
        // The user presses OK: the dialog returns the folder.
        ::PostMessageA(hDialog, WM_COMMAND, IDOK, 0);
        ::WaitForSingleObject(program.hProcess, 10000);
        const std::string returned = ReadFileText(resultFile);
        std::printf("OK pressed, the dialog returned \"%s\"\n", returned.c_str());
        bReturned = returned + "\\" == kFolder;
    }
    if (program.hProcess != nullptr) {
        ::TerminateProcess(program.hProcess, 0);
        ::CloseHandle(program.hThread);
        ::CloseHandle(program.hProcess);
    }
    return bReturned;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::printf("usage: trovel_paste_demo TROVEL_EXE [SHOT_FLAG_FILE]\n");
        return 2;
    }
    const std::string trovelExe = argv[1];
    const std::string shotFlag = argc > 2 ? argv[2] : "";

    // The first-run settings file: read once, by the start that creates the settings key.
    HKEY hExisting = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kTrovelRoot, 0, KEY_READ | KEY_WOW64_32KEY, &hExisting) == ERROR_SUCCESS) {
        ::RegCloseKey(hExisting);
        return Fail("Trovel has run in this Wine prefix before; the settings file would be ignored");
    }
    const std::string iniPath = WindowsDir() + "\\Trovel.INI";
    FILE* pIni = std::fopen(iniPath.c_str(), "w");
    if (pIni == nullptr)
        return Fail("cannot write the settings file");
    std::fprintf(pIni, "[Newbie]\nHelp=1\n[PathList]\nP0=%s\nSN0=%s\nID0=%d\n", kFolder, kFavouriteName, kFavouriteId);
    std::fclose(pIni);
    std::printf("Planted favourite \"%s\" = %s through %s\n", kFavouriteName, kFolder, iniPath.c_str());

    UseUnmanagedWindows();

    PROCESS_INFORMATION trovel = {}, notepad = {};
    if (!Start(trovelExe, trovel))
        return Fail("cannot start Trovel.exe");
    HWND hFrame = nullptr, hView = nullptr;
    if (!WaitForTrovel(trovel, hFrame, hView))
        return Fail("Trovel's window did not appear");
    std::printf("Trovel is running in the tray\n");

    if (!Start(WindowsDir() + "\\notepad.exe", notepad, "C:\\users\\Public"))
        return Fail("cannot start notepad");
    HWND hNotepad = nullptr, hDialog = nullptr, hField = nullptr;
    if (!WaitUntil([&] { return (hNotepad = TopWindowOf(notepad.dwProcessId, "Notepad", nullptr)) != nullptr; }))
        return Fail("notepad's window did not appear");
    ::PostMessageA(hNotepad, WM_COMMAND, kNotepadSaveAs, 0);
    if (!WaitUntil([&] { return (hDialog = TopWindowOf(notepad.dwProcessId, "#32770", "Save As")) != nullptr; }) ||
        !WaitUntil([&] { return (hField = ::GetDlgItem(hDialog, kFileNameField)) != nullptr; }))
        return Fail("notepad's Save As dialog did not appear");

    // What the user would have typed.
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(hField, WM_SETTEXT, 0, (LPARAM)"report.txt", SMTO_NORMAL, 5000, &result);
    const std::string before = FieldText(hField);
    std::printf("Notepad's Save As dialog is open; file name field: \"%s\"\n", before.c_str());

    // The tray menu item sends this command to Trovel's view.
    std::printf("Picking \"%s\" (command %d) in Trovel's menu\n", kFavouriteName, kFavouriteId);
    std::fflush(stdout);
    ::PostMessageA(hView, WM_COMMAND, MAKEWPARAM(kFavouriteId, 0), 0);
    WaitUntil([&] { return FieldText(hField) != before; }, 10000);
    const std::string after = FieldText(hField);
    std::printf("File name field after the paste: \"%s\"\n", after.c_str());

    RECT rc = {};
    ::GetWindowRect(hDialog, &rc);
    std::printf("DIALOG %ld %ld %ld %ld\n", rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    std::fflush(stdout);
    if (!shotFlag.empty())
        WaitUntil([&] { return ::GetFileAttributesA(shotFlag.c_str()) != INVALID_FILE_ATTRIBUTES; }, 60000);

    ::PostMessageA(hDialog, WM_COMMAND, IDCANCEL, 0);
    ::TerminateProcess(notepad.hProcess, 0);
    bool bNotepadPasted = after == std::string(kFolder) + "report.txt";

    // The same pick in Wine's item dialog, titled "Save", its field a plain edit.
    bool bItemPasted = false;
    PROCESS_INFORMATION item = {};
    const std::string itemArgs = "item-save \"" + WindowsDir() + "\\Temp\\trovel-demo-result.txt\"";
    HWND hItem = nullptr, hItemField = nullptr;
    if (Start(TROVEL_HELPER("trovel_file_dialogs"), item, "C:\\users\\Public", itemArgs) &&
        WaitUntil([&] { return (hItem = TopWindowOf(item.dwProcessId, "#32770", "Save", true)) != nullptr; }) &&
        WaitUntil([&] { return (hItemField = ::GetDlgItem(hItem, 1152)) != nullptr && FieldText(hItemField) == "report.txt"; })) {
        std::printf("Wine's item dialog \"Save\" is open; file name field: \"%s\"\n", FieldText(hItemField).c_str());
        std::printf("Picking \"%s\" (command %d) in Trovel's menu\n", kFavouriteName, kFavouriteId);
        std::fflush(stdout);
        ::PostMessageA(hView, WM_COMMAND, MAKEWPARAM(kFavouriteId, 0), 0);
        WaitUntil([&] { return FieldText(hItemField) != "report.txt"; }, 10000);
        const std::string itemAfter = FieldText(hItemField);
        std::printf("File name field after the paste: \"%s\"\n", itemAfter.c_str());
        bItemPasted = itemAfter == std::string(kFolder) + "report.txt";
        ::GetWindowRect(hItem, &rc);
        std::printf("ITEM-DIALOG %ld %ld %ld %ld\n", rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
        std::fflush(stdout);
        if (!shotFlag.empty())
            WaitUntil([&] { return ::GetFileAttributesA((shotFlag + ".item").c_str()) != INVALID_FILE_ATTRIBUTES; }, 60000);
        ::PostMessageA(hItem, WM_COMMAND, IDCANCEL, 0);
        ::WaitForSingleObject(item.hProcess, 10000);
    } else {
        std::printf("Wine's item dialog did not appear\n");
    }

    // The same at the dialog itself, by Trovel's hotkey: in the item save dialog, then in the item
    // open dialog; the favourite's folder holds files of its own, so the dialog is seen to be there.
    for (const char* pszFile : {"Budget 2027.txt", "Minutes of the meeting.txt"}) {
        HANDLE hFile = ::CreateFileA((std::string(kFolder) + pszFile).c_str(), GENERIC_WRITE, 0, nullptr,
                                     CREATE_ALWAYS, 0, nullptr);
        if (hFile != INVALID_HANDLE_VALUE)
            ::CloseHandle(hFile);
    }
    // Folders the user worked in lately, as the platform lists them: the menu at the dialog shows them
    // below the favourites, newest first.
    const std::wstring recent = RecentFolderPath();
    const struct {
        const wchar_t* pszFolder;
        const wchar_t* pszLink;
        int nAge;
    } used[] = {{L"C:\\users\\Public\\Invoices 2026", L"Invoices 2026.lnk", 5},
                {L"C:\\users\\Public\\Photos\\Holiday", L"Holiday.lnk", 60}};
    for (const auto& item : used) {
        ::CreateDirectoryW(L"C:\\users\\Public\\Photos", nullptr);
        ::CreateDirectoryW(item.pszFolder, nullptr);
        if (!recent.empty() && MakeShortcut(recent + item.pszLink, item.pszFolder, FILE_ATTRIBUTE_DIRECTORY, item.nAge))
            std::printf("Recent item: %ls\n", item.pszFolder);
    }
    const bool bHotkeySaved = HotkeyPart(trovel.dwProcessId, "item-save", "Save", "HOTKEY", shotFlag);
    HANDLE hReport = ::CreateFileA((std::string(kFolder) + "report.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                                   CREATE_ALWAYS, 0, nullptr); // to open
    if (hReport != INVALID_HANDLE_VALUE)
        ::CloseHandle(hReport);
    const bool bHotkeyOpened = HotkeyPart(trovel.dwProcessId, "item-open", "Open", "OPEN", shotFlag);
    const bool bBrowsed = BrowsePart(hView, shotFlag);

    ::PostMessageA(hFrame, kAppClose, 0, 0);
    ::WaitForSingleObject(trovel.hProcess, 10000);
    for (PROCESS_INFORMATION* pi : {&trovel, &notepad, &item}) {
        if (pi->hProcess == nullptr)
            continue;
        ::CloseHandle(pi->hThread);
        ::CloseHandle(pi->hProcess);
    }
    if (!bNotepadPasted)
        return Fail("the field did not get the favourite folder");
    if (!bItemPasted)
        return Fail("the item dialog's field did not get the favourite folder");
    if (!bHotkeySaved)
        return Fail("Ctrl+G in the item save dialog did not take it to the favourite's folder");
    if (!bHotkeyOpened)
        return Fail("Ctrl+G in the item open dialog did not take it to the favourite's folder");
    return bBrowsed ? 0 : Fail("the Browse for Folder dialog did not return the favourite's folder");
}
