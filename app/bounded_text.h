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

#endif
