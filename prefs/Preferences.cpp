// Placeholder until the Preferences sheet lands.
#include "watcher/TrovelView.h"
void CTrovelView::OnPreferences() {}
