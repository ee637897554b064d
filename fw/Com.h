// The COM library, loaded when first used rather than at start: most of the program's life needs
// none of it, and only reads of the shell's objects do.
#pragma once

#include <windows.h>
#include <objbase.h>

// As the platform's calls; E_NOTIMPL (or nothing) where the library cannot be loaded.
HRESULT AfxCoInitializeEx(DWORD dwCoInit);
void AfxCoUninitialize();
HRESULT AfxCoCreateInstance(REFCLSID clsid, REFIID iid, void** ppv);
void AfxCoTaskMemFree(void* pv);

// Initialises COM on this thread for the life of the object, in the apartment asked for.
class CComScope {
public:
    explicit CComScope(DWORD dwCoInit) : m_hr(AfxCoInitializeEx(dwCoInit)) {}
    ~CComScope()
    {
        if (SUCCEEDED(m_hr))
            AfxCoUninitialize();
    }
    CComScope(const CComScope&) = delete;
    CComScope& operator=(const CComScope&) = delete;
    bool Ok() const { return SUCCEEDED(m_hr); }

private:
    HRESULT m_hr;
};

// Releases a COM pointer it holds when it goes.
template <typename T>
class CComRef {
public:
    CComRef() = default;
    ~CComRef() { Reset(); }
    CComRef(const CComRef&) = delete;
    CComRef& operator=(const CComRef&) = delete;

    T** Out()
    {
        Reset();
        return &m_p;
    }
    void** OutVoid() { return reinterpret_cast<void**>(Out()); }
    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }
    void Reset()
    {
        if (m_p != nullptr)
            m_p->Release();
        m_p = nullptr;
    }

private:
    T* m_p = nullptr;
};
