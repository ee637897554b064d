// Placeholder until the scan lands.
#include "watcher/TrovelView.h"
LRESULT CTrovelView::OnFindDialog(WPARAM, LPARAM) { return 0; }
BOOL CALLBACK CTrovelView::FindDialogEnumProc(HWND, LPARAM) { return FALSE; }
void CTrovelView::InspectWindow(HWND) {}
int CTrovelView::RecognizeDialog(std::string, std::string, std::string) const { return -1; }
LRESULT CTrovelView::OnTrovelMsg(WPARAM, LPARAM) { return 0; }
