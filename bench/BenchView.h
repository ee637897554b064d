// The watcher view the scan and dialog-menu benchmarks drive: the application with its settings
// under a scratch key, a frame holding the view, and one favourite, "C:\Work\" with the first id,
// made here when missing (a pick of a folder that is not there is told, not pasted) and removed after.
#pragma once

#include "app/TrovelApp.h"
#include "fw/DocTemplate.h"
#include "fw/FrameWnd.h"
#include "fw/TextConv.h"
#include "res/resource.h"
#include "watcher/TrovelView.h"

#include <memory>
#include <string>

class CBenchView {
public:
    static constexpr const char* kRoot = "Software\\Trovel Bench";
    static constexpr const char* kFolder = "C:\\Work\\";

    CBenchView()
    {
        m_app.m_hInstance = ::GetModuleHandleW(nullptr);
        m_bMadeFolder = ::CreateDirectoryW(Utf8ToWide(kFolder).c_str(), nullptr) != FALSE;
        HKEY hKey = nullptr;
        DWORD disposition = 0;
        if (m_app.m_regRoot.OpenRoot(&hKey, &disposition, HKEY_CURRENT_USER, kRoot))
            ::RegCloseKey(hKey);
        CCreateContext context;
        context.m_pfnNewView = []() -> CView* { return new CTrovelView; };
        m_pFrame = new CFrameWnd;
        if (!m_pFrame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW, &context))
            return;
        m_pView = dynamic_cast<CTrovelView*>(m_pFrame->GetActiveView());
        m_pView->m_pathList.push_back(std::make_unique<PathEntry>(PathEntry{kFolder, "Work", ID_PATH_FIRST}));
        m_pView->m_dwOwnProcessId = 0; // this program's own windows stand for another's
    }
    ~CBenchView()
    {
        if (m_pView != nullptr)
            ::DestroyWindow(m_pFrame->m_hWnd);
        // The view saved its lists on destruction; the key has no deeper levels.
        for (const char* sub : {"PathList", "PtrList", "Dialog", ""})
            ::RegDeleteKeyW(HKEY_CURRENT_USER, Utf8ToWide(std::string(kRoot) + (*sub ? "\\" : "") + sub).c_str());
        if (m_bMadeFolder)
            ::RemoveDirectoryW(Utf8ToWide(kFolder).c_str());
    }
    CBenchView(const CBenchView&) = delete;
    CBenchView& operator=(const CBenchView&) = delete;

    CTrovelView* View() const { return m_pView; } // null when the frame could not be made

private:
    CTrovelApp m_app;
    CFrameWnd* m_pFrame = nullptr; // destroys itself with its window
    CTrovelView* m_pView = nullptr;
    bool m_bMadeFolder = false; // only a folder made here is removed
};
