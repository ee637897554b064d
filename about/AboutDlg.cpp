// The About box and the application's About command.
#include "about/AboutDlg.h"
#include "app/TrovelApp.h"
#include "res/resource.h"
#include "watcher/TrovelView.h"

CAboutDlg::CAboutDlg()
    : CDialog(IDD_ABOUTBOX)
{
}

BOOL CAboutDlg::OnInitDialog()
{
    m_emailLink.SubclassDlgItem(IDC_EMAIL_LINK, this);
    m_webLink.SubclassDlgItem(IDC_WEB_LINK, this);
    // The flags live in the application object, so a visited link stays purple for the whole run.
    CTrovelApp* pApp = GetTrovelApp();
    m_emailLink.m_pbVisited = &pApp->m_bEmailLinkVisited;
    m_webLink.m_pbVisited = &pApp->m_bWebLinkVisited;
    CDialog::OnInitDialog();
    return TRUE; // focus to the first tab stop, the OK button
}

void CTrovelApp::OnAppAbout()
{
    CAboutDlg aboutDlg;
    // Restores the state it found rather than clearing it: opened from the Other Settings page, the
    // Preferences sheet below is still up and must stay protected.
    CDialogShowingScope showing(GetTrovelView());
    aboutDlg.DoModal();
}
