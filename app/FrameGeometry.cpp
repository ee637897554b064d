// Window geometry rules of the hidden main frame.
#include "app/FrameGeometry.h"

RECT InitialFrameRect(int nScreenWidth, int nScreenHeight)
{
    // The height factor is a single-precision constant; the truncation below depends on that.
    const float kHeightFactor = 0.3f;
    int cx = (int)(nScreenWidth * 0.25);
    int cy = (int)(nScreenHeight * (double)kHeightFactor);
    int x = (nScreenWidth - cx) / 2;
    int y = (nScreenHeight - cy) / 2;
    return RECT{x, y, x + cx, y + cy};
}

FrameMetrics CurrentFrameMetrics()
{
    return FrameMetrics{::GetSystemMetrics(SM_CXFRAME), ::GetSystemMetrics(SM_CYFRAME),
                        ::GetSystemMetrics(SM_CYMENU), ::GetSystemMetrics(SM_CYCAPTION)};
}

RECT FrameRectAroundGroup(const RECT& rcFrame, const RECT& rcGroup, const FrameMetrics& metrics)
{
    RECT rc;
    rc.left = rcFrame.left;
    rc.top = rcFrame.top;
    rc.right = rc.left + (rcGroup.right - rcGroup.left) + 2 * metrics.cxFrame + 20;
    rc.bottom = rc.top + (rcGroup.bottom - rcGroup.top) + 2 * metrics.cyFrame + 2 * metrics.cyMenu + metrics.cyCaption + 30;
    return rc;
}
