// The table of file-dialog kinds, the signs that recognise them and the field finder.
#include "watcher/DialogField.h"
#include "watcher/Recognizer.h"
#include "fw/TextConv.h"

const DialogKind kDialogKinds[] = {
    // recognised by              field looked for at                                      written by                    for                   goes to a folder
    // Browse for Folder, whatever its title: its OK would choose at once.
    {DialogSign::FolderTree,      FIELD_FOLDER_TREE,                                       FieldWrite::SelectInTree,     DialogPurpose::Open, FolderChange::Never},
    {DialogSign::ItemOpen,        FIELD_RECORDED,                                          FieldWrite::ReplaceSelection, DialogPurpose::Open, FolderChange::PressWithTypes},
    {DialogSign::TitleRules,      FIELD_RECORDED | FIELD_OTHER_CLASSIC | FIELD_ITEM_CHAIN, FieldWrite::ReplaceSelection, DialogPurpose::Save, FolderChange::Press},
    {DialogSign::TitleRulesOwn,   FIELD_RECORDED,                                          FieldWrite::SetText,          DialogPurpose::Save, FolderChange::Never},
    {DialogSign::ItemSaveChain,   FIELD_ITEM_CHAIN,                                        FieldWrite::ReplaceSelection, DialogPurpose::Save, FolderChange::Press},
    {DialogSign::TitledSaveEdit,  FIELD_RECORDED,                                          FieldWrite::ReplaceSelection, DialogPurpose::Save, FolderChange::Press},
    // Wine's item open dialog, which also picks folders, and the old-style one, which never does.
    {DialogSign::TitledOpenEdit,  FIELD_RECORDED,                                          FieldWrite::ReplaceSelection, DialogPurpose::Open, FolderChange::PressWithTypes},
    {DialogSign::TitledOpenCombo, FIELD_RECORDED,                                          FieldWrite::ReplaceSelection, DialogPurpose::Open, FolderChange::Press},
    // Save and open cannot be told apart here: without a file-type list it picks folders.
    {DialogSign::WineItemDialog,  FIELD_RECORDED,                                          FieldWrite::ReplaceSelection, DialogPurpose::Open, FolderChange::PressWithTypes},
};
const int kDialogKindCount = sizeof(kDialogKinds) / sizeof(kDialogKinds[0]);

namespace {

const char kDialogClass[] = "#32770";

bool ClassIs(HWND hWnd, const wchar_t* pszClass)
{
    wchar_t szClass[64];
    return ::GetClassNameW(hWnd, szClass, 64) > 0 && ::lstrcmpiW(szClass, pszClass) == 0;
}

// Calls visit for each direct child of the class until it returns true; true then.
template <typename Visit>
bool AnyChild(HWND hParent, const wchar_t* pszClass, Visit visit)
{
    for (HWND hChild = nullptr; (hChild = ::FindWindowExW(hParent, hChild, pszClass, nullptr)) != nullptr;) {
        if (visit(hChild))
            return true;
    }
    return false;
}

// Calls visit for each combo box of the item dialog's chain (DUIViewWndClassName > DirectUIHWND >
// FloatNotifySink > ComboBox), where its name box and its file types live, until it returns true.
template <typename Visit>
bool AnyChainCombo(HWND hDialog, Visit visit)
{
    return AnyChild(hDialog, L"DUIViewWndClassName", [&](HWND hView) {
        return AnyChild(hView, L"DirectUIHWND", [&](HWND hDirect) {
            return AnyChild(hDirect, L"FloatNotifySink",
                            [&](HWND hSink) { return AnyChild(hSink, L"ComboBox", visit); });
        });
    });
}

// Counts the edits at the end of the save chain, keeping the last, and stops once it has nLimit.
int CollectChainEdits(HWND hDialog, bool bVisibleEnabledOnly, int nLimit, HWND* phEdit)
{
    int count = 0;
    AnyChainCombo(hDialog, [&](HWND hCombo) {
        return AnyChild(hCombo, L"Edit", [&](HWND hEdit) {
            if (bVisibleEnabledOnly && (!::IsWindowVisible(hEdit) || !::IsWindowEnabled(hEdit)))
                return false;
            *phEdit = hEdit;
            return ++count >= nLimit;
        });
    });
    return count;
}

// The file-type list: cmb1 (1136) of the common dialog and of Wine's item dialog, hidden when the
// program gave no types; in the item dialog of Vista to 11, the drop-down list beside the name box.
bool ShowsTypeList(HWND hDialog)
{
    HWND hTypes = ::GetDlgItem(hDialog, 1136);
    if (hTypes != nullptr && ClassIs(hTypes, L"ComboBox") && ::IsWindowVisible(hTypes))
        return true;
    return AnyChainCombo(hDialog, [](HWND hCombo) {
        return (::GetWindowLongPtrW(hCombo, GWL_STYLE) & 3) == CBS_DROPDOWNLIST && ::IsWindowVisible(hCombo);
    });
}

// A combo box is written through its edit; an extended combo box holds a combo box holding it.
HWND EditOf(HWND hCtrl)
{
    if (hCtrl == nullptr)
        return nullptr;
    if (ClassIs(hCtrl, L"ComboBoxEx32"))
        return EditOf(::FindWindowExW(hCtrl, nullptr, L"ComboBox", nullptr));
    if (ClassIs(hCtrl, L"ComboBox"))
        return ::FindWindowExW(hCtrl, nullptr, L"Edit", nullptr); // none in a drop-down list: not writable
    return hCtrl;
}

// What a sign needs of the window, each fact read once and only when a sign asks for it.
class WindowFacts {
public:
    WindowFacts(HWND hWnd, std::string_view title, std::string_view className, int nTitleRuleId)
        : m_hWnd(hWnd), m_title(title), m_nTitleRuleId(nTitleRuleId),
          m_bDialog(className.size() == sizeof(kDialogClass) - 1 && className == kDialogClass)
    {
    }

