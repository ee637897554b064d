// The application object of the test programs, and a scratch settings root per test.
#pragma once

#include "app/TrovelApp.h"

#include <string>
#include <utility>
#include <vector>

// The program's application object, with help calls recorded instead of opening a help file.
class CTestApp : public CTrovelApp {
public:
    std::vector<std::pair<DWORD_PTR, UINT>> m_helpCalls;
    BOOL WinHelp(DWORD_PTR dwData, UINT nCmd) override
    {
        m_helpCalls.emplace_back(dwData, nCmd);
        return m_bHelpOpens;
    }
    BOOL m_bHelpOpens = TRUE; // what the help window does: open, or fail as with a missing file
};

CTestApp& TestApp();

// Points the application's settings root at a new, empty key below HKEY_CURRENT_USER for the life
// of the object, and deletes that key with everything below it afterwards.
class ScratchRegistryRoot {
public:
    ScratchRegistryRoot();
    ~ScratchRegistryRoot();
    ScratchRegistryRoot(const ScratchRegistryRoot&) = delete;
    ScratchRegistryRoot& operator=(const ScratchRegistryRoot&) = delete;

    const std::string& Path() const { return m_path; }
    CRegistryKey& Key() { return TestApp().m_regRoot; }

private:
    std::string m_path;
    CRegistryKey m_saved;
};

// Reads a value straight from the registry: its type and raw text; false when missing.
bool ReadRawValue(HKEY hive, const std::string& keyPath, const char* pszName, DWORD& type, std::string& data);

class CFrameWnd;
class CTrovelView;
// A frame of the main frame's resource holding a new watcher view, made as the program makes them;
// null when the frame could not be made. The frame, and the view with it, goes with its window.
CTrovelView* NewViewInFrame(CFrameWnd** ppFrame = nullptr);

// Serves this thread's messages (posted ones, timers, out-of-context window events) for that long.
void PumpMessagesFor(DWORD dwMillis);
