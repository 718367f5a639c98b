/* The two DirectDraw display pages. */
#ifndef QUORVEX_DISPLAY_TESTS_H
#define QUORVEX_DISPLAY_TESTS_H

int DirectDrawPrimaryTest(void);
int DirectDrawOverlayTest(void);

#endif
