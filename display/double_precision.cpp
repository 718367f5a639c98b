#include "double_precision.h"

/* The "memory" clobbers keep the compiler from moving the computations
   out from between the two control-word writes. */
unsigned short UseDoublePrecision(void)
{
    unsigned short previous, wanted;
    __asm__ __volatile__("fnstcw %0" : "=m"(previous) : : "memory");
    wanted = (unsigned short)((previous & ~X87_PRECISION_MASK) | X87_PRECISION_53);
    __asm__ __volatile__("fldcw %0" : : "m"(wanted) : "memory");
    return previous;
}

void RestorePrecision(unsigned short previous)
{
    __asm__ __volatile__("fldcw %0" : : "m"(previous) : "memory");
}
