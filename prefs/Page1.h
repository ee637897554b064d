// The "Paths and Names" page: the folder tree on the left, the favourite folders being edited on the right.
#pragma once

#include "app/RegistryKey.h"
#include "fw/Controls.h"
#include "fw/PropertySheet.h"
#include "prefs/FolderTree.h"
#include "res/resource.h"

// A caption as its tool tip or a screen reader shows it: the mnemonic's '&' left out.
std::string ToolTipText(const std::string& caption);

class CPage1 : public CPropertyPage {
public:
    CPage1();
    ~CPage1() override;

    static constexpr UINT_PTR IDT_SETUP = 103;
    static constexpr UINT kSetupDelay = 100; // ms: the sheet is on screen before the drives are scanned
    // Node texts are read back through a buffer this long, so no folder name is ever cut short.
    static constexpr int kNodeTextMax = MAX_PATH;
    static constexpr const char* kPathTooLongText =
        "The path of this folder is too long for Windows to open it from a file dialog. Choose a folder "
        "with a shorter path.";

    HTREEITEM m_hDesktopItem = nullptr;
    CEdit m_editName;
    CButton m_btnFocus;
    CButton m_btnRemove;
    CButton m_btnAdd;
    CListBox m_listNames;
    CListBox m_listPaths;
    CTreeCtrl m_treeFolders;
    std::string m_strPath;
    std::string m_strName;
    BOOL m_bShowNetwork = 0;
    BOOL m_bShowRemovable = 0;

    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    // The folder tree.
    void FillDriveTree();
    HTREEITEM InsertDriveNode(int nDrive, UINT nDriveType);
    void AddPlaceholder(HTREEITEM hItem);
    void OnItemexpandingTree(NMHDR* pNMHDR, LRESULT* pResult);
    void FillSubfolders(HTREEITEM hItem);
    std::string GetItemPath(HTREEITEM hItem);
    void FreeItemData(HTREEITEM hItem);
    void ReleaseTree();

    // Tool tips for the icon buttons, from their (hidden) captions.
    void AddToolTips();

    // The rows and the enabling rules.
    BOOL CanAddMore(BOOL bWarn);
    void UpdateAddButton(BOOL bDesktopSelected);
    void UpdateEditControls();

    // Handlers.
    void OnTimer(UINT_PTR nIDEvent);
    void OnAdd();
    void OnRemove();
    void OnSelchangedTree(NMHDR* pNMHDR, LRESULT* pResult);
    void OnSelchangeList();
    void OnChangeName();
    void OnClickTree(NMHDR* pNMHDR, LRESULT* pResult);
    void OnSetfocusName();
    void OnRefresh();
    void OnShowDrives();

    BOOL OnCmdMsg(UINT nID, int nCode) override;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

private:
    // Only a drive or folder node can become a row: not the Desktop, not "nothing selected".
    BOOL IsFolderNode(HTREEITEM hItem) const { return hItem != nullptr && hItem != m_hDesktopItem; }
    void RebuildTree();
    // Set when the set-up timer has copied the path list into the rows; until then OK must not
    // replace the path list with the still empty rows.
    bool m_bRowsLoaded = false;
};
