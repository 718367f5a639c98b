/* Bounded copies, appends and formatting into fixed character buffers.
   Each returns 1 when the whole text fitted and 0 when it was cut; in both
   cases the buffer holds a NUL-terminated string and nothing is written
   past its last byte. */
#ifndef QUORVEX_BOUNDED_TEXT_H
#define QUORVEX_BOUNDED_TEXT_H

#include <stddef.h>
#include <stdarg.h>

int CopyText(char *buffer, size_t size, const char *text);
int AppendText(char *buffer, size_t size, const char *text);
int FormatText(char *buffer, size_t size, const char *format, ...)
    __attribute__((format(ms_printf, 3, 4)));
int FormatTextV(char *buffer, size_t size, const char *format, va_list args);
/* Splits a path as the runtime's path splitting does: the directory part
   (drive and everything through the last slash of either kind) and the name
   part. Unlike _splitpath, which leaves every part empty when a name is
   longer than 255 characters. 1 when both parts fitted. */
int SplitFilePath(const char *path, char *directory, size_t directorySize, char *name, size_t nameSize);

#endif
