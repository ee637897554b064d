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

std::string SettingsRootPath(const std::string& appName)
{
    return "Software\\Larkfield Software\\" + appName;
}

std::string HtmlHelpPathBeside(const std::string& filePath, const std::string& appName)
{
    size_t slash = filePath.find_last_of("\\/");
    return (slash == std::string::npos ? std::string() : filePath.substr(0, slash + 1)) + appName + ".chm";
}

BOOL CTrovelApp::OpenSettingsRoot(HKEY hive)
{
    HKEY hKey = nullptr;
    DWORD disposition = 0;
    BOOL created = FALSE;
    if (m_regRoot.OpenRoot(&hKey, &disposition, hive, SettingsRootPath(m_strAppName).c_str())) {
        created = disposition == REG_CREATED_NEW_KEY;
        if (created)
            m_regRoot.ImportIni(hKey);
        ::RegCloseKey(hKey);
    }
    return created;
}

BOOL CTrovelApp::InitInstance()
{
    // A second copy would put up a second icon, and whichever copy ended last would write its own
    // favourites over those just edited in the other.
    if (!m_instanceGuard.Claim(("Larkfield Software " + m_strAppName + " running").c_str()))
        return FALSE;

    // The help ships beside the exe as Trovel.chm, whatever the exe is called; a Trovel.HLP
    // beside it is still preferred.
    m_strHtmlHelpFilePath = HtmlHelpPathBeside(m_strHelpFilePath, m_strAppName);

    // A root that cannot be opened is not reported: reads then give their defaults.
    OpenSettingsRoot(HKEY_LOCAL_MACHINE);

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
