/* Where the test program and the libraries built beside it live. */
#ifndef QUORVEX_TEST_PATHS_H
#define QUORVEX_TEST_PATHS_H

#include <windows.h>
#include <string>

inline std::string TestProgramDirectory()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof(path));
    std::string directory(path, length);
    return directory.substr(0, directory.find_last_of('\\') + 1);
}

#endif
