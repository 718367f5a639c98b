/* The hidden developer dialog that turns dropped files into FileCheck entries. */
#ifndef QUORVEX_GENERATOR_DIALOG_H
#define QUORVEX_GENERATOR_DIALOG_H

#include <windows.h>

int OpenGeneratorDialog(void);
INT_PTR CALLBACK GeneratorDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
