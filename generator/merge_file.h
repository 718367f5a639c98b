/* The REGEDIT4 merge file written from the developer dialog's list. */
#ifndef QUORVEX_MERGE_FILE_H
#define QUORVEX_MERGE_FILE_H

#include <windows.h>

#include "../app/growing_text.h"

#define MERGE_FILE_NAME    "QuorvexToMerge.reg"
#define MERGE_INITIAL_SIZE 32768
#define MERGE_LINE_SIZE    1024

/* The merge text of the last write. It grows past 32,768 bytes as needed:
   a developer never loses an entry. */
extern GrowingText MergeText;

int ComposeMergeText(HWND dialog);
int WriteMergeFile(HWND dialog);

#endif
