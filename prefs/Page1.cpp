// The "Paths and Names" page: folder tree, the rows being edited, and the commit on OK.
#include "prefs/Page1.h"
#include "app/TrovelApp.h"
#include "fw/DataExchange.h"
#include "fw/WinApp.h"
#include "watcher/TrovelView.h"

#include <algorithm>

namespace {
const char kDesktopText[] = "Desktop";
const char kPlaceholderText[] = "Phony";

void ShowMessage(HWND hOwner, const std::string& text)
{
    AfxMessageBox(hOwner, text, AfxGetApp()->m_strAppName, MB_OK);
}
}

CPage1::CPage1()
    : CPropertyPage(IDD_PAGE1)
{
}

CPage1::~CPage1() = default;

void CPage1::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_EDIT_NAME, m_editName);
    DDX_Control(pDX, IDC_BTN_FOCUS, m_btnFocus);
    DDX_Control(pDX, IDC_BTN_REMOVE, m_btnRemove);
    DDX_Control(pDX, IDC_BTN_ADD, m_btnAdd);
    DDX_Control(pDX, IDC_LIST_NAMES, m_listNames);
    DDX_Control(pDX, IDC_LIST_PATHS, m_listPaths);
    DDX_Control(pDX, IDC_TREE_FOLDERS, m_treeFolders);
    DDX_Text(pDX, IDC_EDIT_PATH, m_strPath);
    DDX_Text(pDX, IDC_EDIT_NAME, m_strName);
    DDX_Check(pDX, IDC_CHECK_NETWORK, m_bShowNetwork);
    DDX_Check(pDX, IDC_CHECK_REMOVABLE, m_bShowRemovable);
}

BOOL CPage1::OnInitDialog()
{
    CPropertyPage::OnInitDialog();

    // Shared icons from the resources; the system frees them, so nothing to release here.
    m_btnAdd.SetIcon(::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDI_ARROW_RIGHT)));
    m_btnRemove.SetIcon(::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDI_ARROW_LEFT)));

    m_btnAdd.EnableWindow(FALSE);
    m_btnRemove.EnableWindow(FALSE);
    m_editName.EnableWindow(FALSE);
    AddToolTips();

    SetTimer(IDT_SETUP, kSetupDelay);
    return TRUE;
}

void CPage1::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == IDT_SETUP) {
        KillTimer(IDT_SETUP);
        CTrovelView* pView = GetTrovelView();
        if (pView != nullptr && pView->m_pImageList != nullptr)
            m_treeFolders.SetImageList(pView->m_pImageList->GetSafeHandle(), TVSIL_NORMAL);
        FillDriveTree();
        UpdateAddButton(TRUE);
        UpdateEditControls();
        if (pView != nullptr) {
            int count = 0;
            for (const auto& entry : pView->m_pathList) {
                if (count++ >= MAX_LIST_SIZE)
                    break;
                const int row = m_listPaths.AddString(entry->strPath);
                // Which stored row it shows, so OK can tell the rows the user left alone.
                m_listPaths.SendMessage(LB_SETITEMDATA, (WPARAM)row, (LPARAM)(entry->nRow + 1));
                m_listNames.AddString(entry->strName);
            }
        }
        m_bRowsLoaded = true;
    }
    Default();
}

void CPage1::AddToolTips()
{
    // The icon buttons' texts are hidden by BS_ICON; they are what a screen reader announces, and
    // the tips show the same words.
    HWND hTips = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr, AfxGetResourceHandle(), nullptr);
    if (hTips == nullptr)
        return;
    for (CButton* pButton : {&m_btnAdd, &m_btnRemove}) {
        std::wstring text = Utf8ToWide(ToolTipText(AfxGetWindowText(pButton->m_hWnd)));
        TOOLINFOW tool = {};
        tool.cbSize = TTTOOLINFOW_V1_SIZE; // the size every version of the control takes
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = m_hWnd;
        tool.uId = (UINT_PTR)pButton->m_hWnd;
        tool.lpszText = &text[0];
        ::SendMessageW(hTips, TTM_ADDTOOLW, 0, (LPARAM)&tool);
    }
}

std::string ToolTipText(const std::string& caption)
{
    std::string text;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size())
            ++i; // "&&" stands for one '&'
        text += caption[i];
    }
    return text;
}

// ---- Rows and enabling rules ----

BOOL CPage1::CanAddMore(BOOL bWarn)
{
    if (m_listPaths.GetCount() < MAX_LIST_SIZE)
        return TRUE;
    if (bWarn)
        ShowMessage(m_hWnd, "Maximum List Size Reached");
    return FALSE;
}

void CPage1::UpdateAddButton(BOOL bDesktopSelected)
{
    if (bDesktopSelected)
        m_btnAdd.EnableWindow(FALSE);
    else
        m_btnAdd.EnableWindow(CanAddMore(FALSE));
}

