// The scan of the desktop's top-level windows for a file dialog, and the paste into its file-name field.
#include "watcher/TrovelView.h"
#include "app/TrovelApp.h"
#include "watcher/DialogField.h"
#include "watcher/PasteFailure.h"
#include "watcher/PathInjection.h"
#include "watcher/Recognizer.h"
#include "watcher/DialogSettings.h"
#include "watcher/ScanCandidates.h"

#include <cstring>

namespace {
const char kTraceFileName[] = "windows.txt";
// UTF-8 with its byte-order mark, so that every Notepad since Windows 2000 shows any title right.
const char kTraceFileStart[] = "\xEF\xBB\xBF";

// A title whole: one call for the usual short one, the length asked only when it may be longer.
std::string TitleOf(HWND hWnd)
{
    wchar_t szTitle[256];
    int len = ::GetWindowTextW(hWnd, szTitle, 256);
    if (len >= 255)
        return AfxGetWindowText(hWnd);
    return WideToUtf8(std::wstring_view(szTitle, len > 0 ? (size_t)len : 0));
}
}

LRESULT CTrovelView::OnFindDialog(WPARAM wParam, LPARAM)
{
    m_pSelectedPath = nullptr;
    m_strSelectedOpenFolder.clear();
    PathEntry* pEntry = nullptr;
    for (const auto& entry : m_pathList) {
        if ((WPARAM)entry->nID == wParam) {
            pEntry = entry.get();
            break;
        }
    }
    // A folder open in Explorer, as the tray menu listed it.
    const MenuRow* pRow = pEntry == nullptr ? FindMenuRow(m_menuRows, (UINT)wParam) : nullptr;
    if (pRow != nullptr && pRow->pick == MenuPick::OpenFolder)
        m_strSelectedOpenFolder = pRow->strFolder;
    if (pEntry == nullptr && m_strSelectedOpenFolder.empty())
        return 0;

    // A pick during the settle wait replaces the one before it.
    if (m_bSettling) {
        KillTimer(kSettleTimerId);
        m_bSettling = false;
    }
    m_pSelectedPath = pEntry;
    m_bFound = false;
    m_hFoundWnd = nullptr;
    m_nFoundCtrlId = -1;
    m_nFoundKind = -1;

    // Without a trace file the scan still runs; the trace is only a diagnostic.
    m_pTraceFile = std::fopen(kTraceFileName, "w");
    m_strTraceLines = kTraceFileStart;
    ::EnumWindows(&CTrovelView::FindDialogEnumProc, (LPARAM)this);
    if (m_pTraceFile != nullptr) {
        // One write: a stream call per line would cost more than reading the windows themselves.
        std::fwrite(m_strTraceLines.data(), 1, m_strTraceLines.size(), m_pTraceFile);
        std::fclose(m_pTraceFile);
        m_pTraceFile = nullptr;
    }
    m_strTraceLines.clear();

    // The dialog settles after the menu closes and focus returns to it; the wait is a timer, so the
    // program answers its messages throughout.
    if (m_bFound)
        m_bSettling = SetTimer(kSettleTimerId, kSettleDelay) != 0;
    return 0;
}

