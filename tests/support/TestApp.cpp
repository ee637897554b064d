// The application object of the test programs and the scratch settings root.
#include "tests/support/TestApp.h"
#include "tests/support/RegistryDump.h"
#include "fw/DocTemplate.h"
#include "fw/FrameWnd.h"
#include "watcher/TrovelView.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>

namespace {
CTestApp g_testApp;
const char kScratchParent[] = "Software\\Trovel Tests";
}

CTestApp& TestApp()
{
    return g_testApp;
}

ScratchRegistryRoot::ScratchRegistryRoot()
{
    static std::atomic<int> counter{0};
    char name[96];
    std::snprintf(name, sizeof(name), "%s\\%lu-%d", kScratchParent, ::GetCurrentProcessId(), counter++);
    m_path = name;
    m_saved = TestApp().m_regRoot;
    HKEY hKey = nullptr;
    DWORD disposition = 0;
    DeleteKeyTree(HKEY_CURRENT_USER, m_path);
    if (TestApp().m_regRoot.OpenRoot(&hKey, &disposition, HKEY_CURRENT_USER, m_path.c_str()))
        ::RegCloseKey(hKey);
}

ScratchRegistryRoot::~ScratchRegistryRoot()
{
    DeleteKeyTree(HKEY_CURRENT_USER, m_path);
    TestApp().m_regRoot = m_saved;
}

bool ReadRawValue(HKEY hive, const std::string& keyPath, const char* pszName, DWORD& type, std::string& data)
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(hive, keyPath.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    LONG status = ::RegQueryValueExA(hKey, pszName, nullptr, &type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        data.assign(size, '\0');
        status = ::RegQueryValueExA(hKey, pszName, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size);
        data.resize(size);
    }
    ::RegCloseKey(hKey);
    return status == ERROR_SUCCESS;
}

int main(int argc, char** argv)
{
    g_testApp.m_hInstance = ::GetModuleHandleA(nullptr);
    g_testApp.Enable3dControls();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

void PumpMessagesFor(DWORD dwMillis)
{
    const DWORD dwStart = ::GetTickCount();
    do {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(10);
    } while (::GetTickCount() - dwStart < dwMillis);
}

CTrovelView* NewViewInFrame(CFrameWnd** ppFrame)
{
    CCreateContext context;
    context.m_pfnNewView = []() -> CView* { return new CTrovelView; };
    CFrameWnd* pFrame = new CFrameWnd;
    if (!pFrame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW, &context))
        return nullptr;
    if (ppFrame != nullptr)
        *ppFrame = pFrame;
    return dynamic_cast<CTrovelView*>(pFrame->GetActiveView());
}
