/* The board family chosen from the hardware ID on the command line. */
#ifndef QUORVEX_PRODUCT_PROFILE_H
#define QUORVEX_PRODUCT_PROFILE_H

#include <windows.h>

struct ProductProfile {
    const char *hardwareId;
    const char *displayName;    /* shown in the window title */
    const char *profileKey;     /* prefix of the language library's name */
    const char *productKey;     /* HKLM key with "Language", "Main path", "Install Version" */
    const char *fileCheckKey;   /* HKLM key of the product's FileCheck list */
    const char *bitmapLibrary;  /* file name of the picture library */
    DWORD boardClass;           /* device interface the driver test opens */
};

extern ProductProfile Profile;

int SelectProductProfile(const char *commandTail);

#endif
