#include <windows.h>

#include "program.h"

HINSTANCE ProgramInstance;
HWND MainWindow;

int GetProgramDirectory(char *buffer, size_t size)
{
    if (buffer == NULL || size == 0)
        return 0;
    DWORD length = GetModuleFileNameA(NULL, buffer, (DWORD)size);
    if (length == 0 || length >= size) {
        buffer[0] = '\0';   /* a cut path would name another directory */
        return 0;
    }
    buffer[length] = '\0';
    char *lastSlash = NULL;
    for (char *p = buffer; *p; p = CharNextA(p))
        if (*p == '\\')
            lastSlash = p;
    if (lastSlash != NULL)
        lastSlash[1] = '\0';
    return 1;
}
