/* Deliberate heap faults, to show that the heap-checking run catches them:
   "overrun" writes a byte past a HeapAlloc'd block, "new-overrun" past a
   new[] array (the C runtime's heap), "double-free" frees a block twice;
   "clean" stays inside its blocks. Volatile pointers keep the faults. */
#include <windows.h>
#include <string.h>

int main(int argc, char **argv)
{
    const char *fault = argc == 2 ? argv[1] : "";
    HANDLE heap = GetProcessHeap();
    volatile char *block = (volatile char *)HeapAlloc(heap, 0, 24);
    volatile char *array = new char[40];
    block[strcmp(fault, "overrun") == 0 ? 24 : 23] = 'x';
    array[strcmp(fault, "new-overrun") == 0 ? 40 : 39] = 'y';
    delete[] array;
    HeapFree(heap, 0, (void *)block);
    if (strcmp(fault, "double-free") == 0)
        HeapFree(heap, 0, (void *)block);
    return 0;
}
