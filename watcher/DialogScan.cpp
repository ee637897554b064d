// The scan of the desktop's top-level windows for a file dialog, the settle wait after it, and how
// the user is told what failed.
#include "watcher/TrovelView.h"
#include "app/TrovelApp.h"
#include "watcher/DialogField.h"
#include "watcher/Recognizer.h"
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

    // It replaces whatever pick was under way, from the tray or at the dialog.
    BeginPick();
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
    if (m_bFound && SetTimer(kSettleTimerId, kSettleDelay) != 0)
        m_pick.step = PickInProgress::Step::Settling;
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
    if (nIDEvent == kGoingTimerId) {
        OnGoing();
        return;
    }
    if (nIDEvent != kSettleTimerId)
        return;
    KillTimer(kSettleTimerId);
    if (m_pick.step != PickInProgress::Step::Settling)
        return;
    m_pick.step = PickInProgress::Step::Pasting;
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
