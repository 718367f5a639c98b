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

int ReadLanguageCode(void)
{
    HKEY key;
    char code[sizeof(languageCode)];
    DWORD size = sizeof(code);
    LONG status;

    ZeroMemory(code, sizeof(code));
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, Profile.productKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        CopyText(languageCode, sizeof(languageCode), "001");
        return 0;
    }
    /* Whatever the value's type, its raw bytes are the code; a value that
       does not fit in four bytes is refused by the registry. */
    status = RegQueryValueExA(key, "Language", NULL, NULL, (BYTE *)code, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
        CopyText(languageCode, sizeof(languageCode), "001");
        return 0;
    }
    /* Four characters without a terminating NUL (a binary value) are a
       code longer than three characters: it does not fit either. */
    if (size == sizeof(code) && code[sizeof(code) - 1] != '\0') {
        CopyText(languageCode, sizeof(languageCode), "001");
        return 0;
    }
    CopyText(languageCode, sizeof(languageCode), code);
    return 1;
}

int GetProgramDirectory(char *buffer, size_t size)
{
    if (buffer == NULL || size == 0)
        return 0;
    DWORD length = GetModuleFileNameA(NULL, buffer, (DWORD)size);
    if (length == 0 || length >= size) {
        buffer[0] = '\0';   /* a cut path would name another directory */
        return 0;
    }
    buffer[length] = '\0';
    char *lastSlash = NULL;
    for (char *p = buffer; *p; p = CharNextA(p))
        if (*p == '\\')
            lastSlash = p;
    if (lastSlash != NULL)
        lastSlash[1] = '\0';
    return 1;
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

int ShowError(const char *text)
{
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
