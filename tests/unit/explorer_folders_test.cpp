// The walk over the shell's window list, through the test's own objects behind the shell's
// interfaces: windows, tabs, a virtual folder, a duplicate and an entry that never answers.
#include "fw/TextConv.h"
#include "tests/support/TestApp.h"
#include "tests/support/TrayProbe.h"
#include "watcher/ExplorerFolders.h"
#include "watcher/TrovelView.h"

#include <gtest/gtest.h>

#include <exdisp.h>
#include <servprov.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

namespace {

LONG g_nLive = 0; // test objects not yet freed: every reference the walk took must be given back

class CCounted {
public:
    CCounted() { ::InterlockedIncrement(&g_nLive); }
    virtual ~CCounted() { ::InterlockedDecrement(&g_nLive); }

protected:
    LONG m_nRefs = 1;
};

#define TEST_REFCOUNT                                                                                               \
    ULONG STDMETHODCALLTYPE AddRef() override { return ::InterlockedIncrement(&m_nRefs); }                        \
    ULONG STDMETHODCALLTYPE Release() override                                                                    \
    {                                                                                                               \
        LONG n = ::InterlockedDecrement(&m_nRefs);                                                                  \
        if (n == 0)                                                                                                 \
            delete this;                                                                                            \
        return n;                                                                                                   \
    }

// The folder of one view: a file-system path, or a virtual folder by its CSIDL.
class CTestFolder : public CCounted, public IPersistFolder2 {
public:
    CTestFolder(std::wstring path, int nCsidl) : m_path(std::move(path)), m_nCsidl(nCsidl) {}
    TEST_REFCOUNT
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IPersist) || riid == __uuidof(IPersistFolder) ||
            riid == __uuidof(IPersistFolder2)) {
            *ppv = static_cast<IPersistFolder2*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Initialize(PCIDLIST_ABSOLUTE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCurFolder(PIDLIST_ABSOLUTE* ppidl) override
    {
        if (m_nCsidl >= 0)
            return ::SHGetSpecialFolderLocation(nullptr, m_nCsidl, ppidl);
        return ::SHParseDisplayName(m_path.c_str(), nullptr, ppidl, 0, nullptr);
    }

private:
    std::wstring m_path;
    int m_nCsidl;
};

// The active view of a browser: its window tells whether it is the tab shown.
class CTestView : public CCounted, public IShellView, public IFolderView {
public:
    CTestView(HWND hView, CTestFolder* pFolder) : m_hView(hView), m_pFolder(pFolder) {}
    ~CTestView() override { m_pFolder->Release(); }
    TEST_REFCOUNT
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        *ppv = nullptr;
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IOleWindow) || riid == __uuidof(IShellView))
            *ppv = static_cast<IShellView*>(this);
        else if (riid == __uuidof(IFolderView))
            *ppv = static_cast<IFolderView*>(this);
        if (*ppv == nullptr)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    // IShellView
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) override
    {
        *phwnd = m_hView;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(WINBOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnableModeless(WINBOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UIActivate(UINT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Refresh() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateViewWindow(IShellView*, LPCFOLDERSETTINGS, IShellBrowser*, RECT*, HWND*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DestroyViewWindow() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCurrentInfo(LPFOLDERSETTINGS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddPropertySheetPages(DWORD, LPFNSVADDPROPSHEETPAGE, LPARAM) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SaveViewState() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SelectItem(PCUITEMID_CHILD, SVSIF) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetItemObject(UINT, REFIID, void**) override { return E_NOTIMPL; }
    // IFolderView
    HRESULT STDMETHODCALLTYPE GetCurrentViewMode(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetCurrentViewMode(UINT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFolder(REFIID riid, void** ppv) override { return m_pFolder->QueryInterface(riid, ppv); }
    HRESULT STDMETHODCALLTYPE Item(int, PITEMID_CHILD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ItemCount(UINT, int*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Items(UINT, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSelectionMarkedItem(int*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFocusedItem(int*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetItemPosition(PCUITEMID_CHILD, POINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSpacing(POINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDefaultSpacing(POINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAutoArrange() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SelectItem(int, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SelectAndPositionItems(UINT, PCUITEMID_CHILD_ARRAY, POINT*, DWORD) override
    {
        return E_NOTIMPL;
    }

private:
    HWND m_hView;
    CTestFolder* m_pFolder;
};

class CTestBrowser : public CCounted, public IShellBrowser {
public:
    CTestBrowser(HWND hFrame, CTestView* pView) : m_hFrame(hFrame), m_pView(pView) {}
    ~CTestBrowser() override { m_pView->Release(); }
    TEST_REFCOUNT
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IOleWindow) || riid == __uuidof(IShellBrowser)) {
            *ppv = static_cast<IShellBrowser*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) override
    {
        *phwnd = m_hFrame;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(WINBOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InsertMenusSB(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMenuSB(HMENU, HOLEMENU, HWND) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RemoveMenusSB(HMENU) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStatusTextSB(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnableModelessSB(WINBOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TranslateAcceleratorSB(MSG*, WORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BrowseObject(PCUIDLIST_RELATIVE, UINT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetViewStateStream(DWORD, IStream**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetControlWindow(UINT, HWND*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SendControlMsg(UINT, UINT, WPARAM, LPARAM, LRESULT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryActiveShellView(IShellView** ppshv) override
    {
        m_pView->AddRef();
        *ppshv = m_pView;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnViewWindowActive(IShellView*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetToolbarItems(LPTBBUTTONSB, UINT, UINT) override { return E_NOTIMPL; }

private:
    HWND m_hFrame;
    CTestView* m_pView;
};

// One entry of the list, as the shell gives it: a dispatch object that serves the browser. One that
// hangs holds the caller until the test lets it go.
class CTestEntry : public CCounted, public IDispatch, public IServiceProvider {
public:
    CTestEntry(CTestBrowser* pBrowser, HANDLE hHang) : m_pBrowser(pBrowser), m_hHang(hHang) {}
    ~CTestEntry() override { m_pBrowser->Release(); }
    TEST_REFCOUNT
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        *ppv = nullptr;
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IDispatch))
            *ppv = static_cast<IDispatch*>(this);
        else if (riid == __uuidof(IServiceProvider))
            *ppv = static_cast<IServiceProvider*>(this);
        if (*ppv == nullptr)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE QueryService(REFGUID guidService, REFIID riid, void** ppv) override
    {
        if (m_hHang != nullptr)
            ::WaitForSingleObject(m_hHang, INFINITE);
        const GUID kTopLevelBrowser = {0x4c96be40, 0x915c, 0x11cf, {0x99, 0xd3, 0x00, 0xaa, 0x00, 0x4a, 0xe8, 0x37}};
        if (guidService != kTopLevelBrowser) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        return m_pBrowser->QueryInterface(riid, ppv);
    }

private:
    CTestBrowser* m_pBrowser;
    HANDLE m_hHang;
};

class CTestShellWindows : public CCounted, public IShellWindows {
public:
    explicit CTestShellWindows(HRESULT hrCount) : m_hrCount(hrCount) {}
    ~CTestShellWindows() override
    {
        for (IDispatch* pEntry : m_entries)
            pEntry->Release();
    }
    void AddEntry(IDispatch* pEntry) { m_entries.push_back(pEntry); }
    TEST_REFCOUNT
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IDispatch) || riid == __uuidof(IShellWindows)) {
            *ppv = static_cast<IShellWindows*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_Count(LONG* pCount) override
    {
        *pCount = SUCCEEDED(m_hrCount) ? (LONG)m_entries.size() : 0;
        return m_hrCount;
    }
    HRESULT STDMETHODCALLTYPE Item(VARIANT index, IDispatch** ppEntry) override
    {
        *ppEntry = nullptr;
        if (index.vt != VT_I4 || index.lVal < 0 || index.lVal >= (LONG)m_entries.size())
            return S_FALSE;
        *ppEntry = m_entries[index.lVal];
        (*ppEntry)->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE _NewEnum(IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Register(IDispatch*, LONG, int, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RegisterPending(LONG, VARIANT*, VARIANT*, int, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Revoke(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnNavigate(LONG, VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnActivated(LONG, VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FindWindowSW(VARIANT*, VARIANT*, int, LONG*, int, IDispatch**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE OnCreated(LONG, IUnknown*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ProcessAttachDetach(VARIANT_BOOL) override { return E_NOTIMPL; }

private:
    HRESULT m_hrCount;
    std::vector<IDispatch*> m_entries;
};

// The seam: the walk's thread receives the test's list.
HRESULT TestSource(void* pContext, IShellWindows** ppWindows)
{
    auto* pWindows = static_cast<CTestShellWindows*>(pContext);
    pWindows->AddRef();
    *ppWindows = pWindows;
    return S_OK;
}

IDispatch* MakeEntry(HWND hFrame, HWND hView, const std::wstring& path, int nCsidl = -1, HANDLE hHang = nullptr)
{
    auto* pView = new CTestView(hView, new CTestFolder(path, nCsidl));
    return static_cast<IDispatch*>(new CTestEntry(new CTestBrowser(hFrame, pView), hHang));
}

// A real folder below the temporary folder, removed with the object.
class TempFolder {
public:
    explicit TempFolder(const std::wstring& name)
    {
        wchar_t szTemp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, szTemp);
        m_path = std::wstring(szTemp) + name;
        ::CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~TempFolder() { ::RemoveDirectoryW(m_path.c_str()); }
    std::wstring m_path;
    std::string Utf8() const { return WideToUtf8(m_path) + "\\"; }
};

HWND MakeWindow(HWND hParent, bool bVisible)
{
    DWORD dwStyle = (hParent != nullptr ? WS_CHILD : WS_POPUP) | (bVisible ? WS_VISIBLE : 0);
    return ::CreateWindowExW(0, L"STATIC", L"", dwStyle, 0, 0, 50, 50, hParent, nullptr, nullptr, nullptr);
}

void WaitForAllReleased()
{
    for (int i = 0; i < 500 && g_nLive != 0; ++i)
        ::Sleep(10);
}

} // namespace

TEST(ExplorerFolders, FileSystemFoldersEachOnceFrontWindowAndShownTabFirstAndAHungEntryLeftOut)
{
    TempFolder back(L"trovel-back-\u0416"), tab1(L"trovel-tab1"), tab2(L"trovel-tab2-\u65e5"), tab3dup(L"trovel-tab3");
    HWND hBack = MakeWindow(nullptr, true);
    HWND hFront = MakeWindow(nullptr, true);
    HWND hBehind = MakeWindow(nullptr, true);
    ::SetWindowPos(hBehind, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::SetWindowPos(hFront, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    HANDLE hHang = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    // A folder view inside an archive has the archive's path, which no file dialog can go to.
    const std::wstring archive = back.m_path + L".zip";
    HANDLE hArchive = ::CreateFileW(archive.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ::CloseHandle(hArchive);

    auto* pWindows = new CTestShellWindows(S_OK);
    // In the shell's order: a window behind, an entry that never answers, then the front window's
    // three tabs (the second shown), a virtual folder, an archive, and the third tab's folder again in
    // other letters in the hindmost window.
    pWindows->AddEntry(MakeEntry(hBack, MakeWindow(hBack, true), back.m_path));
    pWindows->AddEntry(MakeEntry(hFront, MakeWindow(hFront, true), tab1.m_path, -1, hHang));
    pWindows->AddEntry(MakeEntry(hFront, MakeWindow(hFront, false), tab1.m_path));
    pWindows->AddEntry(MakeEntry(hFront, MakeWindow(hFront, true), tab2.m_path));
    pWindows->AddEntry(MakeEntry(hFront, MakeWindow(hFront, false), tab3dup.m_path));
    pWindows->AddEntry(MakeEntry(hBack, MakeWindow(hBack, false), L"", CSIDL_DRIVES));
    pWindows->AddEntry(MakeEntry(hBack, MakeWindow(hBack, false), archive));
    std::wstring upper = tab3dup.m_path;
    CharUpperBuffW(&upper[0], (DWORD)upper.size());
    pWindows->AddEntry(MakeEntry(hBehind, MakeWindow(hBehind, true), upper));

    bool bCannotCount = true;
    std::vector<std::string> folders = ReadOpenFolders(&TestSource, pWindows, 500, kOpenFoldersMax, &bCannotCount);
    EXPECT_FALSE(bCannotCount);
    // Still held by the hung entry here: the walk came back without it, and went on past it.
    EXPECT_EQ(WAIT_TIMEOUT, ::WaitForSingleObject(hHang, 0));
    std::vector<std::string> expected = {tab2.Utf8(), tab1.Utf8(), tab3dup.Utf8(), back.Utf8()};
    EXPECT_EQ(expected, folders);

    ::SetEvent(hHang);
    pWindows->Release();
    WaitForAllReleased();
    EXPECT_EQ(0, g_nLive) << "references the walk kept";
    ::CloseHandle(hHang);
    ::DeleteFileW(archive.c_str());
    ::DestroyWindow(hFront);
    ::DestroyWindow(hBack);
    ::DestroyWindow(hBehind);
}

TEST(ExplorerFolders, AListThatCannotCountGivesNone)
{
    TempFolder folder(L"trovel-uncounted");
    HWND hFrame = MakeWindow(nullptr, true);
    auto* pWindows = new CTestShellWindows(E_NOTIMPL); // what Wine's list answers
    pWindows->AddEntry(MakeEntry(hFrame, MakeWindow(hFrame, true), folder.m_path));
    bool bCannotCount = false;
    EXPECT_TRUE(ReadOpenFolders(&TestSource, pWindows, 2000, kOpenFoldersMax, &bCannotCount).empty());
    EXPECT_TRUE(bCannotCount) << "no need to ask again";
    pWindows->Release();
    WaitForAllReleased();
    EXPECT_EQ(0, g_nLive);
    ::DestroyWindow(hFrame);

    // And the system's own list here, which counts nothing.
    EXPECT_TRUE(ReadOpenFolders(&CreateShellWindows, nullptr, 2000).empty());
}

// Threads of this process now.
int ThreadCount()
{
    int count = 0;
    HANDLE hSnapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL bMore = ::Thread32First(hSnapshot, &entry); bMore; bMore = ::Thread32Next(hSnapshot, &entry))
        count += entry.th32OwnerProcessID == ::GetCurrentProcessId() ? 1 : 0;
    ::CloseHandle(hSnapshot);
    return count;
}

HRESULT CountedSource(void* pContext, IShellWindows** ppWindows)
{
    static LONG s_nAsked = 0;
    if (pContext == nullptr)
        return (HRESULT)::InterlockedExchange(&s_nAsked, 0); // how often it was asked, and start again
    ::InterlockedIncrement(&s_nAsked);
    return TestSource(pContext, ppWindows);
}

// Twenty menus opened while an Explorer window hangs: the first read leaves its walker on the hung
// window and the others start nothing; once it answers, the next read lists the folders again.
TEST(ExplorerFolders, AHungExplorerHoldsOneReadWhateverTheMenusOpenedMeanwhile)
{
    TempFolder folder(L"trovel-hung-menu");
    HWND hFrame = MakeWindow(nullptr, true);
    HANDLE hHang = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    auto* pWindows = new CTestShellWindows(S_OK);
    pWindows->AddEntry(MakeEntry(hFrame, MakeWindow(hFrame, true), folder.m_path, -1, hHang));
    CountedSource(nullptr, nullptr);
    const int nThreadsBefore = ThreadCount();
    for (int i = 0; i < 20; ++i)
        EXPECT_TRUE(ReadOpenFolders(&CountedSource, pWindows, 200).empty()) << i;
    EXPECT_EQ(1, (int)CountedSource(nullptr, nullptr)) << "reads of the list";
    EXPECT_LE(ThreadCount() - nThreadsBefore, 2) << "threads left waiting on the hung window";

    ::SetEvent(hHang);
    std::vector<std::string> folders;
    for (int i = 0; i < 100 && folders.empty(); ++i) {
        ::Sleep(20);
        folders = ReadOpenFolders(&CountedSource, pWindows, 2000);
    }
    EXPECT_EQ(std::vector<std::string>{folder.Utf8()}, folders) << "read again once it answers";
    pWindows->Release();
    WaitForAllReleased();
    EXPECT_EQ(0, g_nLive);
    ::CloseHandle(hHang);
    ::DestroyWindow(hFrame);
}

TEST(ExplorerFolders, OrderKeepsTenAndPutsWindowsNotFoundLast)
{
    std::vector<OpenFolder> found;
    for (int i = 0; i < 12; ++i) {
        OpenFolder folder;
        folder.strPath = "C:\\F" + std::to_string(i) + "\\";
        folder.nIndex = i;
        folder.nZOrder = i == 0 ? 99 : 1; // the first lives in a window the desktop does not list
        found.push_back(folder);
    }
    std::vector<std::string> folders = OrderOpenFolders(found, kOpenFoldersMax);
    ASSERT_EQ(10u, folders.size());
    EXPECT_EQ("C:\\F1\\", folders.front());
    EXPECT_EQ("C:\\F10\\", folders.back());
}

// The tray menu, as the view builds it when it opens: the favourites, then below a line the open
// folders (an ampersand shown as itself) with ids of their own; a pick of one takes that folder;
// with the setting off the list is neither read nor shown.
TEST(ExplorerFolders, TheTrayMenuListsThemBelowTheFavouritesAndAPickTakesThatFolder)
{
    KeepTrayShown();
    TempFolder front(L"trovel-open-a&b"), back(L"trovel-open-\u00e9t\u00e9");
    HWND hBack = MakeWindow(nullptr, true);
    HWND hFront = MakeWindow(nullptr, true);
    ::SetWindowPos(hFront, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    auto* pWindows = new CTestShellWindows(S_OK);
    pWindows->AddEntry(MakeEntry(hBack, MakeWindow(hBack, true), back.m_path));
    pWindows->AddEntry(MakeEntry(hFront, MakeWindow(hFront, true), front.m_path));
    {
        ScratchRegistryRoot scratch;
        {
            CDialogList dialogs;
            CPathList paths;
            paths.push_back(std::make_unique<PathEntry>(PathEntry{"C:\\Fav\\", "Fav", 5000}));
            SavePathLists(scratch.Key(), dialogs, paths);
        }
        CTrovelView view;
        view.m_pfnShellWindows = &TestSource;
        view.m_pShellWindowsContext = pWindows;
        view.m_trayIcon.Create(&view, CTrovelView::kTrayIconId, "Trovel", view.m_hIcon, WM_TRAY_NOTIFY);

        CLoadedMenu menu;
        CMenu popup;
        int nDefaultPos = -1;
        ASSERT_TRUE(view.m_trayIcon.BuildPopupMenu(menu, popup, nDefaultPos, &view));
        std::vector<std::string> items = DescribeMenu(popup.m_hMenu);
        ASSERT_GE(items.size(), 5u);
        std::string frontText = front.Utf8();
        frontText.replace(frontText.find('&'), 1, "&&");
        const std::vector<std::string> expected = {"Fav #5000", "-", frontText + " #5100", back.Utf8() + " #5101", "-"};
        EXPECT_EQ(expected, std::vector<std::string>(items.begin(), items.begin() + 5));
        EXPECT_EQ(nDefaultPos, 5) << "Preferences stays the default, after the folders";

        view.OnFindDialog(5101, 5101);
        EXPECT_EQ(back.Utf8(), view.m_strSelectedOpenFolder);
        EXPECT_EQ(nullptr, view.m_pSelectedPath);
        view.OnFindDialog(5000, 5000);
        EXPECT_EQ("", view.m_strSelectedOpenFolder) << "a favourite picked after it";

        view.m_dialogSettings.bListOpenFolders = false;
        CLoadedMenu off;
        ASSERT_TRUE(view.m_trayIcon.BuildPopupMenu(off, popup, nDefaultPos, &view));
        items = DescribeMenu(popup.m_hMenu);
        ASSERT_GE(items.size(), 2u);
        EXPECT_EQ("Fav #5000", items[0]);
        EXPECT_EQ("-", items[1]);
        EXPECT_EQ(std::string::npos, items[2].find("trovel-open")) << items[2];
    }
    pWindows->Release();
    WaitForAllReleased();
    EXPECT_EQ(0, g_nLive) << "references the view kept";
    ::DestroyWindow(hFront);
    ::DestroyWindow(hBack);
}
