#include <windows.h>

#include "language.h"
#include "bounded_text.h"
#include "product_profile.h"
#include "program.h"

HMODULE LanguageLibrary;
char languageCode[4];
char ResultText[LONG_TEXT_SIZE];
DWORD HelpContext;

static char loadTextBuffer[LOAD_TEXT_SIZE];
static char longTextBuffer[LONG_TEXT_SIZE];

/* The product key's "Language" value, whatever its type: its raw bytes are
   the code. A value that does not fit in four bytes is refused by the
   registry, and four characters without a terminating NUL (a binary value)
   are a code longer than three characters: neither fits, and English is used. */
static int QueryLanguageCode(char *code, DWORD size)
{
    HKEY key;
    ZeroMemory(code, size);
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, Profile.productKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    DWORD read = size;
    LONG status = RegQueryValueExA(key, "Language", NULL, NULL, (BYTE *)code, &read);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && !(read == size && code[size - 1] != '\0');
}

int ReadLanguageCode(void)
{
    char code[sizeof(languageCode)];
    int read = QueryLanguageCode(code, sizeof(code));
    CopyText(languageCode, sizeof(languageCode), read ? code : DEFAULT_LANGUAGE_CODE);
    return read;
}

int BuildLanguageLibraryPath(char *path, size_t size)
{
    int fitted = GetProgramDirectory(path, size);
    fitted &= AppendText(path, size, Profile.profileKey);
    fitted &= AppendText(path, size, "Quor");
    fitted &= AppendText(path, size, languageCode);
    fitted &= AppendText(path, size, ".DLL");
    return fitted;
}

int LoadLanguageLibrary(void)
{
    char path[MAX_PATH];
    char message[MAX_PATH + 80];

    ReadLanguageCode();
    /* A path that does not fit is never loaded: a cut name could load a
       different file from another directory. */
    if (BuildLanguageLibraryPath(path, sizeof(path)))
        LanguageLibrary = LoadLibraryA(path);
    if (LanguageLibrary != NULL)
        return 1;

    FormatText(message, sizeof(message),
               "Language %s not found !\r\n\r\nPlease re-install the software.", path);
    MessageBoxA(MainWindow, message, PROGRAM_TITLE, MB_ICONERROR);
    return 0;
}

const char *LoadText(UINT id)
{
    if (LoadStringA(LanguageLibrary, id, loadTextBuffer, sizeof(loadTextBuffer)) == 0)
        loadTextBuffer[0] = '\0';
    return loadTextBuffer;
}

const char *LoadLongText(UINT firstId)
{
    char piece[LONG_TEXT_PIECE];

    longTextBuffer[0] = '\0';
    for (UINT n = 0; n < LONG_TEXT_MAX_PIECES; n++) {
        if (LoadStringA(LanguageLibrary, firstId + n, piece, sizeof(piece)) == 0)
            break;
        /* A run longer than the buffer is cut at its end. */
        if (!AppendText(longTextBuffer, sizeof(longTextBuffer), piece))
            break;
    }
    return longTextBuffer;
}

void SetResultText(UINT firstId)
{
    CopyText(ResultText, sizeof(ResultText), LoadLongText(firstId));
}

ErrorPrinter PrintError;

int ShowError(const char *text)
{
    if (PrintError != NULL)
        return PrintError(text);
    return MessageBoxA(MainWindow, text, PROGRAM_TITLE, MB_ICONERROR);
}

int ShowHelp(void)
{
    char helpFile[MAX_PATH];

    int fitted = GetProgramDirectory(helpFile, sizeof(helpFile));
    fitted &= AppendText(helpFile, sizeof(helpFile), "QUORV");
    fitted &= AppendText(helpFile, sizeof(helpFile), languageCode);
    fitted &= AppendText(helpFile, sizeof(helpFile), ".HLP");
    if (fitted && WinHelpA(MainWindow, helpFile, HELP_CONTEXT, HelpContext))
        return 1;
    MessageBoxA(GetFocus(), "Unable to activate help", PROGRAM_TITLE, MB_ICONERROR);
    return 0;
}
