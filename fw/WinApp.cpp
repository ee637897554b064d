// Application object of the framework layer.
#include "fw/WinApp.h"
#include "fw/DocTemplate.h"
#include "fw/NestedLoop.h"
#include "fw/Wnd.h"

#include <htmlhelp.h>

namespace {
CWinApp* g_pApp = nullptr;
}

CWinApp* AfxGetApp() { return g_pApp; }
CWnd* AfxGetMainWnd() { return g_pApp != nullptr ? g_pApp->m_pMainWnd : nullptr; }
HINSTANCE AfxGetResourceHandle() { return ::GetModuleHandleW(nullptr); }

std::string AfxLoadString(UINT nID)
{
    // With no buffer, LoadStringW hands back the resource's own text and its length: no limit.
    const wchar_t* pText = nullptr;
    int len = ::LoadStringW(AfxGetResourceHandle(), nID, reinterpret_cast<LPWSTR>(&pText), 0);
    return len > 0 && pText != nullptr ? WideToUtf8(std::wstring_view(pText, (size_t)len)) : std::string();
}

int AfxMessageBox(HWND hOwner, const std::string& text, const std::string& caption, UINT uType)
{
    CNestedLoop loop(CNestedLoop::Modal);
    return ::MessageBoxW(hOwner, Utf8ToWide(text).c_str(), Utf8ToWide(caption).c_str(), uType);
}

FARPROC AfxGetSystemProc(const char* pszModule, const char* pszName)
{
    const std::wstring module = Utf8ToWide(pszModule);
    HMODULE hModule = ::GetModuleHandleW(module.c_str());
    if (hModule == nullptr)
        hModule = ::LoadLibraryW(module.c_str());
    return hModule != nullptr ? ::GetProcAddress(hModule, pszName) : nullptr;
}

int AfxSmallIconSize(UINT dpi)
{
    if (dpi == 0)
        return ::GetSystemMetrics(SM_CXSMICON);
    // Windows 10 1607 and later size metrics for any DPI; before, the small icon scales with it.
    using ForDpiFn = int(WINAPI*)(int, UINT);
    if (auto pfn = AfxGetSystemProc<ForDpiFn>("user32.dll", "GetSystemMetricsForDpi"))
        return pfn(SM_CXSMICON, dpi);
    return ::MulDiv(16, (int)dpi, 96);
}

HICON AfxLoadSmallIcon(UINT nIDResource, UINT dpi)
{
    if (dpi == 0) {
        // Vista and later: the size the shell asks for, scaled down from a larger image if needed.
        using MetricFn = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, HICON*);
        if (auto pfn = AfxGetSystemProc<MetricFn>("comctl32.dll", "LoadIconMetric")) {
            HICON hIcon = nullptr;
            if (SUCCEEDED(pfn(AfxGetResourceHandle(), MAKEINTRESOURCEW(nIDResource), 0 /* LIM_SMALL */, &hIcon)))
                return hIcon;
        }
    }
    // LoadIcon would give the large image for the shell to shrink. Not LR_SHARED: older systems
    // share one image per resource whatever size was asked for.
    const int size = AfxSmallIconSize(dpi);
    return (HICON)::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nIDResource), IMAGE_ICON, size, size, 0);
}

HWND AfxTopLevelOf(HWND hWnd)
{
    while (hWnd != nullptr && (::GetWindowLongPtrW(hWnd, GWL_STYLE) & WS_CHILD) != 0 && ::GetParent(hWnd) != nullptr)
        hWnd = ::GetParent(hWnd);
    return hWnd;
}

BOOL AfxWorkAreaOf(HWND hWnd, RECT* prcWork)
{
    // Windows 98 / 2000 and later have monitors; NT 4.0 has one screen and its work area.
    struct MonitorInfo { DWORD cbSize; RECT rcMonitor, rcWork; DWORD dwFlags; }; // MONITORINFO
    using FromWindowFn = HANDLE(WINAPI*)(HWND, DWORD);
    using InfoFn = BOOL(WINAPI*)(HANDLE, MonitorInfo*);
    static const auto pfnFromWindow = AfxGetSystemProc<FromWindowFn>("user32.dll", "MonitorFromWindow");
    static const auto pfnInfo = AfxGetSystemProc<InfoFn>("user32.dll", "GetMonitorInfoW");
    MonitorInfo info = {sizeof(info), {}, {}, 0};
    HANDLE hMonitor = pfnFromWindow != nullptr ? pfnFromWindow(hWnd, 2 /* MONITOR_DEFAULTTONEAREST */) : nullptr;
    if (hMonitor != nullptr && pfnInfo != nullptr && pfnInfo(hMonitor, &info)) {
        *prcWork = info.rcWork;
        return TRUE;
    }
    return ::SystemParametersInfoW(SPI_GETWORKAREA, 0, prcWork, 0);
}

