// The document: holds no data; a new one keeps the main frame hidden.
#pragma once

#include "fw/DocTemplate.h"

class CTrovelDoc : public CDocument {
public:
    BOOL OnNewDocument() override;
};
