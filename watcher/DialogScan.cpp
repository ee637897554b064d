// The scan of the desktop's top-level windows for a save dialog, and the paste into its file-name field.
#include "watcher/TrovelView.h"
#include "app/TrovelApp.h"
#include "watcher/DialogField.h"
#include "watcher/PasteFailure.h"
#include "watcher/PathInjection.h"
#include "watcher/Recognizer.h"

#include <cstring>

namespace {
const char kTraceFileName[] = "windows.txt";
constexpr int kTextMax = 256;    // characters a platform call may fill, terminator included
constexpr DWORD kPasteDelay = 1000; // ms between the scan and the paste
}

LRESULT CTrovelView::OnFindDialog(WPARAM wParam, LPARAM)
{
    m_pSelectedPath = nullptr;
    PathEntry* pEntry = nullptr;
    for (const auto& entry : m_pathList) {
        if ((WPARAM)entry->nID == wParam) {
            pEntry = entry.get();
            break;
        }
    }
    if (pEntry == nullptr)
        return 0;

    m_pSelectedPath = pEntry;
    m_bFound = false;
    m_hFoundWnd = nullptr;
    m_nFoundCtrlId = -1;
    m_nFoundKind = -1;

    // Without a trace file the scan still runs; the trace is only a diagnostic.
    m_pTraceFile = std::fopen(kTraceFileName, "w");
    m_strTraceLines.clear();
    ::EnumWindows(&CTrovelView::FindDialogEnumProc, (LPARAM)this);
    if (m_pTraceFile != nullptr) {
        // One write: a stream call per line would cost more than reading the windows themselves.
        std::fwrite(m_strTraceLines.data(), 1, m_strTraceLines.size(), m_pTraceFile);
        std::fclose(m_pTraceFile);
        m_pTraceFile = nullptr;
    }
    m_strTraceLines.clear();

    if (m_bFound) {
        // Gives the dialog time to settle after the menu closes and focus returns to it.
        ::Sleep(kPasteDelay);
        PostMessage(WM_PASTE_PATH, 0, 0);
    }
    return 0;
}

BOOL CALLBACK CTrovelView::FindDialogEnumProc(HWND hWnd, LPARAM lParam)
{
    CTrovelView* pView = reinterpret_cast<CTrovelView*>(lParam);
    if (pView == nullptr)
        return TRUE;
    pView->InspectWindow(hWnd);
    return pView->m_bFound ? FALSE : TRUE;
}

void CTrovelView::InspectWindow(HWND hWnd)
{
    char szTitle[kTextMax + 1];
    char szClass[kTextMax + 1];
    char szOwnerTitle[kTextMax + 1];
    std::memset(szTitle, 0, sizeof(szTitle));
    std::memset(szClass, 0, sizeof(szClass));
    std::memset(szOwnerTitle, 0, sizeof(szOwnerTitle));

    ::GetWindowTextA(hWnd, szTitle, kTextMax);
    if (::GetClassNameA(hWnd, szClass, kTextMax) == 0)
        return;
    HINSTANCE hInstance = (HINSTANCE)::GetWindowLongPtrA(hWnd, GWLP_HINSTANCE);
    // For a top-level window the parent slot holds the owner.
    HWND hOwner = (HWND)::GetWindowLongPtrA(hWnd, GWLP_HWNDPARENT);
    if (hOwner != nullptr)
        ::GetWindowTextA(hOwner, szOwnerTitle, kTextMax);
    if (hInstance == nullptr)
        return;

    // Handles fit in 32 bits on both flavours; the trace shows eight digits either way.
    char szLine[2 * kTextMax + 32];
    int nLength = std::snprintf(szLine, sizeof(szLine), "0x%.8x \"%s\" %s", (unsigned)(UINT_PTR)hWnd, szTitle, szClass);
    m_strWindowInfo.assign(szLine, nLength);
    if (m_pTraceFile != nullptr) {
        m_strTraceLines += m_strWindowInfo;
        m_strTraceLines += '\n'; // the text-mode stream makes it CR LF
    }

    // The title rules first; the kinds table then looks into "#32770" windows only.
    int nTitleRuleId = RecognizeDialog(szTitle, szClass, szOwnerTitle);
    DialogMatch match = ClassifyDialog(hWnd, szTitle, szClass, nTitleRuleId);
    if (match.nKind >= 0) {
        m_hFoundWnd = hWnd;
        m_nFoundCtrlId = match.nCtrlId;
        m_nFoundKind = match.nKind;
        m_bFound = true;
    }
}

int CTrovelView::RecognizeDialog(std::string_view title, std::string_view className, std::string_view ownerTitle) const
{
    return MatchDialog(m_nOSClass, title, className, ownerTitle);
}