void AfxKeepInsideWorkArea(HWND hWnd)
{
    RECT rcWnd = {}, rcWork = {};
    if (hWnd == nullptr || !::GetWindowRect(hWnd, &rcWnd) || !AfxWorkAreaOf(hWnd, &rcWork))
        return;
    const LONG width = rcWnd.right - rcWnd.left, height = rcWnd.bottom - rcWnd.top;
    LONG x = rcWnd.left, y = rcWnd.top;
    if (x + width > rcWork.right)
        x = rcWork.right - width;
    if (y + height > rcWork.bottom)
        y = rcWork.bottom - height;
    if (x < rcWork.left)
        x = rcWork.left;
    if (y < rcWork.top)
        y = rcWork.top;
    if (x != rcWnd.left || y != rcWnd.top)
        ::SetWindowPos(hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

UINT AfxImageListColour()
{
    // DllGetVersion itself came with 4.70.
    struct DllVersionInfo { DWORD cbSize, dwMajorVersion, dwMinorVersion, dwBuildNumber, dwPlatformID; };
    using DllGetVersionFn = HRESULT(CALLBACK*)(DllVersionInfo*);
    auto pfn = AfxGetSystemProc<DllGetVersionFn>("comctl32.dll", "DllGetVersion");
    DllVersionInfo version = {sizeof(version), 0, 0, 0, 0};
    return pfn != nullptr && SUCCEEDED(pfn(&version)) ? 0x0020 /* ILC_COLOR32 */ : ILC_COLOR8;
}

CCommandLineInfo AfxParseCommandLine(const char* pszCmdLine)
{
    CCommandLineInfo info;
    std::string arg;
    bool inQuotes = false, haveArg = false;
    auto finish = [&]() {
        // Switches (/x, -x) are not used by this program; the first plain argument is the file.
        if (haveArg && !arg.empty() && arg[0] != '/' && arg[0] != '-' && info.m_nShellCommand == CCommandLineInfo::FileNew) {
            info.m_nShellCommand = CCommandLineInfo::FileOpen;
            info.m_strFileName = arg;
        }
        arg.clear();
        haveArg = false;
    };
    for (const char* p = pszCmdLine != nullptr ? pszCmdLine : ""; *p != '\0'; ++p) {
        if (*p == '"') {
            inQuotes = !inQuotes;
            haveArg = true;
        } else if ((*p == ' ' || *p == '\t') && !inQuotes) {
            finish();
        } else {
            arg += *p;
            haveArg = true;
        }
    }
    finish();
    return info;
}

CWinApp::CWinApp(const char* pszAppName)
{
    g_pApp = this;
    m_strAppName = pszAppName != nullptr ? pszAppName : AfxLoadString(57344);
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

std::string AfxArgumentsOf(const std::string& commandLine)
{
    // The program name ends at its closing quote, or at the first blank when it is not quoted.
    size_t pos = 0;
    if (!commandLine.empty() && commandLine[0] == '"') {
        size_t close = commandLine.find('"', 1);
        pos = close == std::string::npos ? commandLine.size() : close + 1;
    } else {
        pos = commandLine.find_first_of(" \t");
        if (pos == std::string::npos)
            pos = commandLine.size();
    }
    size_t start = commandLine.find_first_not_of(" \t", pos);
    return start == std::string::npos ? std::string() : commandLine.substr(start);
}

std::string AfxGetModuleFileName(HMODULE hModule)
{
    // Grows until the whole path fits: a path may be longer than MAX_PATH.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD len = ::GetModuleFileNameW(hModule, &path[0], (DWORD)path.size());
        if (len == 0)
            return std::string();
        if (len < path.size())
            return WideToUtf8(std::wstring_view(path.data(), len));
        path.resize(path.size() * 2);
    }
}

int CWinApp::WinMainBody(HINSTANCE hInstance, int nCmdShow)
{
    m_hInstance = hInstance;
    // WinMain's own argument is in the ANSI code page; the W command line has every name whole.
    m_strCmdLine = AfxArgumentsOf(WideToUtf8(::GetCommandLineW()));
    m_nCmdShow = nCmdShow;

    std::string helpPath = AfxGetModuleFileName(hInstance);
    size_t dot = helpPath.find_last_of('.');
    size_t slash = helpPath.find_last_of('\\');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        helpPath.erase(dot);
    m_strHelpFilePath = helpPath + ".HLP";

    int result = 0;
    if (InitInstance())
        result = Run();
    else if (m_pMainWnd != nullptr)
        m_pMainWnd->DestroyWindow();
    int exitCode = ExitInstance();
    CloseHelp();
    return result != 0 ? result : exitCode;
}

int CWinApp::Run()
{
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return (int)msg.wParam;
}

BOOL CWinApp::WinHelp(DWORD_PTR dwData, UINT nCmd)
{
    HWND hMain = m_pMainWnd != nullptr ? m_pMainWnd->m_hWnd : nullptr;
    // Without the file the viewer would only put up its own error box, and the call waits for
    // that box to be answered, holding this program's only thread.
    if (::GetFileAttributesW(Utf8ToWide(m_strHelpFilePath).c_str()) != INVALID_FILE_ATTRIBUTES)
        return ::WinHelpW(hMain, Utf8ToWide(m_strHelpFilePath).c_str(), nCmd, dwData);
    if (m_strHtmlHelpFilePath.empty() ||
        ::GetFileAttributesW(Utf8ToWide(m_strHtmlHelpFilePath).c_str()) == INVALID_FILE_ATTRIBUTES)
        return FALSE;
    // No owner: the main frame is never shown, and a window it owned would get no taskbar button.
    UINT uCommand = HtmlHelpCommandFor(nCmd);
    return m_htmlHelp.Show(nullptr, m_strHtmlHelpFilePath, uCommand, uCommand == HH_HELP_CONTEXT ? dwData : 0) != nullptr;
}

void CWinApp::CloseHelp()
{
    m_htmlHelp.Close();
}

void CWinApp::Enable3dControls()
{
    // Three-dimensional controls are the system's own look on the NT family; what remains
    // is registering the common control classes the program's windows use. comctl32 4.00 of
    // NT 4.0 has no InitCommonControlsEx; there the old call registers every class at once.
    using InitEx = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    InitEx pInitEx = AfxGetSystemProc<InitEx>("comctl32.dll", "InitCommonControlsEx");
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_TREEVIEW_CLASSES};
    if (pInitEx == nullptr || !pInitEx(&icc))
        ::InitCommonControls();
}

void CWinApp::LoadStdProfileSettings(UINT nMaxMRU)
{
    // The hidden frame's File menu is never shown, so the recent-file list is sized but never filled.
    m_nMaxMRU = nMaxMRU;
}

void CWinApp::AddDocTemplate(CSingleDocTemplate* pTemplate)
{
    m_pDocTemplate.reset(pTemplate);
}

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo)
{
    rCmdInfo = AfxParseCommandLine(m_strCmdLine.c_str());
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& rCmdInfo)
{
    if (m_pDocTemplate == nullptr)
        return FALSE;
    switch (rCmdInfo.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
        return m_pDocTemplate->OpenDocumentFile(nullptr) != nullptr;
    case CCommandLineInfo::FileOpen:
        return m_pDocTemplate->OpenDocumentFile(rCmdInfo.m_strFileName.c_str()) != nullptr;
    default:
        return TRUE;
    }
}

