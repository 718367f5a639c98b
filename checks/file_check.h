/* The file check engine: a FileCheck list in the registry checked file by
   file against the versions installed. */
#ifndef QUORVEX_FILE_CHECK_H
#define QUORVEX_FILE_CHECK_H

#include <windows.h>

#include "../report/diagnostic_results.h"

#define FILE_CHECK_KEY_SIZE   512
#define FIXED_FILE_INFO_SIZE  52
#define FIXED_FILE_SIGNATURE  0xFEEF04BDu

#define DIRECTDRAW_LIST_W98   "Software\\Tavolink Systems\\Quorvex\\FileCheck\\DirectDraw\\W98"
#define DIRECTDRAW_LIST_WIN2K "Software\\Tavolink Systems\\Quorvex\\FileCheck\\DirectDraw\\Win2K"
#define DIRECTDRAW_LIST_WINXP "Software\\Tavolink Systems\\Quorvex\\FileCheck\\DirectDraw\\WinXP"

/* version[0] is dwFileVersionMS, version[1] dwFileVersionLS. */
int ReadFileVersion(const char *path, DWORD *version);
int FindFixedFileInfo(const BYTE *block, DWORD size, DWORD *version);
int CompareFileVersion(const char *path, const DWORD *expected, DWORD *installed);
int FreeFileCheckList(FileCheckRecord **head);
int CheckFileList(FileCheckRecord **head, const char *listKey);
int CheckProductFiles(void);
int CheckDirectDrawFiles(void);

#endif
