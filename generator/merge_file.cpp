#include <windows.h>

#include "merge_file.h"
#include "generator_files.h"
#include "guid_text.h"
#include "../app/bounded_text.h"
#include "../app/language.h"
#include "../app/text_file.h"
#include "../app/product_profile.h"
#include "../checks/file_check.h"
#include "../resources/resource_ids.h"

#define MERGE_CUT_MARKER "\r\n; The list was cut here: not enough memory for the rest.\r\n"

GrowingText MergeText;

static void AppendMergeLine(const char *format, ...) __attribute__((format(ms_printf, 1, 2)));
static void AppendMergeLine(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    AppendGrowingLine(&MergeText, MERGE_LINE_SIZE, format, args);
    va_end(args);
}

static void AppendEntry(const char *key, const GeneratorFileRecord *record)
{
    AppendMergeLine("[HKEY_LOCAL_MACHINE\\%s\\%s]\r\n", key, record->fileName);
    AppendMergeLine("\"MajorVersion\"=dword:%08lx\r\n", (unsigned long)record->versionMS);
    AppendMergeLine("\"MinorVersion\"=dword:%08lx\r\n", (unsigned long)record->versionLS);
    AppendMergeLine("\"Location\"=hex:%02lx\r\n", (unsigned long)record->location);
    AppendMergeLine("\"UpdateAllowed\"=hex:01\r\n");
    if (IsNullGuid(&record->clsid))
        return;
    /* The class ID in its binary layout, byte by byte in memory order. */
    const BYTE *bytes = (const BYTE *)&record->clsid;
    char line[MERGE_LINE_SIZE];
    FormatText(line, sizeof(line), "\"Guid\"=hex:%02x", bytes[0]);
    for (size_t i = 1; i < sizeof(GUID); i++) {
        char byte[4];
        FormatText(byte, sizeof(byte), ",%02x", bytes[i]);
        AppendText(line, sizeof(line), byte);
    }
    AppendText(line, sizeof(line), "\r\n\r\n");
    AppendGrowingText(&MergeText, line);
}

int ComposeMergeText(HWND dialog)
{
    char key[FILE_CHECK_KEY_SIZE];
    CopyText(key, sizeof(key), Profile.fileCheckKey);
    ClearGrowingText(&MergeText, MERGE_INITIAL_SIZE, MERGE_CUT_MARKER);
    AppendGrowingText(&MergeText, "REGEDIT4\r\n\r\n");
    LRESULT count = SendDlgItemMessageA(dialog, IDC_GEN_FILE_LIST, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; i++) {
        LRESULT data = SendDlgItemMessageA(dialog, IDC_GEN_FILE_LIST, LB_GETITEMDATA, (WPARAM)i, 0);
        if (data != LB_ERR && data != 0)
            AppendEntry(key, (const GeneratorFileRecord *)data);
    }
    return !MergeText.cut;
}

int WriteMergeFile(HWND dialog)
{
    /* A merge file without every entry would install half a list: when
       memory ran out, no file is written at all. */
    if (!ComposeMergeText(dialog)) {
        ShowError("Could not write registry file!");
        return 0;
    }
    /* A relative name: the file goes to the current directory. */
    return WriteTextFile(MERGE_FILE_NAME, MergeText.text != NULL ? MergeText.text : "",
                         "Could not create registry file!", "Could not write registry file!");
}
