#include <windows.h>

#include "guid_text.h"
#include "../app/bounded_text.h"

/* Any character that is not a hex digit, the end of the text included,
   makes the whole value 0. */
DWORD ParseHexDigits(const char *text, int count)
{
    DWORD value = 0;
    for (int i = 0; i < count; i++) {
        char c = text[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return 0;
        value = (value << 4) | (DWORD)digit;
    }
    return value;
}

/* Fields of a key name read by position; braces and hyphens are not
   checked. A name shorter than a GUID leaves its missing fields 0. */
int ParseGuidText(const char *text, GUID *guid)
{
    static const int data4Offsets[8] = { 20, 22, 25, 27, 29, 31, 33, 35 };
    int length = lstrlenA(text);
    ZeroMemory(guid, sizeof(*guid));
    if (length >= 9)
        guid->Data1 = ParseHexDigits(text + 1, 8);
    if (length >= 14)
        guid->Data2 = (WORD)ParseHexDigits(text + 10, 4);
    if (length >= 19)
        guid->Data3 = (WORD)ParseHexDigits(text + 15, 4);
    for (int i = 0; i < 8; i++)
        if (length >= data4Offsets[i] + 2)
            guid->Data4[i] = (BYTE)ParseHexDigits(text + data4Offsets[i], 2);
    return 1;
}

int FormatGuidText(const GUID *guid, char *buffer, size_t size)
{
    return FormatText(buffer, size, "{%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}",
                      (unsigned long)guid->Data1, guid->Data2, guid->Data3, guid->Data4[0], guid->Data4[1],
                      guid->Data4[2], guid->Data4[3], guid->Data4[4], guid->Data4[5], guid->Data4[6],
                      guid->Data4[7]);
}

int IsNullGuid(const GUID *guid)
{
    const BYTE *bytes = (const BYTE *)guid;
    for (size_t i = 0; i < sizeof(GUID); i++)
        if (bytes[i] != 0)
            return 0;
    return 1;
}
