// Menus: CMenu borrows a menu handle, CLoadedMenu owns a menu loaded from the resources.
#pragma once

#include "fw/Afx.h"
#include "fw/NestedLoop.h"

class CMenu {
public:
    explicit CMenu(HMENU hMenu = nullptr) : m_hMenu(hMenu) {}
    HMENU m_hMenu;

    // The pop-up at a position, borrowed from this menu; its handle is null when there is none.
    CMenu GetSubMenu(int nPos) const { return CMenu(::GetSubMenu(m_hMenu, nPos)); }
    BOOL InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, const std::string& text)
    {
        return ::InsertMenuW(m_hMenu, nPosition, nFlags, nIDNewItem, Utf8ToWide(text).c_str());
    }
    BOOL SetDefaultItem(UINT uItem, BOOL fByPos) { return ::SetMenuDefaultItem(m_hMenu, uItem, fByPos); }
    UINT GetMenuItemID(int nPos) const { return ::GetMenuItemID(m_hMenu, nPos); }
    int GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
    std::string GetMenuString(UINT nIDItem, UINT nFlags) const;
    BOOL TrackPopupMenu(UINT nFlags, int x, int y, HWND hOwner) const
    {
        CNestedLoop loop(CNestedLoop::Menu);
        return ::TrackPopupMenu(m_hMenu, nFlags, x, y, 0, hOwner, nullptr);
    }
};

class CLoadedMenu : public CMenu {
public:
    CLoadedMenu() = default;
    ~CLoadedMenu() { DestroyMenu(); }
    CLoadedMenu(const CLoadedMenu&) = delete;
    CLoadedMenu& operator=(const CLoadedMenu&) = delete;

    BOOL LoadMenu(UINT nIDResource);
    void DestroyMenu();
};

inline std::string CMenu::GetMenuString(UINT nIDItem, UINT nFlags) const
{
    // Asked for its length first: an item's text has no limit of its own.
    int len = ::GetMenuStringW(m_hMenu, nIDItem, nullptr, 0, nFlags);
    if (len <= 0)
        return std::string();
    std::wstring text((size_t)len + 1, L'\0');
    len = ::GetMenuStringW(m_hMenu, nIDItem, &text[0], len + 1, nFlags);
    text.resize(len > 0 ? (size_t)len : 0);
    return WideToUtf8(text);
}

inline BOOL CLoadedMenu::LoadMenu(UINT nIDResource)
{
    DestroyMenu();
    m_hMenu = ::LoadMenuW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nIDResource));
    return m_hMenu != nullptr;
}

inline void CLoadedMenu::DestroyMenu()
{
    if (m_hMenu != nullptr)
        ::DestroyMenu(m_hMenu);
    m_hMenu = nullptr;
}