void CPage1::UpdateEditControls()
{
    if (m_listPaths.GetCount() > 0 && m_listPaths.GetCurSel() != LB_ERR) {
        m_btnRemove.EnableWindow(TRUE);
        m_editName.EnableWindow(TRUE);
    }
}

void CPage1::OnSelchangedTree(NMHDR* pNMHDR, LRESULT* pResult)
{
    const NMTREEVIEWW* pNMTreeView = reinterpret_cast<const NMTREEVIEWW*>(pNMHDR);
    UpdateAddButton(!IsFolderNode(pNMTreeView->itemNew.hItem));
    *pResult = 0;
}

void CPage1::OnClickTree(NMHDR* pNMHDR, LRESULT* pResult)
{
    UpdateAddButton(!IsFolderNode(m_treeFolders.GetSelectedItem()));
    *pResult = 0;
}

void CPage1::OnAdd()
{
    HTREEITEM hSelected = m_treeFolders.GetSelectedItem();
    // The Desktop is no folder: its empty path would become "\", the root of whatever drive is current.
    if (!IsFolderNode(hSelected))
        return;

    std::string itemPath = GetItemPath(hSelected);
    std::string path = itemPath + "\\";
    std::string name = EntryNameForPath(itemPath);
    if (Utf16Length(path) > kFolderPathMax) {
        // Windows' own file calls would not take it, so a dialog could not go there either.
        ShowMessage(m_hWnd, kPathTooLongText);
        return;
    }

    int row = m_listPaths.AddString(path);
    if (row != LB_ERR && row != LB_ERRSPACE) {
        m_listPaths.SetCurSel(row);
        m_strPath = path;
        m_strName = name;
        m_listNames.AddString(name);
        m_btnRemove.EnableWindow(TRUE);
        m_editName.EnableWindow(TRUE);
        m_btnAdd.EnableWindow(CanAddMore(TRUE));
    }
    UpdateData(FALSE);
    m_listPaths.SetFocus();
}

void CPage1::OnRemove()
{
    int row = m_listPaths.GetCurSel();
    if (row == LB_ERR)
        return;
    m_listPaths.DeleteString(row);
    m_listNames.DeleteString(row);
    if (row > 0)
        --row;
    m_listPaths.SetCurSel(row);

    if (m_listPaths.GetCount() == 0) {
        // The focus leaves the button about to be disabled for a control the user can see and use.
        m_treeFolders.SetFocus();
        m_btnRemove.EnableWindow(FALSE);
        m_strPath.clear();
        m_strName.clear();
        m_editName.EnableWindow(FALSE);
    } else {
        m_strPath = m_listPaths.GetText(row);
        m_strName = m_listNames.GetText(row);
    }
    // The add button follows the tree's selection: a removal alone does not make the Desktop addable.
    UpdateAddButton(!IsFolderNode(m_treeFolders.GetSelectedItem()));
    UpdateData(FALSE);
}

void CPage1::OnSelchangeList()
{
    int row = m_listPaths.GetCurSel();
    if (row != LB_ERR) {
        UpdateEditControls();
        m_strPath = m_listPaths.GetText(row);
        m_strName = m_listNames.GetText(row);
    }
    UpdateData(FALSE);
}

void CPage1::OnChangeName()
{
    UpdateData(TRUE);
    int row = m_listPaths.GetCurSel();
    if (row == LB_ERR)
        return;
    m_listNames.DeleteString(row);
    m_listNames.InsertString(row, m_strName);
}

void CPage1::OnSetfocusName()
{
    UpdateEditControls();
}

void CPage1::RebuildTree()
{
    ReleaseTree();
    m_treeFolders.DeleteAllItems();
    m_hDesktopItem = nullptr;
    FillDriveTree();
}

void CPage1::OnRefresh()
{
    RebuildTree();
}

void CPage1::OnShowDrives()
{
    UpdateData(TRUE);
    RebuildTree();
}

