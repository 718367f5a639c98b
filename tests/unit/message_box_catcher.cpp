#include <windows.h>

#include "message_box_catcher.h"

static HANDLE catcherThread;
static volatile LONG stopCatcher;
static DWORD watchedThread;
static std::vector<std::string> caught;
static CRITICAL_SECTION caughtLock;

static BOOL CALLBACK AnswerBox(HWND window, LPARAM)
{
    char className[16];
    GetClassNameA(window, className, sizeof(className));
    if (lstrcmpA(className, "#32770") != 0 || !IsWindowVisible(window) || GetDlgItem(window, 0xFFFF) == NULL)
        return TRUE;
    char text[4096];
    GetDlgItemTextA(window, 0xFFFF, text, sizeof(text));
    EnterCriticalSection(&caughtLock);
    caught.push_back(text);
    LeaveCriticalSection(&caughtLock);
    PostMessageA(window, WM_COMMAND, IDOK, 0);
    Sleep(100);   /* let it close before it is looked at again */
    return TRUE;
}

static DWORD WINAPI CatcherLoop(LPVOID)
{
    while (!stopCatcher) {
        EnumThreadWindows(watchedThread, AnswerBox, 0);
        Sleep(20);
    }
    return 0;
}

void StartMessageBoxCatcher()
{
    static bool initialised;
    if (!initialised) {
        InitializeCriticalSection(&caughtLock);
        initialised = true;
    }
    caught.clear();
    stopCatcher = 0;
    watchedThread = GetCurrentThreadId();
    catcherThread = CreateThread(NULL, 0, CatcherLoop, NULL, 0, NULL);
}

std::vector<std::string> StopMessageBoxCatcher()
{
    InterlockedExchange(&stopCatcher, 1);
    WaitForSingleObject(catcherThread, 5000);
    CloseHandle(catcherThread);
    EnterCriticalSection(&caughtLock);
    std::vector<std::string> texts = caught;
    LeaveCriticalSection(&caughtLock);
    return texts;
}
