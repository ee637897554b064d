// The application object: opens the settings root, builds document, frame and view, owns the link flags.
#pragma once

#include "fw/WinApp.h"
#include "app/InstanceGuard.h"
#include "app/RegistryKey.h"

class CTrovelApp : public CWinApp {
public:
    CTrovelApp();

    CRegistryKey m_regRoot;          // the program's root key; every part reaches the registry through it
    int m_bEmailLinkVisited = 0;     // the About box's link flags, kept for the whole run
    int m_bWebLinkVisited = 0;
    CInstanceGuard m_instanceGuard;  // held while this copy runs

    BOOL InitInstance() override;
    BOOL OnCmdMsg(UINT nID, int nCode) override;
    void OnAppAbout();

    // Opens (creating when missing) the root key for this application name; the first-run
    // import runs when this call created it. Returns whether the key was created.
    BOOL OpenSettingsRoot(HKEY hive);
};

// The application object, as the program's own type.
CTrovelApp* GetTrovelApp();
// The settings store under the program's root key.
CRegistryKey& AppRegistry();

// The compiled help file: the application name with ".chm", in the folder of the given file.
std::string HtmlHelpPathBeside(const std::string& filePath, const std::string& appName);

// "Software\Larkfield Software\" followed by the application name.
std::string SettingsRootPath(const std::string& appName);
