// Window geometry rules of the hidden main frame, as plain functions over plain data.
#pragma once

#include <windows.h>

// Starting rectangle: a quarter of the screen's width and three tenths of its height, centred.
RECT InitialFrameRect(int nScreenWidth, int nScreenHeight);

// System metrics that size the frame around its measuring group box.
struct FrameMetrics {
    int cxFrame;   // SM_CXFRAME
    int cyFrame;   // SM_CYFRAME
    int cyMenu;    // SM_CYMENU
    int cyCaption; // SM_CYCAPTION
};
FrameMetrics CurrentFrameMetrics();

// The frame keeps its top-left corner and takes the group box's size plus borders, menu and caption.
RECT FrameRectAroundGroup(const RECT& rcFrame, const RECT& rcGroup, const FrameMetrics& metrics);
