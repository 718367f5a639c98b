/* The thread keyboard hook that watches for the developer key sequence. */
#ifndef QUORVEX_KEYBOARD_HOOK_H
#define QUORVEX_KEYBOARD_HOOK_H

#include <windows.h>

#define KEY_SEQUENCE_LENGTH 8
#define DEVELOPER_SEQUENCE  "QUILMORA"

extern char keySequence[16];

void ClearKeySequence(void);
int PushKeySequenceCharacter(char character);   /* 1 when the sequence now matches */
int InstallKeyboardHook(HINSTANCE instance);
int RemoveKeyboardHook(void);
LRESULT CALLBACK KeyboardHookProc(int code, WPARAM virtualKey, LPARAM keyData);

#endif
