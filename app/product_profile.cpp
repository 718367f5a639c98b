#include "product_profile.h"

/* Compared in this order; the last row is the default family. */
static const ProductProfile profileTable[] = {
    { "Kiron", "Kiron", "Kiron", "Software\\Tavolink Systems\\Kiron",
      "Software\\Tavolink Systems\\Quorvex\\FileCheck\\Kiron\\Drivers", "KironBitmap.dll", 0 },
    { "ORSA", "Cinora Orsa Duo", "Orsa", "Software\\Tavolink Systems\\ORSA",
      "Software\\Tavolink Systems\\Quorvex\\FileCheck\\ORSA\\Drivers", "OrsaBitmap.dll", 0 },
    { "VELA", "Vela Prime", "Vela", "Software\\Tavolink Systems\\Vela",
      "Software\\Tavolink Systems\\Quorvex\\FileCheck\\Vela\\Drivers", "VelaBitmap.dll", 0 },
    { "Mirel", "Cinora Mirel Nova", "Mirel", "Software\\Tavolink Systems\\MirelMJPG",
      "Software\\Tavolink Systems\\Quorvex\\FileCheck\\MirelMJPG\\Drivers", "MirelBitmap.dll", 2 },
};

static const int defaultRow = sizeof(profileTable) / sizeof(profileTable[0]) - 1;

ProductProfile Profile = profileTable[sizeof(profileTable) / sizeof(profileTable[0]) - 1];

int SelectProductProfile(const char *commandTail)
{
    const char *tail = commandTail ? commandTail : "";

    Profile = profileTable[defaultRow];
    for (int row = 0; row < defaultRow; row++) {
        if (lstrcmpiA(tail, profileTable[row].hardwareId) == 0) {
            Profile = profileTable[row];
            return 1;
        }
    }
    return lstrcmpiA(tail, profileTable[defaultRow].hardwareId) == 0 ? 1 : 0;
}
