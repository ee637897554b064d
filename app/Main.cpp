// Entry point of Trovel.exe: the one application object and WinMain.
#include "app/TrovelApp.h"

CTrovelApp theApp;

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int nCmdShow)
{
    return theApp.WinMainBody(hInstance, nCmdShow);
}
