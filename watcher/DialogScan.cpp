// The scan of the desktop's top-level windows for a save dialog, and the paste into its file-name field.
#include "watcher/TrovelView.h"
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

    int nCtrlId = RecognizeDialog(szTitle, szClass, szOwnerTitle);
    if (nCtrlId != kCtrlNotFound) {
        m_hFoundWnd = hWnd;
        m_nFoundCtrlId = nCtrlId;
        m_bFound = true;
    }
}

int CTrovelView::RecognizeDialog(std::string_view title, std::string_view className, std::string_view ownerTitle) const
{
    return MatchDialog(m_nOSClass, title, className, ownerTitle);
}

LRESULT CTrovelView::OnTrovelMsg(WPARAM, LPARAM)
{
    // Cleared when the path list is rebuilt, so a paste left over from before never reads a freed entry.
    if (m_pSelectedPath == nullptr || !m_bFound)
        return 0;
    HWND hCtrl = ::GetDlgItem(m_hFoundWnd, m_nFoundCtrlId);
    if (hCtrl == nullptr)
        return 0;

    std::memset(m_szFileName, 0, sizeof(m_szFileName));
    m_strPathName.clear();
    // Without the typed name the paste would replace it with "untitled": better to leave the field alone.
    if (!ReadForeignText(hCtrl, m_szFileName, kTextMax))
        return 0;
    m_strPathName = ComposePastePath(m_pSelectedPath->strPath, m_szFileName);
    WriteForeignText(hCtrl, m_strPathName);
    return 0;
}
