// The menu at the file dialog: opened beside its file-name field with the first item selected, and
// afterwards the dialog given back the front with the focus in its field.
#pragma once

#include "tray/MenuRows.h"

#include <windows.h>

// Shows the rows as a pop-up menu just below the field, or just above it where the screen ends,
// never over it; arrows and Enter work at once. The menu has an owner window of its own, on this
// thread. The picked id, 0 when the menu was closed without a pick or there is nothing to show.
UINT TrackMenuBesideField(HWND hField, const std::vector<MenuRow>& rows);

// Puts the dialog in front again and the focus into its field, the caret at the end of its text.
// Each send to the dialog is bounded as the paste's are. FALSE when the dialog did not answer.
BOOL ReturnToDialog(HWND hDialog, HWND hField);
