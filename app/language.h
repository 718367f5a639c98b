/* The language library and the text operations every page and test uses. */
#ifndef QUORVEX_LANGUAGE_H
#define QUORVEX_LANGUAGE_H

#include <windows.h>

/* English: the language used when the product key names none that fits. */
#define DEFAULT_LANGUAGE_CODE "001"

#define LOAD_TEXT_SIZE      2048
#define LONG_TEXT_SIZE      4096
#define LONG_TEXT_PIECE     256
#define LONG_TEXT_MAX_PIECES 100

extern HMODULE LanguageLibrary;
extern char languageCode[4];
extern char ResultText[LONG_TEXT_SIZE];
extern DWORD HelpContext;           /* help topic of the page or test shown */

int ReadLanguageCode(void);
int BuildLanguageLibraryPath(char *path, size_t size);
int LoadLanguageLibrary(void);
const char *LoadText(UINT id);
const char *LoadLongText(UINT firstId);
void SetResultText(UINT firstId);
/* The error box, owned by the main window; a program without windows sets
   PrintError and gets every error there instead. */
typedef int (*ErrorPrinter)(const char *text);
extern ErrorPrinter PrintError;
int ShowError(const char *text);
int ShowHelp(void);

#endif
