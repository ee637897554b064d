// The menu at the file dialog: opened beside its file-name field with the first item selected, and
// afterwards the dialog given back the front with the focus in its field.
#pragma once

#include "tray/MenuRows.h"

#include <windows.h>

// Whether a menu cyMenu high fits below the field, in the work area of the field's monitor.
bool MenuFitsBelow(const RECT& rcField, int cyMenu, const RECT& rcWork);

// Shows the rows as a pop-up menu just below the field, or just above it where its monitor's work
// area ends, never over it; arrows and Enter work at once. The menu has an owner window of its own,
// on this thread; the field's dialog has the front again afterwards. The picked id, 0 when the menu
// was closed without a pick or there is nothing to show; *pbLeftFor is set when the user closed it by
// going to another window (a click elsewhere), which then keeps the front.
UINT TrackMenuBesideField(HWND hField, const std::vector<MenuRow>& rows, bool* pbLeftFor = nullptr);

// Puts the dialog in front again and the focus into its field, the caret at the end of its text.
// Each send to the dialog is bounded as the paste's are. FALSE when the dialog did not answer.
BOOL ReturnToDialog(HWND hDialog, HWND hField);
