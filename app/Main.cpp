// Entry point of Trovel.exe: the one application object and WinMain.
#include "app/TrovelApp.h"

CTrovelApp theApp;

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int nCmdShow)
{
    return theApp.WinMainBody(hInstance, lpCmdLine, nCmdShow);
}
