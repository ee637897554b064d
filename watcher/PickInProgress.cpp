// The pick in progress: the tray's paste after the settle wait, and the pick at the dialog that takes
// it to the folder and gives the typed name back.
#include "watcher/TrovelView.h"
#include "fw/NestedLoop.h"
#include "watcher/DialogMenu.h"
#include "watcher/FieldText.h"
#include "watcher/FolderBrowser.h"
#include "watcher/FolderCheck.h"
#include "watcher/PathInjection.h"

namespace {

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

// Writes the text and reads it back. A field that kept only part of it would mislead: it gets back
// exactly what it held before. None, or why the text is not there.
PasteFailure WriteAndCheck(const DialogKind& kind, HWND hField, const std::string& text, const std::string& typed)
{
    if (!WriteField(kind, hField, text))
        return SendFailure(PasteFailure::NotTaken);
    std::string held;
    // Taken but slow to answer: what it holds is not known, and a late restore would overwrite
    // whatever the user types next.
    if (!ReadForeignText(hField, held))
        return SendFailure(PasteFailure::NoAnswer);
    if (held == text)
        return PasteFailure::None;
    WriteField(kind, hField, typed);
    return PasteFailure::NotTaken;
}

// Presses the dialog's default button, as Enter in its field does: answered once the dialog has
// handled it. FALSE when it did not answer.
BOOL PressDefaultButton(HWND hDialog)
{
    DWORD_PTR defId = 0;
    int nID = IDOK;
    if (AfxSendMessageBounded(hDialog, DM_GETDEFID, 0, 0, kForeignReplyTimeout, &defId) && HIWORD(defId) == DC_HASDEFID)
        nID = LOWORD(defId);
    return AfxSendMessageBounded(hDialog, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED), (LPARAM)::GetDlgItem(hDialog, nID),
                                 kForeignReplyTimeout);
}

} // namespace

void CTrovelView::BeginPick()
{
    KillTimer(kSettleTimerId);
    if (m_pick.step == PickInProgress::Step::Going)
        FinishGoing(); // what the user typed is back before anything else is written there
    m_pick = PickInProgress();
}

LRESULT CTrovelView::OnTrovelMsg(WPARAM, LPARAM)
{
    if (m_pick.step != PickInProgress::Step::Pasting)
        return 0; // a later pick took its place
    if (CNestedLoop::Depth() > 0) {
        // Never under a menu, box or wait of the program's: once it has returned, unless a pick
        // made meanwhile took this one's place.
        CNestedLoop::PostWhenDone(m_hWnd, WM_PASTE_PATH);
        return 0;
    }
    m_pick.step = PickInProgress::Step::None;
    // Cleared when the path list is rebuilt, so a paste left over from before never reads a freed entry.
    if ((m_pSelectedPath == nullptr && m_strSelectedOpenFolder.empty()) || !m_bFound)
        return 0;
    const std::string folder = m_pSelectedPath != nullptr ? m_pSelectedPath->strPath : m_strSelectedOpenFolder;
    PasteInto(m_hFoundWnd, m_nFoundKind, m_nFoundCtrlId, folder);
    return 0;
}

PasteFailure CTrovelView::ReachField(HWND hDialog, const DialogKind& kind, int nCtrlId, const std::string& folder,
                                     HWND& hField, std::string& typed)
{
    if (TargetRunsHigher(hDialog))
        return PasteFailure::RunsHigher; // its field would not even answer: ask it nothing
    if ((hField = FindFileNameField(hDialog, kind, nCtrlId)) == nullptr)
        return PasteFailure::NoField;
    // Sent to a folder that is not there, the dialog would complain or save elsewhere.
    if (!FolderReachable(folder))
        return PasteFailure::NoFolder;
    // Without the typed name the pick would lose it: the field is left alone.
    if (!ReadForeignText(hField, typed))
        return SendFailure(PasteFailure::NoAnswer);
    return PasteFailure::None;
}

BOOL CTrovelView::PasteInto(HWND hDialog, int nKind, int nCtrlId, const std::string& folder)
{
    if (nKind < 0 || nKind >= kDialogKindCount || !::IsWindow(hDialog))
        return FALSE; // the dialog has closed since the scan: nothing to do, nothing to tell

    // Every send below lets messages that other threads send in run meanwhile (Preferences and its
    // OK, which frees the path list, among them): the paste works on copies.
    const DialogKind kind = kDialogKinds[nKind];
    HWND hField = nullptr;
    std::string typed, composed;
    PasteFailure failure = ReachField(hDialog, kind, nCtrlId, folder, hField, typed);
    if (failure == PasteFailure::None && kind.write == FieldWrite::SelectInTree) {
        composed = FolderWithBackslash(folder);
        failure = ShowFolderInTree(hDialog, hField, folder);
    } else if (failure == PasteFailure::None) {
        composed = FilledText(folder, SplitFieldText(typed), kind.purpose);
        failure = WriteAndCheck(kind, hField, composed, typed);
    }
    m_strFileName = typed;
    if (!composed.empty())
        m_strPathName = composed;
    if (failure == PasteFailure::None)
        return TRUE;
    // What the user can paste by hand: the whole path when the typed name is known, else the folder.
    TellPickFailure(failure, hDialog, composed.empty() ? FolderWithBackslash(folder) : composed);
    return FALSE;
}

