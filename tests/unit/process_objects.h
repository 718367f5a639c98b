/* What this process holds: GDI objects, USER objects and private memory.
   On Windows the object counts come from GetGuiResources. Wine answers that
   call with zero, so there the counts are taken from the process's own handle
   tables instead: a handle whose upper word is zero names whatever object
   occupies that table slot. */
#ifndef QUORVEX_TEST_PROCESS_OBJECTS_H
#define QUORVEX_TEST_PROCESS_OBJECTS_H

#include <windows.h>

struct ProcessObjects {
    DWORD gdiObjects;
    DWORD userObjects;
    SIZE_T privateBytes;     /* committed private pages */
    SIZE_T heapBytes;        /* busy blocks in every heap of the process */
};

ProcessObjects CountProcessObjects();

#endif
