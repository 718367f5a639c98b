/* Resource and control identifiers shared by the program, its .rc files and the tests. */
#ifndef QUORVEX_RESOURCE_IDS_H
#define QUORVEX_RESOURCE_IDS_H

/* Dialog templates and the icon */
#define IDD_MAIN_WINDOW      101
#define IDI_PROGRAM          103
#define IDD_ABOUT_BOX        132
#define IDD_GENERATOR        133

/* Main window controls */
#define IDC_NEXT             1000
#define IDC_BACK             1001
#define IDC_CLOSE            1002
#define IDC_HELP_BUTTON      1003
#define IDC_STATUS_REPORT    1004
#define IDC_SEPARATOR        1010
#define IDC_TEXT_WINDOW      1011
#define IDC_PROGRESS         1012
#define IDC_PROGRESS_LABEL   1015
#define IDC_PAGE_BITMAP      1016
#define IDC_HEADLINE         1017

/* Generator dialog controls */
#define IDC_GEN_FILE_LIST    1023
#define IDC_GEN_FILE_NAME    1024
#define IDC_GEN_FILE_VERSION 1025
#define IDC_GEN_CLASS_ID     1026
#define IDC_GEN_DIRECTORY    1027

/* System menu commands added to the main window */
#define IDM_ABOUT            40000
#define IDM_TEST_REPORT      40016

/* Posted by the keyboard hook when the developer sequence was typed */
#define WM_OPEN_GENERATOR    (WM_USER + 14)

/* Bitmap library pictures */
#define IDB_OVERLAY_PICTURE  110
#define IDB_TEST_PICTURE     114
#define IDB_PAGE_WELCOME     120
#define IDB_PAGE_CHECKS      121
#define IDB_PAGE_DDRAW_FILES 122
#define IDB_PAGE_PRIMARY     123
#define IDB_PAGE_OVERLAY     124
#define IDB_TEST_FAILED      127
#define IDB_TEST_PASSED      130

#endif
