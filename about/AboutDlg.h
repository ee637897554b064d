// The About box: what Trovel does, legal notice, credits, and the e-mail and web links.
#pragma once

#include "about/StaticLink.h"
#include "fw/Dialog.h"

class CAboutDlg : public CDialog {
public:
    // No parent: the owner is picked when the box opens.
    CAboutDlg();

    CStaticLink m_emailLink;  // control 1024
    CStaticLink m_webLink;    // control 1025

    BOOL OnInitDialog() override;
};
