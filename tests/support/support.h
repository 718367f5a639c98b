/* What the in-process tests share: where the fixtures are, scratch registry
   values in the throw-away prefix, and system calls of the code under test
   replaced for the length of a test. */
#ifndef QUORVEX_TEST_SUPPORT_H
#define QUORVEX_TEST_SUPPORT_H

#include <windows.h>
#include <string>
#include <vector>

/* The folder of the running test program (with its trailing backslash), and
   a file the build left in its fixtures folder. */
std::string TestDirectory();
std::string FixturePath(const char *name);

/* Whole file as bytes; empty when it cannot be read. */
std::string ReadWholeFile(const std::string &path);

/* HKEY_LOCAL_MACHINE values of the prefix. */
bool WriteHklmValue(const char *path, const char *name, DWORD type, const void *data, DWORD size);
bool WriteHklmString(const char *path, const char *name, const char *text);
bool DeleteHklmValue(const char *path, const char *name);
void DeleteHklmTree(const char *path);
bool MakeEmptyHklmKey(const char *path);   /* the key, emptied */
/* One FileCheck entry as the installer writes it; no "Guid" when clsid is null. */
bool WriteFileCheckEntry(const char *listKey, const char *name, DWORD ms, DWORD ls, BYTE location,
                         BYTE updateAllowed, const GUID *clsid = NULL);

/* Puts `replacement` in every import slot of the test program that imports
   `function` from `library`; returns the function that was there. Everything
   replaced is put back by RestoreImports. */
void *ReplaceImport(const char *library, const char *function, void *replacement);
void RestoreImports();

/* Message boxes of the code under test, recorded instead of shown and
   answered with `answer`, until RestoreImports. */
struct RecordedBox {
    HWND owner;
    std::string text, title;
    UINT style;
};
void RecordMessageBoxes(int answer);
extern std::vector<RecordedBox> RecordedBoxes;

/* What this process holds of GDI objects and windows (with their child
   windows): every slot of the GDI handle table is asked (Wine's
   GetGuiResources says 0). */
int CountGdiObjects();
int CountWindows();

#endif
