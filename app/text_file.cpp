#include <windows.h>

#include "text_file.h"
#include "language.h"

int WriteTextFile(const char *path, const char *text, const char *createFailed, const char *writeFailed)
{
    DWORD length = (DWORD)lstrlenA(text);
    /* Not shared while it is written: a reader never sees half a file. */
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        ShowError(createFailed);
        return 0;
    }
    DWORD written = 0;
    if (!WriteFile(file, text, length, &written, NULL) || written != length) {
        CloseHandle(file);
        ShowError(writeFailed);
        return 0;
    }
    CloseHandle(file);
    return 1;
}
