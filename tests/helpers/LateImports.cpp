// Imports two functions that XP x64 lacks, one the headers guard and one they do not, for the test
// that the import check turns such an exe down. Never run.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0602
#include <windows.h>

int main()
{
    return (int)::GetTickCount64() + (::AddDllDirectory(L"C:\\") != nullptr);
}