    bool IsDialog() const { return m_bDialog; }
    int TitleRuleId() const { return m_nTitleRuleId; }
    bool HasItemView()
    {
        if (m_nItemView < 0)
            m_nItemView = m_bDialog && ::FindWindowExW(m_hWnd, nullptr, L"DUIViewWndClassName", nullptr) != nullptr;
        return m_nItemView != 0;
    }
    bool HasSaveChain()
    {
        if (m_nSaveChain < 0) {
            HWND hEdit = nullptr;
            m_nSaveChain = HasItemView() && CollectChainEdits(m_hWnd, false, 1, &hEdit) > 0;
        }
        return m_nSaveChain != 0;
    }
    // The platform's upper-casing, as the title rules use.
    bool TitledSave() const { return m_bDialog && m_title.size() == 4 && Utf8Upper(m_title) == "SAVE"; }
    bool TitledOpen() const { return m_bDialog && m_title.size() == 4 && Utf8Upper(m_title) == "OPEN"; }
    // A direct child of the id and class.
    bool HasDirect(int nCtrlId, const wchar_t* pszClass) const
    {
        HWND hCtrl = ::GetDlgItem(m_hWnd, nCtrlId);
        return hCtrl != nullptr && ClassIs(hCtrl, pszClass);
    }
    HWND Handle() const { return m_hWnd; }

private:
    HWND m_hWnd;
    std::string_view m_title;
    int m_nTitleRuleId;
    bool m_bDialog;
    int m_nItemView = -1;
    int m_nSaveChain = -1;
};

bool SignHolds(DialogSign sign, WindowFacts& facts, int& nCtrlId)
{
    switch (sign) {
    case DialogSign::ItemOpen:
        nCtrlId = kCtrlExplorerCombo;
        return facts.HasItemView() && !facts.HasSaveChain() && facts.HasDirect(kCtrlExplorerCombo, L"ComboBoxEx32");
    case DialogSign::TitleRules:
        nCtrlId = facts.TitleRuleId();
        return nCtrlId == kCtrlExplorerCombo || nCtrlId == kCtrlClassicEdit;
    case DialogSign::TitleRulesOwn:
        nCtrlId = facts.TitleRuleId();
        return nCtrlId == kCtrlBosaNT4 || nCtrlId == kCtrlBosaWin2000;
    case DialogSign::ItemSaveChain:
        nCtrlId = kCtrlItemEdit;
        return facts.HasSaveChain();
    case DialogSign::TitledSaveEdit:
        nCtrlId = kCtrlClassicEdit;
        return facts.TitledSave() && facts.HasDirect(kCtrlClassicEdit, L"Edit");
    case DialogSign::TitledOpenEdit:
        nCtrlId = kCtrlClassicEdit;
        return facts.TitledOpen() && facts.HasDirect(kCtrlClassicEdit, L"Edit");
    case DialogSign::FolderTree:
        nCtrlId = kCtrlFolderTree;
        return facts.IsDialog() && FindFolderTree(facts.Handle()) != nullptr;
    case DialogSign::WineItemDialog:
        nCtrlId = kCtrlClassicEdit;
        return facts.IsDialog() && ::FindWindowExW(facts.Handle(), nullptr, L"ExplorerBrowserControl", nullptr) != nullptr &&
               facts.HasDirect(kCtrlClassicEdit, L"Edit");
    case DialogSign::TitledOpenCombo:
        nCtrlId = kCtrlExplorerCombo;
        return facts.TitledOpen() && (facts.HasDirect(kCtrlExplorerCombo, L"ComboBoxEx32") ||
                                      facts.HasDirect(kCtrlExplorerCombo, L"ComboBox"));
    }
    return false;
}

} // namespace

