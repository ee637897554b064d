// Application start-up: settings root, document template, command line.
#include "app/TrovelApp.h"
#include "app/MainFrame.h"
#include "app/TrovelDoc.h"
#include "fw/DocTemplate.h"
#include "watcher/TrovelView.h"
#include "res/resource.h"

CTrovelApp::CTrovelApp()
{
}

CTrovelApp* GetTrovelApp()
{
    return static_cast<CTrovelApp*>(AfxGetApp());
}

CRegistryKey& AppRegistry()
{
    return GetTrovelApp()->m_regRoot;
}

SettingsSource CTrovelApp::OpenSettingsRoot(const SettingsPlaces& places)
{
    return ChooseSettingsStore(places, m_regRoot);
}

std::string HtmlHelpPathBeside(const std::string& filePath, const std::string& appName)
{
    size_t slash = filePath.find_last_of('\\');
    return (slash == std::string::npos ? std::string() : filePath.substr(0, slash + 1)) + appName + ".chm";
}

BOOL CTrovelApp::InitInstance()
{
    // A second copy would put up a second icon, and whichever copy ended last would write its own
    // favourites over those just edited in the other. Users start the program again when they cannot
    // find its icon: the running copy shows its Preferences instead.
    if (!m_instanceGuard.Claim(("Larkfield Software " + m_strAppName + " running").c_str())) {
        if (!ShowRunningCopy(FindRunningCopy(kRunningCopyWait)))
            AfxMessageBox(nullptr, "Trovel is already running. Its icon is in the notification area.", m_strAppName,
                          MB_OK | MB_ICONINFORMATION);
        return FALSE;
    }

    // The help ships beside the exe as Trovel.chm, whatever the exe is called; a Trovel.HLP
    // beside it is still preferred.
    m_strHtmlHelpFilePath = HtmlHelpPathBeside(m_strHelpFilePath, m_strAppName);

    // Where nothing can be saved, the view says so once it is up.
    OpenSettingsRoot(DefaultSettingsPlaces(m_strAppName));

    Enable3dControls();
    LoadStdProfileSettings(4);

    AddDocTemplate(new CSingleDocTemplate(
        IDR_MAINFRAME,
        []() -> CDocument* { return new CTrovelDoc; },
        []() -> CFrameWnd* { return new CMainFrame; },
        []() -> CView* { return new CTrovelView; }));

    CCommandLineInfo cmdInfo;
    ParseCommandLine(cmdInfo);
    return ProcessShellCommand(cmdInfo);
}

BOOL CTrovelApp::OnCmdMsg(UINT nID, int nCode)
{
    if (nCode != 0)
        return CWinApp::OnCmdMsg(nID, nCode);
    switch (nID) {
    case ID_APP_ABOUT:
        OnAppAbout();
        return TRUE;
    case ID_FILE_NEW:
        OnFileNew();
        return TRUE;
    case ID_FILE_OPEN:
        OnFileOpen();
        return TRUE;
    case ID_FILE_PRINT_SETUP:
        OnFilePrintSetup();
        return TRUE;
    default:
        return CWinApp::OnCmdMsg(nID, nCode);
    }
}
