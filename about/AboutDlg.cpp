// Placeholder until the About box lands.
#include "app/TrovelApp.h"
void CTrovelApp::OnAppAbout() {}
