#include "system_library.h"
#include "bounded_text.h"

/* Windows 98, ME, 2000 and XP before SP2 search the current folder before
   the system folder: a library of the same name planted where a technician
   or a script starts the program would run in its place. */
HMODULE LoadSystemLibrary(const char *name)
{
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, sizeof(path));
    if (length == 0 || length >= sizeof(path))
        return NULL;
    if (!AppendText(path, sizeof(path), "\\") || !AppendText(path, sizeof(path), name))
        return NULL;   /* a cut path would name another file */
    return LoadLibraryA(path);
}