namespace {

// Marks the view busy for the life of a paste, so a close that arrives meanwhile waits for it.
class CPasteBusy {
public:
    explicit CPasteBusy(CTrovelView* pView) : m_pView(pView) { m_pView->m_bPasting = true; }
    ~CPasteBusy()
    {
        m_pView->m_bPasting = false;
        m_pView->ResumeShutdown();
    }
    CPasteBusy(const CPasteBusy&) = delete;
    CPasteBusy& operator=(const CPasteBusy&) = delete;

private:
    CTrovelView* m_pView;
};

// Writes the text the way the dialog's kind takes it.
BOOL WriteField(const DialogKind& kind, HWND hField, const std::string& text)
{
    return kind.write == FieldWrite::SetText ? WriteForeignText(hField, text) : ReplaceForeignText(hField, text);
}

// The reason of a failed send: a blocked message means a target out of reach.
PasteFailure SendFailure(PasteFailure otherwise)
{
    return ::GetLastError() == ERROR_ACCESS_DENIED ? PasteFailure::RunsHigher : otherwise;
}

} // namespace

LRESULT CTrovelView::OnTrovelMsg(WPARAM, LPARAM)
{
    // Cleared when the path list is rebuilt, so a paste left over from before never reads a freed entry.
    if (m_pSelectedPath == nullptr || !m_bFound || m_bPasting)
        return 0;
    if (m_nFoundKind < 0 || m_nFoundKind >= kDialogKindCount || !::IsWindow(m_hFoundWnd))
        return 0; // the dialog has closed since the scan: nothing to do, nothing to tell

    // Every send below lets messages that other threads send in run meanwhile: Preferences and its
    // OK (which frees the path list), a shutdown, another scan. So the paste works on copies from
    // here on, and the busy mark holds off the view's teardown until it is done.
    const std::string folder = m_pSelectedPath->strPath;
    const HWND hDialog = m_hFoundWnd;
    const int nCtrlId = m_nFoundCtrlId;
    const DialogKind kind = kDialogKinds[m_nFoundKind];
    CPasteBusy busy(this);

    PasteFailure failure = PasteFailure::None;
    std::string composed;
    char szTyped[kTextMax + 1] = {};
    HWND hField = nullptr;
    if (TargetRunsHigher(hDialog)) {
        failure = PasteFailure::RunsHigher; // its field would not even answer: ask it nothing
    } else if ((hField = FindFileNameField(hDialog, kind, nCtrlId)) == nullptr) {
        failure = PasteFailure::NoField;
    } else if (!ReadForeignText(hField, szTyped, kTextMax)) {
        // Without the typed name the paste would replace it with "untitled": leave the field alone.
        failure = SendFailure(PasteFailure::NoAnswer);
    } else {
        composed = ComposePastePath(folder, szTyped);
        if (!WriteField(kind, hField, composed)) {
            failure = SendFailure(PasteFailure::NotTaken);
        } else if (!ForeignTextIs(hField, composed)) {
            failure = PasteFailure::NotTaken;
            // A field that kept part of the path would mislead: give back what the user had typed.
            WriteField(kind, hField, szTyped);
        }
    }

    std::memcpy(m_szFileName, szTyped, sizeof(m_szFileName));
    if (!composed.empty())
        m_strPathName = composed;
    // A dialog that closed meanwhile explains itself.
    if (failure == PasteFailure::None || !::IsWindow(hDialog))
        return 0;

    // What the user can paste by hand: the whole path when the typed name is known, else the folder.
    const std::string path = composed.empty() ? FolderWithBackslash(folder) : composed;
    BOOL bOnClipboard = PutTextOnClipboard(m_hWnd, path);
    TellUser(PasteFailureText(failure, ProgramNameOf(hDialog), path, bOnClipboard != FALSE));
    return 0;
}

bool CTrovelView::TargetRunsHigher(HWND hDialog) const
{
    DWORD dwOwn = 0, dwTarget = 0;
    BOOL bOwnKnown = m_pfnIntegrityLevel(nullptr, &dwOwn);
    BOOL bTargetKnown = m_pfnIntegrityLevel(hDialog, &dwTarget);
    bool bDenied = !bTargetKnown && ::GetLastError() == ERROR_ACCESS_DENIED;
    return RunsHigher(bOwnKnown, dwOwn, bTargetKnown, dwTarget, bDenied);
}

void CTrovelView::TellUser(const std::string& text)
{
    m_strLastNotice = text;
    const char* pszCaption = GetTrovelApp()->m_strAppName.c_str();
    if (m_trayIcon.ShowBalloon(pszCaption, text))
        return;
    CDialogShowingScope showing(this);
    ::MessageBoxA(m_hWnd, text.c_str(), pszCaption, MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
}