void CTrovelView::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == kBalloonTimerId) {
        KillTimer(kBalloonTimerId);
        const std::string text = m_strBalloonPending;
        m_strBalloonPending.clear();
        if (!text.empty())
            ShowNoticeBox(text); // the shell never showed the balloon
        return;
    }
    if (nIDEvent != kSettleTimerId)
        return;
    KillTimer(kSettleTimerId);
    if (!m_bSettling)
        return;
    m_bSettling = false;
    PostMessage(WM_PASTE_PATH, 0, 0);
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
    HWND hOwner = nullptr;
    bool bDescribed = false;
    DialogMatch match = RecogniseWindow(hWnd, &m_strWindowInfo, &hOwner, &bDescribed);
    if (bDescribed && m_pTraceFile != nullptr) {
        m_strTraceLines += m_strWindowInfo;
        m_strTraceLines += '\n'; // the text-mode stream makes it CR LF
    }
    // Most windows are neither a dialog nor a box over a disabled one: they cost nothing more.
    // (hOwner is set only for a window of the dialog class, which boxes are.)
    const bool bOwnerDisabled = hOwner != nullptr && !::IsWindowEnabled(hOwner);
    if (match.nKind < 0 && !bOwnerDisabled)
        return;
    // Hidden, disabled, minimised and cloaked windows are not the dialog the user means.
    if (!IsCandidateWindow(hWnd, m_dwOwnProcessId))
        return;
    // A box over its own dialog ("... already exists. Replace it?", titled "Confirm Save As") stands
    // where that dialog is: the dialog, disabled under it, keeps its place ahead of it.
    if (bOwnerDisabled && (hOwner = DisabledOwnerUnderBox(hWnd, m_dwOwnProcessId)) != nullptr) {
        DialogMatch ownerMatch = RecogniseWindow(hOwner, nullptr);
        if (ownerMatch.nKind >= 0) {
            hWnd = hOwner;
            match = ownerMatch;
        }
    }
    if (match.nKind >= 0) {
        m_hFoundWnd = hWnd;
        m_nFoundCtrlId = match.nCtrlId;
        m_nFoundKind = match.nKind;
        m_bFound = true;
    }
}

DialogMatch CTrovelView::RecogniseWindow(HWND hWnd, std::string* pTraceLine, HWND* phDialogOwner,
                                         bool* pbDescribed) const
{
    // Class names have at most 256 characters.
    wchar_t szWideClass[257];
    const int nClassLength = ::GetClassNameW(hWnd, szWideClass, 257);
    if (nClassLength == 0)
        return {-1, kCtrlNotFound};
    const std::string title = TitleOf(hWnd);
    const std::string className = WideToUtf8(std::wstring_view(szWideClass, (size_t)nClassLength));
    HINSTANCE hInstance = (HINSTANCE)::GetWindowLongPtrW(hWnd, GWLP_HINSTANCE);
    // For a top-level window the parent slot holds the owner.
    HWND hOwner = (HWND)::GetWindowLongPtrW(hWnd, GWLP_HWNDPARENT);
    const std::string ownerTitle = hOwner != nullptr ? TitleOf(hOwner) : std::string();
    if (hInstance == nullptr)
        return {-1, kCtrlNotFound};

    if (pTraceLine != nullptr) {
        // Handles fit in 32 bits on both flavours; the trace shows eight digits either way.
        char szHandle[16];
        std::snprintf(szHandle, sizeof(szHandle), "0x%.8x", (unsigned)(UINT_PTR)hWnd);
        // Appended into the kept string: no new allocation per window once it has grown.
        pTraceLine->assign(szHandle);
        *pTraceLine += " \"";
        *pTraceLine += title;
        *pTraceLine += "\" ";
        *pTraceLine += className;
        if (pbDescribed != nullptr)
            *pbDescribed = true;
    }

    if (phDialogOwner != nullptr)
        *phDialogOwner = className == "#32770" ? hOwner : nullptr;
    // The title rules first; the kinds table then looks into "#32770" windows only.
    int nTitleRuleId = RecognizeDialog(title, className, ownerTitle);
    return ClassifyDialog(hWnd, title, className, nTitleRuleId);
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
    if ((m_pSelectedPath == nullptr && m_strSelectedOpenFolder.empty()) || !m_bFound || m_bPasting)
        return 0;
    const std::string folder = m_pSelectedPath != nullptr ? m_pSelectedPath->strPath : m_strSelectedOpenFolder;
    PasteInto(m_hFoundWnd, m_nFoundKind, m_nFoundCtrlId, folder);
    return 0;
}

