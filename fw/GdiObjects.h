// Owning wrappers for the image list and the font the program makes.
#pragma once

#include "fw/Afx.h"

class CImageList {
public:
    CImageList() = default;
    ~CImageList() { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow)
    {
        DeleteImageList();
        m_hImageList = ::ImageList_Create(cx, cy, nFlags, nInitial, nGrow);
        return m_hImageList != nullptr;
    }
    int Add(HICON hIcon) { return ::ImageList_AddIcon(m_hImageList, hIcon); }
    int GetImageCount() const { return ::ImageList_GetImageCount(m_hImageList); }
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }
    void DeleteImageList()
    {
        if (m_hImageList != nullptr)
            ::ImageList_Destroy(m_hImageList);
        m_hImageList = nullptr;
    }

private:
    HIMAGELIST m_hImageList = nullptr;
};

class CFont {
public:
    CFont() = default;
    ~CFont() { DeleteObject(); }
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    BOOL CreateFontIndirect(const LOGFONTW* pLogFont)
    {
        DeleteObject();
        m_hFont = ::CreateFontIndirectW(pLogFont);
        return m_hFont != nullptr;
    }
    HFONT GetSafeHandle() const { return m_hFont; }
    void DeleteObject()
    {
        if (m_hFont != nullptr)
            ::DeleteObject(m_hFont);
        m_hFont = nullptr;
    }

private:
    HFONT m_hFont = nullptr;
};