void CTrovelView::PickAtDialog(HWND hDialog, int nKind, int nCtrlId, const std::string& folder)
{
    BeginPick();
    if (nKind < 0 || nKind >= kDialogKindCount || !::IsWindow(hDialog))
        return;
    const DialogKind kind = kDialogKinds[nKind];
    if (!m_dialogSettings.bGoToFolder || !GoesToFolder(kind, hDialog)) {
        const BOOL bFilled = PasteInto(hDialog, nKind, nCtrlId, folder);
        if (bFilled)
            ReturnToDialog(hDialog, FindFileNameField(hDialog, kind, nCtrlId));
        return;
    }
    GoToFolder(hDialog, nKind, nCtrlId, folder);
}

void CTrovelView::GoToFolder(HWND hDialog, int nKind, int nCtrlId, const std::string& folder)
{
    const DialogKind kind = kDialogKinds[nKind];
    HWND hField = nullptr;
    std::string typed;
    const std::string folderText = FolderWithBackslash(folder);
    PasteFailure failure = ReachField(hDialog, kind, nCtrlId, folder, hField, typed);
    if (failure == PasteFailure::None)
        failure = WriteAndCheck(kind, hField, folderText, typed);
    m_strFileName = typed;
    if (failure != PasteFailure::None) {
        TellPickFailure(failure, hDialog, folderText);
        return;
    }
    m_strPathName = folderText;
    m_lastTaken = {hDialog, folderText};
    m_pick.step = PickInProgress::Step::Going;
    m_pick.hDialog = hDialog;
    m_pick.nKind = nKind;
    m_pick.hField = hField;
    m_pick.strFolderText = folderText;
    m_pick.strTyped = typed;
    m_pick.strKept = KeptText(SplitFieldText(typed));
    if (!PressDefaultButton(hDialog)) {
        // It did not answer: whether it went is not known, so nothing more is written there.
        m_pick = PickInProgress();
        if (::IsWindow(hDialog))
            TellPickFailure(PasteFailure::NoAnswer, hDialog, FilledText(folder, SplitFieldText(typed), kind.purpose));
        return;
    }
    // The dialog may go on from its own queue: the caret put at the start after it tells when that
    // queue has come round. Looked at now (one that emptied its field is there already), then on a
    // timer; the program answers its messages meanwhile.
    ::PostMessageW(hField, EM_SETSEL, 0, 0);
    SetTimer(kGoingTimerId, kGoingDelay);
    OnGoing();
}

void CTrovelView::OnGoing()
{
    if (m_pick.step != PickInProgress::Step::Going) {
        KillTimer(kGoingTimerId);
        return;
    }
    if (CNestedLoop::Depth() > 0)
        return; // not under a menu of the program's: the next look comes after it
    DWORD_PTR selection = 1;
    std::string held;
    const bool bAnswered = ::IsWindow(m_pick.hField) &&
                           AfxSendMessageBounded(m_pick.hField, EM_GETSEL, 0, 0, kForeignReplyTimeout, &selection) &&
                           ReadForeignText(m_pick.hField, held);
    // The dialog has taken the folder (and emptied its field), or has come round to the caret.
    const bool bThere = bAnswered && (held != m_pick.strFolderText || selection == 0);
    if (!bThere && ::IsWindow(m_pick.hDialog) && ++m_pick.nLooks < kGoingLooks)
        return;
    FinishGoing();
}

void CTrovelView::FinishGoing()
{
    KillTimer(kGoingTimerId);
    const PickInProgress pick = m_pick;
    m_pick = PickInProgress();
    if (!::IsWindow(pick.hDialog) || !::IsWindow(pick.hField))
        return; // closed meanwhile: that explains itself
    const DialogKind& kind = kDialogKinds[pick.nKind];
    // Under a box of its own the dialog refused the folder and says why: the field gets back what
    // the user had typed.
    const bool bRefused = !::IsWindowEnabled(pick.hDialog);
    const std::string& text = bRefused ? pick.strTyped : pick.strKept;
    const PasteFailure failure = WriteAndCheck(kind, pick.hField, text, text);
    if (bRefused)
        return;
    if (failure != PasteFailure::None) {
        TellPickFailure(failure, pick.hDialog, pick.strFolderText + pick.strKept);
        return;
    }
    m_strFileName = text;
    ReturnToDialog(pick.hDialog, pick.hField);
}

void CTrovelView::TellPickFailure(PasteFailure failure, HWND hDialog, const std::string& path)
{
    if (!::IsWindow(hDialog))
        return; // a dialog that closed meanwhile explains itself
    const bool bOnClipboard = failure != PasteFailure::NoFolder && PutTextOnClipboard(m_hWnd, path) != FALSE;
    TellUser(PasteFailureText(failure, ProgramNameOf(hDialog), path, bOnClipboard));
}

bool CTrovelView::TargetRunsHigher(HWND hDialog) const
{
    DWORD dwOwn = 0, dwTarget = 0;
    BOOL bOwnKnown = m_pfnIntegrityLevel(nullptr, &dwOwn);
    BOOL bTargetKnown = m_pfnIntegrityLevel(hDialog, &dwTarget);
    return RunsHigher(bOwnKnown, dwOwn, bTargetKnown, dwTarget);
}
