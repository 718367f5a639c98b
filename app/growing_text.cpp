#include <windows.h>
#include <malloc.h>

#include "growing_text.h"
#include "bounded_text.h"

static int Grow(GrowingText *growing, DWORD needed)
{
    DWORD capacity = growing->capacity ? growing->capacity : 4096;
    while (capacity < needed) {
        if (capacity > 0x40000000)
            return 0;
        capacity *= 2;
    }
    if (capacity <= growing->capacity)
        return 1;
    char *grown = growing->text == NULL
                      ? (char *)HeapAlloc(GetProcessHeap(), 0, capacity)
                      : (char *)HeapReAlloc(GetProcessHeap(), 0, growing->text, capacity);
    if (grown == NULL)
        return 0;
    growing->text = grown;
    growing->capacity = capacity;
    return 1;
}

int ClearGrowingText(GrowingText *growing, DWORD initialSize, const char *cutMarker)
{
    growing->length = 0;
    growing->cut = 0;
    growing->cutMarker = cutMarker ? cutMarker : "";
    if (!Grow(growing, initialSize))
        return 0;
    growing->text[0] = '\0';
    return 1;
}

/* Room for the cut marker is always kept, so a text that runs out of
   memory can still say so at its end. */
int AppendGrowingText(GrowingText *growing, const char *text)
{
    if (growing->cut || growing->text == NULL)
        return 0;
    DWORD length = (DWORD)lstrlenA(text);
    DWORD markerLength = (DWORD)lstrlenA(growing->cutMarker);
    DWORD needed = growing->length + length + markerLength + 1;
    if (needed > growing->capacity && !Grow(growing, needed)) {
        growing->cut = 1;
        CopyMemory(growing->text + growing->length, growing->cutMarker, markerLength + 1);
        growing->length += markerLength;
        return 0;
    }
    CopyMemory(growing->text + growing->length, text, length + 1);
    growing->length += length;
    return 1;
}

int AppendGrowingLine(GrowingText *growing, size_t lineSize, const char *format, va_list args)
{
    char *line = (char *)_alloca(lineSize);
    int fitted = FormatTextV(line, lineSize, format, args);
    if (!fitted && lineSize >= 6)
        CopyMemory(line + lineSize - 6, "...\r\n", 6);   /* cut cleanly, keeping the line's end */
    AppendGrowingText(growing, line);
    return fitted;
}
