// Data exchange between a dialog's members and its controls, in either direction.
#pragma once

#include "fw/Wnd.h"

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate) : m_pDlgWnd(pDlgWnd), m_bSaveAndValidate(bSaveAndValidate) {}
    CWnd* m_pDlgWnd;
    BOOL m_bSaveAndValidate; // TRUE: controls to members; FALSE: members to controls
};

// Gives a control object the handle of dialog item nIDC (borrowed; the dialog owns the control).
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
void DDX_Text(CDataExchange* pDX, int nIDC, std::string& value);
void DDX_Check(CDataExchange* pDX, int nIDC, BOOL& value);
// A hotkey control: the virtual key in the low byte, HOTKEYF_ flags in the high byte.
void DDX_HotKey(CDataExchange* pDX, int nIDC, WORD& value);
