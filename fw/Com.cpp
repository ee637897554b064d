// The COM library looked up on first use.
#include "fw/Com.h"
#include "fw/Afx.h"

namespace {
const char kOle32[] = "ole32.dll";
}

HRESULT AfxCoInitializeEx(DWORD dwCoInit)
{
    using Fn = HRESULT(WINAPI*)(LPVOID, DWORD);
    auto pfn = AfxGetSystemProc<Fn>(kOle32, "CoInitializeEx");
    return pfn != nullptr ? pfn(nullptr, dwCoInit) : E_NOTIMPL;
}

void AfxCoUninitialize()
{
    using Fn = void(WINAPI*)();
    if (auto pfn = AfxGetSystemProc<Fn>(kOle32, "CoUninitialize"))
        pfn();
}

HRESULT AfxCoCreateInstance(REFCLSID clsid, REFIID iid, void** ppv)
{
    using Fn = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
    *ppv = nullptr;
    auto pfn = AfxGetSystemProc<Fn>(kOle32, "CoCreateInstance");
    return pfn != nullptr ? pfn(clsid, nullptr, CLSCTX_ALL, iid, ppv) : E_NOTIMPL;
}

void AfxCoTaskMemFree(void* pv)
{
    using Fn = void(WINAPI*)(LPVOID);
    if (auto pfn = AfxGetSystemProc<Fn>(kOle32, "CoTaskMemFree"))
        pfn(pv);
}
