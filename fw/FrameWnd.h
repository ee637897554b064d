// Frame window: the top-level window that hosts the view, its bars, and the close rules of the pattern.
#pragma once

#include "fw/Wnd.h"

class CView;
class CDocument;
struct CCreateContext;
class CControlBar;

// Frame style bit: append the document name to the title. Kept by the layer, never given to the system.
#define FWS_ADDTOTITLE 0x00008000L

class CFrameWnd : public CWnd {
public:
    CDocument* m_pDocument = nullptr;

    // Creates the window with the menu, icon and title (first line of the string) of nIDResource.
    BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CCreateContext* pContext);
    void InitialUpdateFrame(CDocument* pDoc);
    virtual void ActivateFrame(int nCmdShow);

    // The window class of every frame, by which another process can find one.
    static const char* WindowClassName();

    CView* GetActiveView() const { return m_pActiveView; }
    void SetActiveView(CView* pView) { m_pActiveView = pView; }

    void EnableDocking(DWORD dwDockStyle) { m_dwDockStyle = dwDockStyle; }
    void DockControlBar(CControlBar* pBar);
    void RecalcLayout();

    // Standard help commands: the help file's contents or its context help.
    void OnHelpFinder();
    void OnHelp();
    void OnContextHelp();

    BOOL OnCmdMsg(UINT nID, int nCode) override;

protected:
    virtual BOOL PreCreateWindow(CREATESTRUCTW& cs) { return TRUE; }
    virtual int OnCreate(LPCREATESTRUCTW lpcs);
    // The pattern's close: close the document, which destroys this frame and its view.
    virtual void OnClose();
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override { delete this; }

private:
    static BOOL RegisterFrameClass(UINT nIconID);
    CView* m_pActiveView = nullptr;
    CControlBar* m_pTopBar = nullptr;
    DWORD m_dwDockStyle = 0;
    CCreateContext* m_pCreateContext = nullptr;
};
