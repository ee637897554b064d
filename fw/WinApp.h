// Application object: start-up hooks, the message loop, help calls and the wait cursor.
#pragma once

#include "fw/CmdTarget.h"
#include "fw/HtmlHelp.h"
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
// A whole command line without the program name at its start.
std::string AfxArgumentsOf(const std::string& commandLine);
// The module's full path, of any length; "" when it cannot be had.
std::string AfxGetModuleFileName(HMODULE hModule);

class CWinApp : public CCmdTarget {
public:
    // The name comes from string resource 57344 when none is given.
    explicit CWinApp(const char* pszAppName = nullptr);
    ~CWinApp() override;

    std::string m_strAppName;
    std::string m_strHelpFilePath;   // the executable's path with the extension .HLP
    std::string m_strHtmlHelpFilePath; // compiled HTML help used when that .HLP is missing; empty: none
    HINSTANCE m_hInstance = nullptr;
    std::string m_strCmdLine;
    int m_nCmdShow = SW_SHOWNORMAL;  // how the main frame is shown when it is first activated
    CWnd* m_pMainWnd = nullptr;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int Run();
    virtual int ExitInstance() { return 0; }

    // Opens the program's help with the given WinHelp command (context, finder, ...): the .HLP file
    // when it exists, else the compiled HTML help; neither there, nothing.
    // TRUE when a help window opened (or the old viewer was started).
    virtual BOOL WinHelp(DWORD_PTR dwData, UINT nCmd = HELP_CONTEXT);
    // Closes the HTML help windows; the main frame does this as it goes, so none outlives the program.
    void CloseHelp();

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
    int WinMainBody(HINSTANCE hInstance, int nCmdShow);

protected:
    std::unique_ptr<CSingleDocTemplate> m_pDocTemplate;
    UINT m_nMaxMRU = 0;

private:
    CHtmlHelp m_htmlHelp;
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
