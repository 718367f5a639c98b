/* The software and DirectDraw installation pages. */
#ifndef QUORVEX_INSTALLATION_TESTS_H
#define QUORVEX_INSTALLATION_TESTS_H

int SoftwareInstallationTest(void);
int DirectDrawInstallationTest(void);

#endif
