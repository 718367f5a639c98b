/* Deliberate heap faults, to show that the heap-checking run catches them:
   "overrun" writes one byte past a HeapAlloc'd block, "new-overrun" one
   past a new[] array (the C runtime's heap), "double-free" frees a block
   twice, "clean" does everything right. The faults go through volatile
   pointers so that the compiler keeps them. */
#include <windows.h>
#include <stdio.h>
#include <string.h>

static int Overrun(void)
{
    volatile char *block = (volatile char *)HeapAlloc(GetProcessHeap(), 0, 24);
    block[24] = 'x';
    HeapFree(GetProcessHeap(), 0, (void *)block);
    return 0;
}

static int NewOverrun(void)
{
    volatile char *array = new char[40];
    array[40] = 'x';
    delete[] array;
    return 0;
}

static int DoubleFree(void)
{
    void *block = HeapAlloc(GetProcessHeap(), 0, 24);
    HeapFree(GetProcessHeap(), 0, block);
    HeapFree(GetProcessHeap(), 0, block);
    return 0;
}

static int Clean(void)
{
    char *block = (char *)HeapAlloc(GetProcessHeap(), 0, 24);
    memset(block, 'x', 24);
    HeapFree(GetProcessHeap(), 0, block);
    char *array = new char[40];
    memset(array, 'y', 40);
    delete[] array;
    return 0;
}

static const struct {
    const char *name;
    int (*run)(void);
} faults[] = {
    { "overrun", Overrun },
    { "new-overrun", NewOverrun },
    { "double-free", DoubleFree },
    { "clean", Clean },
};

int main(int argc, char **argv)
{
    for (size_t i = 0; argc == 2 && i < sizeof(faults) / sizeof(faults[0]); i++) {
        if (strcmp(argv[1], faults[i].name) == 0) {
            int status = faults[i].run();
            printf("heap canary: %s done\n", faults[i].name);
            return status;
        }
    }
    fprintf(stderr, "usage: heap_canary overrun|new-overrun|double-free|clean\n");
    return 2;
}
