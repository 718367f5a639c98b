#include <windows.h>

#include "keyboard_hook.h"
#include "program.h"
#include "resource_ids.h"

char keySequence[16];
static HHOOK keyboardHook;

void ClearKeySequence(void)
{
    ZeroMemory(keySequence, sizeof(keySequence));
}

/* The last eight released keys, oldest first. A key without a character
   enters a NUL that ends the compared text early, so only eight letters in
   a row can match. */
int PushKeySequenceCharacter(char character)
{
    MoveMemory(keySequence, keySequence + 1, KEY_SEQUENCE_LENGTH - 1);
    keySequence[KEY_SEQUENCE_LENGTH - 1] = character;
    keySequence[KEY_SEQUENCE_LENGTH] = '\0';
    return lstrcmpiA(keySequence, DEVELOPER_SEQUENCE) == 0;
}

LRESULT CALLBACK KeyboardHookProc(int code, WPARAM virtualKey, LPARAM keyData)
{
    if (keyData & 0x80000000) {
        char character = (char)(MapVirtualKeyA((UINT)virtualKey, 2) & 0xFF);
        if (PushKeySequenceCharacter(character))
            PostMessageA(MainWindow, WM_OPEN_GENERATOR, 0, 0);
    }
    return CallNextHookEx(keyboardHook, code, virtualKey, keyData);
}

int InstallKeyboardHook(HINSTANCE instance)
{
    keyboardHook = SetWindowsHookExA(WH_KEYBOARD, KeyboardHookProc, instance, GetCurrentThreadId());
    return keyboardHook != NULL;
}

int RemoveKeyboardHook(void)
{
    if (keyboardHook == NULL)
        return 0;
    UnhookWindowsHookEx(keyboardHook);
    keyboardHook = NULL;
    return 1;
}
