// Single-document pattern: a document, its frame and its view, created and closed together.
#pragma once

#include "fw/CmdTarget.h"

class CFrameWnd;
class CView;
class CDocument;

// What a frame needs to build its view.
struct CCreateContext {
    CView* (*m_pfnNewView)() = nullptr;
    CDocument* m_pCurrentDoc = nullptr;
};

class CDocument : public CCmdTarget {
public:
    CFrameWnd* m_pFrame = nullptr;

    virtual BOOL OnNewDocument() { return TRUE; }
    // Opens the file for reading and lets Serialize read it; FALSE when it cannot be opened.
    virtual BOOL OnOpenDocument(const char* pszPathName);
    // Destroys the frame (and with it the view), then the document itself.
    virtual void OnCloseDocument();
    virtual void Serialize(HANDLE hFile, BOOL bStoring) {}
};

class CSingleDocTemplate {
public:
    using DocFactory = CDocument* (*)();
    using FrameFactory = CFrameWnd* (*)();
    using ViewFactory = CView* (*)();

    CSingleDocTemplate(UINT nIDResource, DocFactory pfnDoc, FrameFactory pfnFrame, ViewFactory pfnView)
        : m_nIDResource(nIDResource), m_pfnDoc(pfnDoc), m_pfnFrame(pfnFrame), m_pfnView(pfnView) {}
    ~CSingleDocTemplate();

    // Null path: a new document. Creates document, frame and view the first time; null on failure.
    CDocument* OpenDocumentFile(const char* pszPathName);
    void CloseAllDocuments(BOOL bEndSession);
    void RemoveDocument(CDocument* pDoc) { if (m_pOnlyDoc == pDoc) m_pOnlyDoc = nullptr; }
    CDocument* GetDocument() const { return m_pOnlyDoc; }

private:
    UINT m_nIDResource;
    DocFactory m_pfnDoc;
    FrameFactory m_pfnFrame;
    ViewFactory m_pfnView;
    CDocument* m_pOnlyDoc = nullptr;
};
