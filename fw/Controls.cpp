// Control wrappers whose operations take more than one message.
#include "fw/Controls.h"

std::string CListBox::GetText(int nIndex) const
{
    LRESULT len = SendMessage(LB_GETTEXTLEN, (WPARAM)nIndex);
    if (len == LB_ERR)
        return std::string();
    std::wstring text((size_t)len + 1, L'\0');
    len = SendMessage(LB_GETTEXT, (WPARAM)nIndex, (LPARAM)&text[0]);
    text.resize(len == LB_ERR ? 0 : (size_t)len);
    return WideToUtf8(text);
}

HTREEITEM CTreeCtrl::InsertItem(UINT nMask, const std::string& text, int nImage, int nSelectedImage, LPARAM lParam,
                                HTREEITEM hParent, HTREEITEM hInsertAfter)
{
    std::wstring wide = Utf8ToWide(text);
    TVINSERTSTRUCTW insert = {};
    insert.hParent = hParent;
    insert.hInsertAfter = hInsertAfter;
    insert.item.mask = nMask;
    insert.item.pszText = &wide[0];
    insert.item.iImage = nImage;
    insert.item.iSelectedImage = nSelectedImage;
    insert.item.lParam = lParam;
    return InsertItem(&insert);
}

std::string CTreeCtrl::GetItemText(HTREEITEM hItem, int nMaxChars) const
{
    std::wstring text((size_t)nMaxChars, L'\0');
    TVITEMW item = {};
    item.mask = TVIF_TEXT;
    item.hItem = hItem;
    item.pszText = &text[0];
    item.cchTextMax = nMaxChars;
    if (!SendMessage(TVM_GETITEMW, 0, (LPARAM)&item))
        return std::string();
    text.resize(wcsnlen(text.c_str(), (size_t)nMaxChars));
    return WideToUtf8(text);
}

LPARAM CTreeCtrl::GetItemData(HTREEITEM hItem) const
{
    TVITEMW item = {};
    item.mask = TVIF_PARAM;
    item.hItem = hItem;
    return SendMessage(TVM_GETITEMW, 0, (LPARAM)&item) ? item.lParam : 0;
}

BOOL CTreeCtrl::SetItemData(HTREEITEM hItem, LPARAM data)
{
    TVITEMW item = {};
    item.mask = TVIF_PARAM;
    item.hItem = hItem;
    item.lParam = data;
    return SetItem(&item);
}

BOOL CTreeCtrl::SetItemState(HTREEITEM hItem, UINT nState, UINT nStateMask)
{
    TVITEMW item = {};
    item.mask = TVIF_STATE;
    item.hItem = hItem;
    item.state = nState;
    item.stateMask = nStateMask;
    return SetItem(&item);
}
