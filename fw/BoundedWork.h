// Work on a thread of its own that the caller waits for only so long, answering what other threads
// send meanwhile: a thread still held when the wait ends (a server gone, a slow disk) finishes
// unseen. The object goes when both the caller and the thread have let go of it, so a thread that
// wakes up late never touches freed memory.
#pragma once

#include <windows.h>

class CBoundedWork {
public:
    CBoundedWork(const CBoundedWork&) = delete;
    CBoundedWork& operator=(const CBoundedWork&) = delete;

    // Runs Run on a new thread and waits up to dwTimeout: TRUE when it finished in time, FALSE when
    // it did not or no thread could be started.
    BOOL RunFor(DWORD dwTimeout);
    // The caller lets go; it must not touch the object afterwards.
    void Release();

protected:
    CBoundedWork();
    virtual ~CBoundedWork();
    virtual void Run() = 0; // on the work's own thread

private:
    static DWORD WINAPI ThreadProc(LPVOID pParam);

    volatile LONG m_nRefs = 1; // the caller's; the thread adds its own
    HANDLE m_hDone = nullptr;
};