void CWinApp::CloseAllDocuments(BOOL bEndSession)
{
    if (m_pDocTemplate != nullptr)
        m_pDocTemplate->CloseAllDocuments(bEndSession);
}

BOOL CWinApp::OnCmdMsg(UINT nID, int nCode)
{
    if (nCode == 0 && nID == 0xE141 /* ID_APP_EXIT */ && m_pMainWnd != nullptr) {
        m_pMainWnd->PostMessage(WM_CLOSE);
        return TRUE;
    }
    return FALSE;
}

void CWinApp::OnFileNew()
{
    if (m_pDocTemplate != nullptr)
        m_pDocTemplate->OpenDocumentFile(nullptr);
}

void CWinApp::OnFileOpen()
{
    // No file dialog library is linked; the hidden frame never offers this command to a user.
}

void CWinApp::OnFilePrintSetup()
{
    // Nothing is ever printed; the command exists only for the standard menu.
}

void CWinApp::BeginWaitCursor()
{
    if (m_nWaitCursorCount++ == 0)
        m_hcurWaitCursorRestore = ::SetCursor(::LoadCursorW(nullptr, (LPCWSTR)IDC_WAIT));
    else
        ::SetCursor(::LoadCursorW(nullptr, (LPCWSTR)IDC_WAIT));
}

void CWinApp::EndWaitCursor()
{
    if (m_nWaitCursorCount > 0 && --m_nWaitCursorCount == 0)
        ::SetCursor(m_hcurWaitCursorRestore != nullptr ? m_hcurWaitCursorRestore : ::LoadCursorW(nullptr, (LPCWSTR)IDC_ARROW));
}

CWaitCursor::CWaitCursor()
{
    if (AfxGetApp() != nullptr)
        AfxGetApp()->BeginWaitCursor();
}

CWaitCursor::~CWaitCursor()
{
    if (AfxGetApp() != nullptr)
        AfxGetApp()->EndWaitCursor();
}
