/* The wizard's page table and its Next and Back navigation. */
#ifndef QUORVEX_WIZARD_H
#define QUORVEX_WIZARD_H

#include <windows.h>

/* A test run when its page is entered with Next: nonzero when it passed. */
typedef int (*TestProcedure)(void);

#define PAGE_NO_BACK       0x01
#define PAGE_NO_NEXT       0x02
#define PAGE_STOP_ON_FAIL  0x04
#define PAGE_SLOW_PROGRESS 0x10

#define PAGE_SLOTS          14
#define PROGRESS_STEPS      5
#define PROGRESS_PAUSE_MS   200

struct WizardPage {
    DWORD headlineText;     /* string ID for the headline, 0 keeps it */
    DWORD bodyText;         /* first string ID of the page text, 0 keeps it */
    DWORD bitmap;           /* picture resource ID, 0 keeps it */
    TestProcedure test;     /* run when the page is entered with Next */
    DWORD flags;
    DWORD helpContext;
};

extern WizardPage pageTable[PAGE_SLOTS];
extern int pageCount;
extern int currentPage;
extern int testsDone;

int BuildPageTable(void);
int NextPage(void);
int PreviousPage(void);
int ShowPageBitmap(DWORD bitmapId);

#endif
