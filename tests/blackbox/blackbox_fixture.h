/* Shared set-up of the black-box tests: a fresh installation, the product
   key in a known state, and a program that is always ended afterwards. */
#ifndef QUORVEX_BLACKBOX_FIXTURE_H
#define QUORVEX_BLACKBOX_FIXTURE_H

#include <gtest/gtest.h>
#include <windows.h>
#include <string>

#include "driver.h"
#include "installation.h"

#define FILECHECK_ROOT "Software\\Tavolink Systems\\Quorvex\\FileCheck"

/* Empty FileCheck lists for every family and platform: the installation
   pages pass unless a test writes entries of its own. */
inline void WriteEmptyFileCheckLists()
{
    const char *lists[] = { "Kiron\\Drivers", "ORSA\\Drivers", "Vela\\Drivers", "MirelMJPG\\Drivers",
                            "DirectDraw\\W98", "DirectDraw\\Win2K", "DirectDraw\\WinXP" };
    DeleteRegTree(HKEY_LOCAL_MACHINE, FILECHECK_ROOT);
    for (const char *list : lists) {
        HKEY key;
        std::string path = std::string(FILECHECK_ROOT "\\") + list;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) ==
            ERROR_SUCCESS)
            RegCloseKey(key);
    }
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DeleteRegValue(HKEY_LOCAL_MACHINE, MIREL_PRODUCT_KEY, "Language");
        SetProgramWindowsVersion(NULL);
        WriteEmptyFileCheckLists();
    }

    void TearDown() override
    {
        for (DriverProcess &process : processes)
            EndProgram(&process);
        RemoveInstallation(&installation);
        DeleteRegValue(HKEY_LOCAL_MACHINE, MIREL_PRODUCT_KEY, "Language");
        SetProgramWindowsVersion(NULL);
        DeleteRegTree(HKEY_LOCAL_MACHINE, FILECHECK_ROOT);
    }

    void Install(unsigned flags = 0, size_t directoryLength = 0)
    {
        ASSERT_TRUE(MakeInstallation(&installation, flags, directoryLength));
    }

    /* Starts the installed program; returns its index in processes. */
    DriverProcess *Start(const char *commandTail)
    {
        if (started == MAX_PROCESSES) {
            ADD_FAILURE() << "too many programs started in one test";
            started = 0;
        }
        EndProgram(&processes[started]);
        DriverProcess *process = &processes[started++];
        EXPECT_TRUE(StartProgram(installation.program.c_str(), commandTail,
                                 installation.directory.c_str(), process));
        return process;
    }

    HWND StartToMainWindow(const char *commandTail)
    {
        DriverProcess *process = Start(commandTail);
        HWND window = WaitMainWindow(ProgramId(process), DRIVER_LONG_WAIT_MS);
        EXPECT_NE(nullptr, window) << "no wizard for command line [" << commandTail << "]";
        return window;
    }

    /* Waits for a message box of the process and reads it; a box found
       while it is still being built is read again until it is complete. */
    MessageBoxInfo NextMessageBox(DriverProcess *process)
    {
        MessageBoxInfo info = {};
        HWND box = WaitMessageBox(ProgramId(process), DRIVER_LONG_WAIT_MS);
        EXPECT_NE(nullptr, box) << "no message box";
        if (box == NULL)
            return info;
        bool read = false;
        for (int attempt = 0; attempt < 100 && !read; attempt++) {
            read = ReadMessageBox(box, &info) && info.text[0] != '\0' && info.buttonCount > 0;
            if (!read)
                Sleep(20);
        }
        EXPECT_TRUE(read) << "the message box could not be read";
        return info;
    }

    DWORD ExitCode(DriverProcess *process)
    {
        DWORD code = 0xFFFFFFFF;
        EXPECT_TRUE(WaitProgramExit(process, DRIVER_LONG_WAIT_MS, &code)) << "program did not end";
        return code;
    }

    /* Closes the wizard with its Close button and returns the exit code. */
    DWORD CloseWizard(DriverProcess *process, HWND window)
    {
        /* The wizard is hidden while the developer dialog is open, and Close
           is disabled for the moment a page is being shown: the first page
           too, which may come just after Close was seen enabled. A press
           that found it disabled is tried again. */
        for (int i = 0; i < 250 && !IsWindowShown(window); i++)
            Sleep(20);
        bool pressed = false;
        for (int attempt = 0; attempt < 100 && !pressed && IsWindow(window); attempt++) {
            WaitControlEnabled(window, 1002, 1, DRIVER_SHORT_WAIT_MS);
            pressed = PressButton(window, 1002) != 0;
            if (!pressed)
                Sleep(20);
        }
        EXPECT_TRUE(pressed);
        return ExitCode(process);
    }

    std::string Title(HWND window)
    {
        char title[256];
        GetWindowTitle(window, title, sizeof(title));
        return title;
    }

    Installation installation;
    static const int MAX_PROCESSES = 8;
    DriverProcess processes[MAX_PROCESSES] = {};
    int started = 0;
};

#endif