BOOL CTrovelView::PasteInto(HWND hDialog, int nKind, int nCtrlId, const std::string& folder)
{
    if (nKind < 0 || nKind >= kDialogKindCount || !::IsWindow(hDialog) || m_bPasting)
        return FALSE; // the dialog has closed since the scan: nothing to do, nothing to tell

    // Every send below lets messages that other threads send in run meanwhile: Preferences and its
    // OK (which frees the path list), a shutdown, another scan. So the paste works on copies from
    // here on, and the busy mark holds off the view's teardown until it is done.
    const DialogKind kind = kDialogKinds[nKind];
    CPasteBusy busy(this);

    PasteFailure failure = PasteFailure::None;
    std::string composed;
    std::string typed;
    HWND hField = nullptr;
    if (TargetRunsHigher(hDialog)) {
        failure = PasteFailure::RunsHigher; // its field would not even answer: ask it nothing
    } else if ((hField = FindFileNameField(hDialog, kind, nCtrlId)) == nullptr) {
        failure = PasteFailure::NoField;
    } else if (!ReadForeignText(hField, typed)) {
        // Without the typed name the paste would replace it with "untitled": leave the field alone.
        failure = SendFailure(PasteFailure::NoAnswer);
    } else {
        // An open dialog shows the folder when Open is pressed; a typed pattern is applied there.
        composed = kind.purpose == DialogPurpose::Open ? ComposeOpenPath(folder, typed) : ComposePastePath(folder, typed);
        if (!WriteField(kind, hField, composed)) {
            failure = SendFailure(PasteFailure::NotTaken);
        } else if (std::string held; !ReadForeignText(hField, held)) {
            // It took the text but is slow to answer: what it holds now is not known, and a restore
            // that arrived late would overwrite whatever the user types next.
            failure = SendFailure(PasteFailure::NoAnswer);
        } else if (held != composed) {
            failure = PasteFailure::NotTaken;
            // A field that kept part of the path would mislead: give back exactly what the user had typed.
            WriteField(kind, hField, typed);
        }
    }

    m_strFileName = typed;
    if (!composed.empty())
        m_strPathName = composed;
    // A dialog that closed meanwhile explains itself.
    if (failure == PasteFailure::None || !::IsWindow(hDialog))
        return failure == PasteFailure::None;

    // What the user can paste by hand: the whole path when the typed name is known, else the folder.
    const std::string path = composed.empty() ? FolderWithBackslash(folder) : composed;
    BOOL bOnClipboard = PutTextOnClipboard(m_hWnd, path);
    TellUser(PasteFailureText(failure, ProgramNameOf(hDialog), path, bOnClipboard != FALSE));
    return FALSE;
}

bool CTrovelView::TargetRunsHigher(HWND hDialog) const
{
    DWORD dwOwn = 0, dwTarget = 0;
    BOOL bOwnKnown = m_pfnIntegrityLevel(nullptr, &dwOwn);
    BOOL bTargetKnown = m_pfnIntegrityLevel(hDialog, &dwTarget);
    return RunsHigher(bOwnKnown, dwOwn, bTargetKnown, dwTarget);
}

void CTrovelView::TellUser(const std::string& text)
{
    m_strLastNotice = text;
    const std::string& caption = GetTrovelApp()->m_strAppName;
    if (m_trayIcon.ShowBalloon(caption, text)) {
        // Balloons may be off (policy, quiet hours, notifications of the program turned off): only
        // the shell's report makes it told.
        m_strBalloonPending = text;
        SetTimer(kBalloonTimerId, kBalloonWait);
        return;
    }
    ShowNoticeBox(text);
}

void CTrovelView::OnBalloonShown()
{
    m_strBalloonPending.clear();
    KillTimer(kBalloonTimerId);
}

void CTrovelView::ShowNoticeBox(const std::string& text)
{
    const std::string& caption = GetTrovelApp()->m_strAppName;
    CDialogShowingScope showing(this);
    AfxMessageBox(m_hWnd, text, caption, MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
}
