/* The overlay's colours and zoom steps are computed in double precision.
   The 64-bit build does that on SSE2; the 32-bit release computes on the
   x87 unit, which its start-up leaves at a 64-bit mantissa, so sums would
   keep extra bits and be cut differently. While such a computation runs,
   the unit rounds every result to a double's 53 bits, as SSE2 does, on any
   processor Windows 98 runs on. */
#ifndef QUORVEX_DOUBLE_PRECISION_H
#define QUORVEX_DOUBLE_PRECISION_H

#define X87_PRECISION_MASK 0x0300
#define X87_PRECISION_53   0x0200

/* Sets the x87 precision to 53 bits; returns the control word it replaced. */
unsigned short UseDoublePrecision(void);
/* Puts the control word back. */
void RestorePrecision(unsigned short previous);

#endif
