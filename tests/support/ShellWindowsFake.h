// The test's own objects behind the shell's window-list interfaces: windows, tabs, a virtual folder
// and an entry that never answers, each counted so that a test can see every reference given back.
#pragma once

#include <windows.h>
#include <exdisp.h>
#include <servprov.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>
#include <vector>

inline LONG g_nLive = 0; // test objects not yet freed: every reference the walk took must be given back

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
inline HRESULT TestSource(void* pContext, IShellWindows** ppWindows)
{
    auto* pWindows = static_cast<CTestShellWindows*>(pContext);
    pWindows->AddRef();
    *ppWindows = pWindows;
    return S_OK;
}

inline IDispatch* MakeEntry(HWND hFrame, HWND hView, const std::wstring& path, int nCsidl = -1, HANDLE hHang = nullptr)
{
    auto* pView = new CTestView(hView, new CTestFolder(path, nCsidl));
    return static_cast<IDispatch*>(new CTestEntry(new CTestBrowser(hFrame, pView), hHang));
}
