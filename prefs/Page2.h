// The "Other Settings" page: restore the new-user help, open the About box.
#pragma once

#include "fw/PropertySheet.h"
#include "res/resource.h"

class CPage2 : public CPropertyPage {
public:
    CPage2();

    BOOL m_bRestoreTips = FALSE; // read by the sheet after OK; never loaded from the registry

    void DoDataExchange(CDataExchange* pDX) override;
    void OnAboutButton();
    BOOL OnCmdMsg(UINT nID, int nCode) override;
};
