/* Process-wide handles and the start-up and shutdown of the program. */
#ifndef QUORVEX_PROGRAM_H
#define QUORVEX_PROGRAM_H

#include <windows.h>

extern HINSTANCE ProgramInstance;   /* the program's own module */
extern HWND MainWindow;             /* owner of message boxes, target of posted messages */

#define MAIN_WINDOW_CLASS "Tavolink QuorvexClass"
#define PROGRAM_TITLE     "Tavolink Quorvex"

/* Runs the whole program from the command-line tail; returns the exit code. */
int RunProgram(HINSTANCE instance, const char *commandTail);
int RegisterMainWindowClass(HINSTANCE instance);
int ShutDown(void);

/* The program's directory with its trailing backslash; 0 (and an empty
   buffer) when the program's path does not fit. */
int GetProgramDirectory(char *buffer, size_t size);

#endif