void CPage1::OnOK()
{
    ReleaseTree();

    CTrovelView* pView = GetTrovelView();
    int nPaths = m_listPaths.GetCount();
    int nNames = m_listNames.GetCount();
    // Rows not loaded yet (OK within the set-up delay) are no edit of the user's: keep the list.
    if (pView != nullptr && m_bRowsLoaded && nPaths == nNames) {
        // Favourites past the rows the page shows (a settings file may hold more) were never offered
        // for removal: they stay as they are.
        CPathList unshown;
        for (size_t i = MAX_LIST_SIZE; i < pView->m_pathList.size(); ++i)
            unshown.push_back(std::move(pView->m_pathList[i]));

        pView->FreePathList();
        int n = nPaths < MAX_LIST_SIZE ? nPaths : MAX_LIST_SIZE;
        for (int i = 0; i < n; ++i) {
            std::string path = m_listPaths.GetText(i);
            std::string name = m_listNames.GetText(i);
            if (path.empty() || path.back() != '\\')
                path += '\\';
            // An empty name would end the list when it is read back; the folder's own name stands in.
            if (name.empty())
                name = EntryNameForPath(path.substr(0, path.size() - 1));
            // A folder gone from a drive that answers is dropped; the ids of the others keep their row.
            if (!IsFolderGone(path)) {
                auto entry = std::make_unique<PathEntry>();
                entry->strPath = path;
                entry->strName = name;
                entry->nID = ID_PATH_FIRST + i;
                entry->nRow = (int)m_listPaths.SendMessage(LB_GETITEMDATA, (WPARAM)i) - 1;
                pView->m_pathList.push_back(std::move(entry));
            }
        }
        for (auto& entry : unshown)
            pView->m_pathList.push_back(std::move(entry));
        pView->SavePathLists();
    }
    CPropertyPage::OnOK();
}

void CPage1::OnCancel()
{
    ReleaseTree();
    CPropertyPage::OnCancel();
}

// ---- Folder tree ----

void CPage1::FillDriveTree()
{
    CWaitCursor wait;
    m_hDesktopItem = m_treeFolders.InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM, kDesktopText,
                                              kImageDesktop, kImageDesktop, 0, TVI_ROOT, TVI_LAST);
    DWORD mask = ::GetLogicalDrives();
    for (int nDrive = 0; nDrive < 26; ++nDrive) {
        if ((mask & (1u << nDrive)) == 0)
            continue;
        UINT type = ::GetDriveTypeW(Utf8ToWide(DriveQueryPath(DriveText(nDrive))).c_str());
        if (ShouldShowDrive(type, m_bShowRemovable, m_bShowNetwork))
            InsertDriveNode(nDrive, type);
    }
    m_treeFolders.Expand(m_hDesktopItem, TVE_EXPAND);
    m_treeFolders.SelectItem(m_hDesktopItem);
}

HTREEITEM CPage1::InsertDriveNode(int nDrive, UINT nDriveType)
{
    TreeItemData* pData = new TreeItemData;
    pData->bDrive = 1;
    pData->bPlaceholder = 0;
    pData->nDriveType = (int)nDriveType;
    int image = DriveImage(nDriveType);
    // Drives come in letter order, so each goes after the ones before it.
    HTREEITEM hItem = m_treeFolders.InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM,
                                               DriveText(nDrive), image, image, (LPARAM)pData,
                                               m_hDesktopItem, TVI_LAST);
    if (hItem == nullptr) {
        delete pData;
        return nullptr;
    }
    // Every drive gets an expand button, whatever it holds; it is read only when expanded.
    AddPlaceholder(hItem);
    return hItem;
}

void CPage1::AddPlaceholder(HTREEITEM hItem)
{
    TreeItemData* pData = reinterpret_cast<TreeItemData*>(m_treeFolders.GetItemData(hItem));
    if (pData != nullptr)
        pData->bPlaceholder = 1;
    m_treeFolders.InsertItem(TVIF_TEXT | TVIF_PARAM, kPlaceholderText, 0, 0, 0, hItem, TVI_LAST);
}

void CPage1::OnItemexpandingTree(NMHDR* pNMHDR, LRESULT* pResult)
{
    NMTREEVIEWW* pNMTreeView = reinterpret_cast<NMTREEVIEWW*>(pNMHDR);
    HTREEITEM hItem = pNMTreeView->itemNew.hItem;
    *pResult = 0;
    if ((pNMTreeView->action & TVE_EXPAND) == 0 ||
        (m_treeFolders.GetItemState(hItem, TVIS_EXPANDEDONCE) & TVIS_EXPANDEDONCE) != 0 || hItem == m_hDesktopItem)
        return;

    std::string text = m_treeFolders.GetItemText(hItem, kNodeTextMax);
    TreeItemData* pData = reinterpret_cast<TreeItemData*>(m_treeFolders.GetItemData(hItem));
    if (pData == nullptr)
        return; // a placeholder or a released node: nothing to read

    if (pData->bDrive && (pData->nDriveType == DRIVE_REMOVABLE || pData->nDriveType == DRIVE_CDROM) &&
        !DriveHasMedia(text)) {
        // The placeholder stays, so the user can try again once media is in.
        ShowMessage(m_hWnd, DriveNotFoundMessage(text));
        *pResult = 1;
        return;
    }

    if (pData->bPlaceholder) {
        pData->bPlaceholder = 0;
        m_treeFolders.DeleteItem(m_treeFolders.GetChildItem(hItem));
    }
    CWaitCursor wait;
    FillSubfolders(hItem);
    m_treeFolders.SetItemState(hItem, TVIS_EXPANDEDONCE, TVIS_EXPANDEDONCE);
}

