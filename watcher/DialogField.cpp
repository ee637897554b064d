// The table of save-dialog kinds, the signs that recognise them and the field finder.
#include "watcher/DialogField.h"
#include "watcher/Recognizer.h"
#include "fw/TextConv.h"

const DialogKind kDialogKinds[] = {
    // recognised by              field looked for at                                             written by
    {DialogSign::ItemOpen,       0,                                                                FieldWrite::None},
    {DialogSign::TitleRules,     FIELD_RECORDED | FIELD_OTHER_CLASSIC | FIELD_ITEM_CHAIN,           FieldWrite::ReplaceSelection},
    {DialogSign::TitleRulesOwn,  FIELD_RECORDED,                                                   FieldWrite::SetText},
    {DialogSign::ItemSaveChain,  FIELD_ITEM_CHAIN,                                                 FieldWrite::ReplaceSelection},
    {DialogSign::TitledSaveEdit, FIELD_RECORDED,                                                   FieldWrite::ReplaceSelection},
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

// Counts the edits at the end of the save chain, keeping the last, and stops once it has nLimit;
// the chain starts at the dialog's DUIViewWndClassName children.
int CollectChainEdits(HWND hDialog, bool bVisibleEnabledOnly, int nLimit, HWND* phEdit)
{
    int count = 0;
    AnyChild(hDialog, L"DUIViewWndClassName", [&](HWND hView) {
        return AnyChild(hView, L"DirectUIHWND", [&](HWND hDirect) {
            return AnyChild(hDirect, L"FloatNotifySink", [&](HWND hSink) {
                return AnyChild(hSink, L"ComboBox", [&](HWND hCombo) {
                    return AnyChild(hCombo, L"Edit", [&](HWND hEdit) {
                        if (bVisibleEnabledOnly && (!::IsWindowVisible(hEdit) || !::IsWindowEnabled(hEdit)))
                            return false;
                        *phEdit = hEdit;
                        return ++count >= nLimit;
                    });
                });
            });
        });
    });
    return count;
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
        return facts.HasItemView() && !facts.HasSaveChain();
    case DialogSign::TitleRules:
        nCtrlId = facts.TitleRuleId();
        return nCtrlId == kCtrlExplorerCombo || nCtrlId == kCtrlClassicEdit;
    case DialogSign::TitleRulesOwn:
        nCtrlId = facts.TitleRuleId();
        return nCtrlId == kCtrlBosaNT4 || nCtrlId == kCtrlBosaWin2000;
    case DialogSign::ItemSaveChain:
        nCtrlId = kCtrlItemEdit;
        return facts.HasSaveChain();
    case DialogSign::TitledSaveEdit: {
        nCtrlId = kCtrlClassicEdit;
        if (!facts.TitledSave())
            return false;
        HWND hEdit = ::GetDlgItem(facts.Handle(), kCtrlClassicEdit);
        return hEdit != nullptr && ClassIs(hEdit, L"Edit");
    }
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
        if (SignHolds(kDialogKinds[i].sign, facts, nCtrlId)) {
            if (kDialogKinds[i].write == FieldWrite::None)
                return {-1, kCtrlNotFound};
            return {i, nCtrlId};
        }
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
    return nullptr;
}
