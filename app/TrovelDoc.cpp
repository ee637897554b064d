// The document of the single-document pattern.
#include "app/TrovelDoc.h"
#include "fw/WinApp.h"

BOOL CTrovelDoc::OnNewDocument()
{
    if (!CDocument::OnNewDocument())
        return FALSE;
    // The frame is activated with this show command right after: it is never shown.
    AfxGetApp()->m_nCmdShow = SW_HIDE;
    return TRUE;
}
