// A thread's work waited for within a bound.
#include "fw/BoundedWork.h"
#include "fw/NestedLoop.h"

CBoundedWork::CBoundedWork() : m_hDone(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

CBoundedWork::~CBoundedWork()
{
    if (m_hDone != nullptr)
        ::CloseHandle(m_hDone);
}

BOOL CBoundedWork::RunFor(DWORD dwTimeout)
{
    if (m_hDone == nullptr)
        return FALSE;
    ::InterlockedIncrement(&m_nRefs);
    HANDLE hThread = ::CreateThread(nullptr, 0, &CBoundedWork::ThreadProc, this, 0, nullptr);
    if (hThread == nullptr) {
        ::InterlockedDecrement(&m_nRefs);
        return FALSE;
    }
    ::CloseHandle(hThread); // it ends on its own
    return AfxWaitAnswering(m_hDone, dwTimeout);
}

void CBoundedWork::Release()
{
    if (::InterlockedDecrement(&m_nRefs) == 0)
        delete this;
}

DWORD WINAPI CBoundedWork::ThreadProc(LPVOID pParam)
{
    auto* pWork = static_cast<CBoundedWork*>(pParam);
    pWork->Run();
    ::SetEvent(pWork->m_hDone);
    pWork->Release();
    return 0;
}
