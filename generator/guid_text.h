/* Class IDs as the registry spells them. */
#ifndef QUORVEX_GUID_TEXT_H
#define QUORVEX_GUID_TEXT_H

#include <windows.h>

#define GUID_TEXT_SIZE 39   /* {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX} and its NUL */

DWORD ParseHexDigits(const char *text, int count);
int ParseGuidText(const char *text, GUID *guid);
int FormatGuidText(const GUID *guid, char *buffer, size_t size);
int IsNullGuid(const GUID *guid);

#endif
