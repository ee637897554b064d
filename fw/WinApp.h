// Application object: start-up hooks, the message loop, help calls and the wait cursor.
#pragma once

#include "fw/CmdTarget.h"
#include <memory>

class CSingleDocTemplate;

// What the command line asks for: a new document, or to open the file it names.
class CCommandLineInfo {
public:
    enum Shell { FileNew, FileOpen, FileNothing };
    Shell m_nShellCommand = FileNew;
    std::string m_strFileName;
};

// Splits a command line into arguments with the platform's quoting rules (the program name excluded).
CCommandLineInfo AfxParseCommandLine(const char* pszCmdLine);

class CWinApp : public CCmdTarget {
public:
    // The name comes from string resource 57344 when none is given.
    explicit CWinApp(const char* pszAppName = nullptr);
    ~CWinApp() override;

    std::string m_strAppName;
    std::string m_strHelpFilePath;   // the executable's path with the extension .HLP
    HINSTANCE m_hInstance = nullptr;
    std::string m_strCmdLine;
    int m_nCmdShow = SW_SHOWNORMAL;  // how the main frame is shown when it is first activated
    CWnd* m_pMainWnd = nullptr;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int Run();
    virtual int ExitInstance() { return 0; }

    // Opens the program's help file with the given command (context, finder, ...).
    virtual void WinHelp(DWORD_PTR dwData, UINT nCmd = HELP_CONTEXT);

    void Enable3dControls();
    void LoadStdProfileSettings(UINT nMaxMRU);
    void AddDocTemplate(CSingleDocTemplate* pTemplate);
    CSingleDocTemplate* GetDocTemplate() const { return m_pDocTemplate.get(); }
    void ParseCommandLine(CCommandLineInfo& rCmdInfo);
    BOOL ProcessShellCommand(CCommandLineInfo& rCmdInfo);
    void CloseAllDocuments(BOOL bEndSession);

    // Standard commands; the base handles Exit, which asks the main window to close.
    BOOL OnCmdMsg(UINT nID, int nCode) override;
    void OnFileNew();
    void OnFileOpen();
    void OnFilePrintSetup();

    // Hourglass while slow work runs; calls nest.
    void BeginWaitCursor();
    void EndWaitCursor();

    // Sets up the process for this object and runs it; the body of WinMain.
    int WinMainBody(HINSTANCE hInstance, LPSTR lpCmdLine, int nCmdShow);

protected:
    std::unique_ptr<CSingleDocTemplate> m_pDocTemplate;
    UINT m_nMaxMRU = 0;

private:
    int m_nWaitCursorCount = 0;
    HCURSOR m_hcurWaitCursorRestore = nullptr;
};

// Shows the wait cursor for the lifetime of the object.
class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};
