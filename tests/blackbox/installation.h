/* A private copy of the program and its libraries for one black-box test,
   with the product's registry values that the test asks for. */
#ifndef QUORVEX_TEST_INSTALLATION_H
#define QUORVEX_TEST_INSTALLATION_H

#include <windows.h>
#include <string>

#define INSTALL_WITHOUT_LANGUAGE_LIBRARY 0x01
#define INSTALL_WITHOUT_BITMAP_LIBRARY   0x02

#define MIREL_PRODUCT_KEY "Software\\Tavolink Systems\\MirelMJPG"
#define RUN_KEY           "Software\\Microsoft\\Windows\\CurrentVersion\\Run"

struct Installation {
    std::string directory;     /* with a trailing backslash */
    std::string program;       /* full path of Quorvex.exe */
};

/* Copies the program and every library into a new directory whose name is
   padded up to the wanted path length (0: no padding). */
bool MakeInstallation(Installation *installation, unsigned flags, size_t directoryLength = 0);
void RemoveInstallation(Installation *installation);

/* The directory of the running test program, where the build put everything. */
std::string BuildDirectory();

/* Windows version Wine reports to Quorvex.exe only ("win98", "winxp", "nt40", "win10"; NULL clears). */
bool SetProgramWindowsVersion(const char *version);

#endif
