// The application object: opens the settings root, builds document, frame and view, owns the link flags.
#pragma once

#include "fw/WinApp.h"
#include "app/InstanceGuard.h"
#include "app/RegistryKey.h"
#include "app/SettingsStore.h"

class CTrovelApp : public CWinApp {
public:
    CTrovelApp();

    CRegistryKey m_regRoot;          // the program's root key; every part reaches the registry through it
    int m_bEmailLinkVisited = 0;     // the About box's link flags, kept for the whole run
    int m_bWebLinkVisited = 0;
    CInstanceGuard m_instanceGuard;  // held while this copy runs
    BOOL m_bSettingsLossReported = FALSE; // the user has been told, once per run, that settings are not kept

    BOOL InitInstance() override;
    BOOL OnCmdMsg(UINT nID, int nCode) override;
    void OnAppAbout();

    // Points the settings store at this user's settings in the given places (the machine key where
    // it can be written, else the user's own key); the first-run import runs in a key this call made.
    SettingsSource OpenSettingsRoot(const SettingsPlaces& places);
};

// The application object, as the program's own type.
CTrovelApp* GetTrovelApp();
// The settings store under the program's root key.
CRegistryKey& AppRegistry();

// The compiled help file: the application name with ".chm", in the folder of the given file.
std::string HtmlHelpPathBeside(const std::string& filePath, const std::string& appName);
