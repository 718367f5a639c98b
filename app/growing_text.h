/* A text that grows as lines are appended, so that nothing is ever cut for
   want of room. Only when memory runs out does it stop taking lines, and
   then it ends with a line that says so. */
#ifndef QUORVEX_GROWING_TEXT_H
#define QUORVEX_GROWING_TEXT_H

#include <windows.h>

struct GrowingText {
    char *text;          /* NUL-terminated; NULL before the first use */
    DWORD length;
    DWORD capacity;
    int cut;             /* 1 once a line could not be taken */
    const char *cutMarker;
};

/* Empties the text, keeping at least initialSize bytes of room. */
int ClearGrowingText(GrowingText *growing, DWORD initialSize, const char *cutMarker);
int AppendGrowingText(GrowingText *growing, const char *text);
/* Formats one line into a buffer of lineSize bytes first; a longer line is
   cut and ends in "...\r\n". Returns 1 when the line fitted whole. */
int AppendGrowingLine(GrowingText *growing, size_t lineSize, const char *format, va_list args);

#endif