void CPage1::FillSubfolders(HTREEITEM hItem)
{
    std::string path = GetItemPath(hItem);
    std::vector<FolderName> children;
    ListSubfolders(path, children);
    // Sorted here and appended: the control's own sorted insertion grows with the square of the count.
    SortFolderNames(children);
    for (const FolderName& child : children) {
        TreeItemData* pData = new TreeItemData;
        HTREEITEM hChild = m_treeFolders.InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM,
                                                    child.shown, kImageFolderClosed, kImageFolderOpen,
                                                    (LPARAM)pData, hItem, TVI_LAST);
        if (hChild == nullptr) {
            delete pData;
            continue;
        }
        if (HasSubfolders(path + "\\" + child.onDisk))
            AddPlaceholder(hChild);
    }
}

std::string CPage1::GetItemPath(HTREEITEM hItem)
{
    std::vector<std::string> texts;
    // Up to, not including, the top-level node (the Desktop).
    for (HTREEITEM h = hItem; h != nullptr && m_treeFolders.GetParentItem(h) != nullptr;
         h = m_treeFolders.GetParentItem(h))
        texts.push_back(m_treeFolders.GetItemText(h, kNodeTextMax));
    std::reverse(texts.begin(), texts.end());
    return JoinItemPath(texts);
}

void CPage1::FreeItemData(HTREEITEM hItem)
{
    for (HTREEITEM h = hItem; h != nullptr; h = m_treeFolders.GetNextSiblingItem(h)) {
        TreeItemData* pData = reinterpret_cast<TreeItemData*>(m_treeFolders.GetItemData(h));
        if (pData != nullptr) {
            delete pData;
            m_treeFolders.SetItemData(h, 0);
            m_treeFolders.SetItemState(h, 0, TVIS_EXPANDEDONCE);
        }
        HTREEITEM hChild = m_treeFolders.GetChildItem(h);
        if (hChild != nullptr)
            FreeItemData(hChild);
    }
}

void CPage1::ReleaseTree()
{
    if (m_hDesktopItem == nullptr || m_treeFolders.m_hWnd == nullptr)
        return;
    CWaitCursor wait;
    FreeItemData(m_hDesktopItem);
}

// ---- Message routing ----

namespace {
// The page's command map: control id, notification code, handler.
struct CommandRoute {
    UINT nID;
    int nCode;
    void (CPage1::*pfnHandler)();
};
const CommandRoute kCommandRoutes[] = {
    {IDC_BTN_ADD,         BN_CLICKED,    &CPage1::OnAdd},
    {IDC_BTN_REMOVE,      BN_CLICKED,    &CPage1::OnRemove},
    {IDC_LIST_PATHS,      LBN_SELCHANGE, &CPage1::OnSelchangeList},
    {IDC_EDIT_NAME,       EN_CHANGE,     &CPage1::OnChangeName},
    {IDC_EDIT_NAME,       EN_SETFOCUS,   &CPage1::OnSetfocusName},
    {IDC_BTN_REFRESH,     BN_CLICKED,    &CPage1::OnRefresh},
    {IDC_CHECK_REMOVABLE, BN_CLICKED,    &CPage1::OnShowDrives},
    {IDC_CHECK_NETWORK,   BN_CLICKED,    &CPage1::OnShowDrives},
};
} // namespace

BOOL CPage1::OnCmdMsg(UINT nID, int nCode)
{
    for (const CommandRoute& route : kCommandRoutes) {
        if (route.nID == nID && route.nCode == nCode) {
            (this->*route.pfnHandler)();
            return TRUE;
        }
    }
    return CPropertyPage::OnCmdMsg(nID, nCode);
}

BOOL CPage1::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    NMHDR* pHdr = reinterpret_cast<NMHDR*>(lParam);
    if (pHdr->idFrom == IDC_TREE_FOLDERS) {
        switch (pHdr->code) {
        case TVN_ITEMEXPANDINGA:
        case TVN_ITEMEXPANDINGW:
            OnItemexpandingTree(pHdr, pResult);
            return TRUE;
        case TVN_SELCHANGEDA:
        case TVN_SELCHANGEDW:
            OnSelchangedTree(pHdr, pResult);
            return TRUE;
        case NM_CLICK:
            OnClickTree(pHdr, pResult);
            return TRUE;
        default:
            break;
        }
    }
    return CPropertyPage::OnNotify(wParam, lParam, pResult);
}

LRESULT CPage1::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_DESTROY:
        // Neither OK nor Cancel reached the page (the sheet was torn down): the records go with the tree.
        ReleaseTree();
        m_hDesktopItem = nullptr;
        return CPropertyPage::WindowProc(msg, wParam, lParam);
    default:
        return CPropertyPage::WindowProc(msg, wParam, lParam);
    }
}
