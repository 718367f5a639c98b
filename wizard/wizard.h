/* The wizard's page table and its Next and Back navigation. */
#ifndef QUORVEX_WIZARD_H
#define QUORVEX_WIZARD_H

#include <windows.h>

extern int currentPage;

int BuildPageTable(void);
int NextPage(void);
int PreviousPage(void);
int ShowPageBitmap(DWORD bitmapId);

#endif
