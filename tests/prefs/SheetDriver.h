// Drives the real Preferences sheet from inside its modal loop, as a user would, with the program
// running in the test process over a scratch settings root and scratch folders.
#pragma once

#include "prefs/Page1.h"
#include "prefs/Page2.h"
#include "tests/support/TestApp.h"
#include "watcher/TrovelView.h"

#include <gtest/gtest.h>

#include <functional>

using Texts = std::vector<std::string>;

// Runs open(), which shows a modal dialog; inside that dialog's loop, once ready() holds, runs script().
// What open() brought up is cancelled 3 s after the script, or after 20 s, so no test can hang. Nests.
bool RunInsideModal(const std::function<void()>& open, const std::function<bool()>& ready,
                    const std::function<void()>& script);
std::vector<HWND> ShownWindowsTitled(const char* pszTitle);

// User actions on real controls; a disabled control takes no click.
void Click(HWND hControl);
void ClickListRow(HWND hList, int row);
void ClickTreeItem(HWND hTree, HTREEITEM hItem);
void TypeInto(HWND hEdit, const std::string& text);
Texts ListRows(HWND hList);
std::string ItemText(HWND hTree, HTREEITEM hItem);
Texts ChildTexts(HWND hTree, HTREEITEM hParent);
HTREEITEM FindChild(HWND hTree, HTREEITEM hParent, const std::string& text); // expands hParent first
HTREEITEM ExpandTo(HWND hTree, const std::string& path);                     // and selects it

void RemoveTree(const std::string& path); // with everything in it

// What keeps a page from being used with the keyboard alone, each as a line: a tab stop out of
// reading order (top to bottom, then left to right), a tab stop without a mnemonic of its own or of
// the label just before it, and a mnemonic letter used twice. Empty when there is nothing.
Texts KeyboardProblems(HWND hPage);

class PreferencesTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens Preferences through its command and runs the script inside the sheet once the first page
    // has filled its tree and rows (waitForSetup) or as soon as the page exists.
    bool WithPreferences(const std::function<void(HWND hSheet, CPage1& page)>& script, bool waitForSetup = true);
    static CPage2* ShowPage2(HWND hSheet);
    static HWND Item(CPage1& page, int nID) { return ::GetDlgItem(page.m_hWnd, nID); }
    static bool Enabled(CPage1& page, int nID) { return ::IsWindowEnabled(Item(page, nID)) != FALSE; }
    static void Press(HWND hSheet, int nButton) { ::SendMessageA(hSheet, PSM_PRESSBUTTON, (WPARAM)nButton, 0); }
    void AddFolder(CPage1& page, const std::string& path);

    std::string Make(const std::string& relative); // a scratch folder and its parents; returns its path
    void StorePathList(const std::vector<PathEntry>& entries); // as if read at start-up
    std::string Stored(const char* pszSubKey, const char* pszName);

    ScratchRegistryRoot m_scratch;
    std::string m_root;              // C:\TrovelPrefs-<process>, removed after the test
    CTrovelView* m_pView = nullptr;
    static Texts s_boxes;            // "caption|text" of each message box, answered with OK

private:
    static LRESULT CALLBACK MessageBoxHook(int code, WPARAM wParam, LPARAM lParam);
    HHOOK m_hHook = nullptr;
};
