#include <windows.h>

#include "program.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandTail, int showCommand)
{
    (void)previousInstance;
    (void)showCommand;
    return RunProgram(instance, commandTail);
}
