// Base of everything that can carry out a command id (windows and the application).
#pragma once

#include "fw/Afx.h"

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;
    // Carries out command nID (nCode is the notification code: 0 for menus and button clicks).
    // Returns TRUE when this object handled it, so routing stops.
    virtual BOOL OnCmdMsg(UINT nID, int nCode) { return FALSE; }
};
