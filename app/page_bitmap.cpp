/* Drawing of the page picture as a DIB section scaled by the loader.
   The 256-colour palette path comes with the wizard's pictures. */
#include <windows.h>

#include "page_bitmap.h"
#include "bitmap_library.h"
#include "program.h"
#include "resource_ids.h"

DWORD currentBitmap = IDB_PAGE_WELCOME;

int PaintPageBitmap(HWND control, HDC dc, DWORD bitmapId)
{
    if (control == NULL || dc == NULL)
        return 0;
    RECT client;
    GetClientRect(control, &client);
    int w = client.right - client.left;
    int h = client.bottom - client.top;

    HBITMAP picture = (HBITMAP)LoadImageA(BitmapLibrary, MAKEINTRESOURCEA(LOWORD(bitmapId)),
                                          IMAGE_BITMAP, w, h, LR_CREATEDIBSECTION);
    if (picture == NULL)
        return 1;
    HDC memory = CreateCompatibleDC(dc);
    if (memory != NULL) {
        HGDIOBJ previous = SelectObject(memory, picture);
        BitBlt(dc, 0, 0, w, h, memory, 0, 0, SRCCOPY);
        SelectObject(memory, previous);
        DeleteDC(memory);
    }
    DeleteObject(picture);
    return 1;
}

LRESULT RepaintForPalette(HWND window, WPARAM wParam)
{
    if ((HWND)wParam == GetDlgItem(window, IDC_PAGE_BITMAP))
        return 0;
    InvalidateRect(window, NULL, FALSE);
    UpdateWindow(window);
    return 1;
}
