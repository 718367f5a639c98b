#include <windows.h>
#include <strsafe.h>

#include "bounded_text.h"

/* strsafe reports a cut text as STRSAFE_E_INSUFFICIENT_BUFFER but still
   leaves a terminated string behind; only an empty buffer is left alone. */
int CopyText(char *buffer, size_t size, const char *text)
{
    if (buffer == NULL || size == 0)
        return 0;
    return SUCCEEDED(StringCchCopyA(buffer, size, text ? text : "")) ? 1 : 0;
}

int AppendText(char *buffer, size_t size, const char *text)
{
    if (buffer == NULL || size == 0)
        return 0;
    return SUCCEEDED(StringCchCatA(buffer, size, text ? text : "")) ? 1 : 0;
}

int FormatTextV(char *buffer, size_t size, const char *format, va_list args)
{
    if (buffer == NULL || size == 0)
        return 0;
    return SUCCEEDED(StringCchVPrintfA(buffer, size, format, args)) ? 1 : 0;
}

int FormatText(char *buffer, size_t size, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    int fitted = FormatTextV(buffer, size, format, args);
    va_end(args);
    return fitted;
}

int SplitFilePath(const char *path, char *directory, size_t directorySize, char *name, size_t nameSize)
{
    size_t cut = path[0] != '\0' && path[1] == ':' ? 2 : 0;
    /* Character by character: in a multibyte code page (Japanese, Chinese,
       Korean) the second byte of a character may be a backslash. */
    for (const char *p = path; *p != '\0'; p = CharNextA(p))
        if (*p == '\\' || *p == '/')
            cut = (size_t)(p - path) + 1;
    int fitted = CopyText(name, nameSize, path + cut);
    CopyText(directory, directorySize, path);
    if (cut < directorySize)
        directory[cut] = '\0';
    return fitted && cut < directorySize;
}