DialogMatch ClassifyDialog(HWND hWnd, std::string_view title, std::string_view className, int nTitleRuleId)
{
    WindowFacts facts(hWnd, title, className, nTitleRuleId);
    // Nothing but the title rules can hold for a window of another class: no child is looked at.
    if (!facts.IsDialog() && nTitleRuleId == kCtrlNotFound)
        return {-1, kCtrlNotFound};
    for (int i = 0; i < kDialogKindCount; ++i) {
        int nCtrlId = kCtrlNotFound;
        if (SignHolds(kDialogKinds[i].sign, facts, nCtrlId))
            return {i, nCtrlId};
    }
    return {-1, kCtrlNotFound};
}

int DialogKindOf(DialogSign sign)
{
    for (int i = 0; i < kDialogKindCount; ++i) {
        if (kDialogKinds[i].sign == sign)
            return i;
    }
    return -1;
}

HWND FindFolderTree(HWND hDialog)
{
    HWND hTree = ::GetDlgItem(hDialog, kCtrlFolderTree);
    if (hTree == nullptr) {
        if (HWND hSpace = ::FindWindowExW(hDialog, nullptr, L"SHBrowseForFolder ShellNameSpace Control", nullptr))
            hTree = ::GetDlgItem(hSpace, kCtrlFolderTree);
    }
    return hTree != nullptr && ClassIs(hTree, L"SysTreeView32") ? hTree : nullptr;
}

bool GoesToFolder(const DialogKind& kind, HWND hDialog)
{
    return kind.change == FolderChange::Press || (kind.change == FolderChange::PressWithTypes && ShowsTypeList(hDialog));
}

HWND FindItemChainEdit(HWND hDialog, bool bVisibleEnabledOnly)
{
    HWND hEdit = nullptr;
    // A second edit makes it ambiguous: better none than the wrong one.
    return CollectChainEdits(hDialog, bVisibleEnabledOnly, 2, &hEdit) == 1 ? hEdit : nullptr;
}

HWND FindFileNameField(HWND hDialog, const DialogKind& kind, int nCtrlId)
{
    if (hDialog == nullptr || !::IsWindow(hDialog))
        return nullptr;
    // GetDlgItem looks at direct children only, so a control of the same id deeper down never answers.
    if (kind.places & FIELD_RECORDED) {
        if (HWND hField = EditOf(::GetDlgItem(hDialog, nCtrlId)))
            return hField;
    }
    if ((kind.places & FIELD_OTHER_CLASSIC) && (nCtrlId == kCtrlExplorerCombo || nCtrlId == kCtrlClassicEdit)) {
        int nOther = nCtrlId == kCtrlExplorerCombo ? kCtrlClassicEdit : kCtrlExplorerCombo;
        if (HWND hField = EditOf(::GetDlgItem(hDialog, nOther)))
            return hField;
    }
    if (kind.places & FIELD_ITEM_CHAIN)
        return FindItemChainEdit(hDialog, true);
    if (kind.places & FIELD_FOLDER_TREE)
        return FindFolderTree(hDialog);
    return nullptr;
}
