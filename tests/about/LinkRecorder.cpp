// Link target for the tests: proves the shell really started it by leaving "opened" beside itself.
#include <windows.h>

#include <cstdio>
#include <cstring>

int main()
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::strcpy(std::strrchr(path, '\\') + 1, "link_recorder.txt");
    FILE* pFile = std::fopen(path, "w");
    if (pFile == nullptr)
        return 1;
    std::fputs("opened", pFile);
    std::fclose(pFile);
    return 0;
}
