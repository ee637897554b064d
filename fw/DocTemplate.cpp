// Creation order of the single-document pattern: frame and view, then the document step, then the initial update.
#include "fw/DocTemplate.h"
#include "fw/FrameWnd.h"
#include "fw/WinApp.h"

BOOL CDocument::OnOpenDocument(const char* pszPathName)
{
    HANDLE hFile = ::CreateFileW(Utf8ToWide(pszPathName).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return FALSE;
    Serialize(hFile, FALSE);
    ::CloseHandle(hFile);
    return TRUE;
}

void CDocument::OnCloseDocument()
{
    CFrameWnd* pFrame = m_pFrame;
    m_pFrame = nullptr;
    if (pFrame != nullptr) {
        pFrame->m_pDocument = nullptr;
        pFrame->DestroyWindow(); // the frame and its view delete themselves
    }
    if (AfxGetApp() != nullptr && AfxGetApp()->GetDocTemplate() != nullptr)
        AfxGetApp()->GetDocTemplate()->RemoveDocument(this);
    delete this;
}

CSingleDocTemplate::~CSingleDocTemplate()
{
    CloseAllDocuments(TRUE);
}

CDocument* CSingleDocTemplate::OpenDocumentFile(const char* pszPathName)
{
    CWinApp* pApp = AfxGetApp();
    if (m_pOnlyDoc != nullptr) {
        // One document at a time: reuse it.
        BOOL ok = pszPathName == nullptr ? m_pOnlyDoc->OnNewDocument() : m_pOnlyDoc->OnOpenDocument(pszPathName);
        return ok ? m_pOnlyDoc : nullptr;
    }

    CDocument* pDoc = m_pfnDoc();
    CFrameWnd* pFrame = m_pfnFrame();
    CCreateContext context;
    context.m_pfnNewView = m_pfnView;
    context.m_pCurrentDoc = pDoc;
    if (!pFrame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, &context)) {
        delete pDoc; // a frame that failed to create has deleted itself
        return nullptr;
    }
    pDoc->m_pFrame = pFrame;
    pFrame->m_pDocument = pDoc;
    m_pOnlyDoc = pDoc;

    BOOL ok = pszPathName == nullptr ? pDoc->OnNewDocument() : pDoc->OnOpenDocument(pszPathName);
    if (!ok) {
        pDoc->OnCloseDocument();
        return nullptr;
    }
    if (pApp != nullptr && pApp->m_pMainWnd == nullptr)
        pApp->m_pMainWnd = pFrame;
    pFrame->InitialUpdateFrame(pDoc);
    return pDoc;
}

void CSingleDocTemplate::CloseAllDocuments(BOOL bEndSession)
{
    if (m_pOnlyDoc != nullptr)
        m_pOnlyDoc->OnCloseDocument();
}
