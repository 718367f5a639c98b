// What driver_target shows, shared with the self-test that checks it.
#ifndef QUORVEX_DRIVER_TARGET_IDS_H
#define QUORVEX_DRIVER_TARGET_IDS_H

#define TARGET_WINDOW_CLASS "DriverTargetClass"
#define TARGET_WINDOW_TITLE "Driver target"
#define TARGET_OWNER_CLASS "DriverTargetOwner"

#define TARGET_ID_PRESS 101
#define TARGET_ID_DISABLED 102
#define TARGET_ID_QUIT 103
#define TARGET_ID_HIDDEN 104
#define TARGET_ID_EDIT 105
#define TARGET_ID_STATUS 106
#define TARGET_ID_KEYS 107

// Client area colour of the target window (COLORREF).
#define TARGET_BACKGROUND RGB(255, 0, 255)

// Title and text of the message box; the text mixes \n, \r\n and a byte
// above 0x7F, which must come back unchanged.
#define TARGET_BOX_TITLE "Driver target box"
#define TARGET_BOX_TEXT "First line\nSecond line\r\nAcute \xB4 accent."

#endif
