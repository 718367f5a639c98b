/* Seed and case counts of the seeded random tests. QUORVEX_SEED replays a
   run; without it a seed is picked from the clock and printed, so that any
   failure can be replayed. Under the heap-checking run (QUORVEX_HEAP_CHECK
   set), where every heap call validates the whole heap, a share of the
   cases is run (a tenth unless the test says otherwise): enough to walk
   every code path with the checks on. */
#ifndef QUORVEX_TEST_RANDOM_CASES_H
#define QUORVEX_TEST_RANDOM_CASES_H

#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

inline unsigned RandomSeed()
{
    static unsigned seed;
    static bool chosen;
    if (!chosen) {
        char text[32] = "";
        GetEnvironmentVariableA("QUORVEX_SEED", text, sizeof(text));
        seed = text[0] ? (unsigned)strtoul(text, NULL, 10) : (unsigned)(GetTickCount() ^ GetCurrentProcessId() << 16);
        chosen = true;
        printf("random cases: QUORVEX_SEED=%u%s\n", seed, text[0] ? " (given)" : " (set it to replay this run)");
        fflush(stdout);
    }
    return seed;
}

/* count cases, or count / heapShare of them under the heap-checking run. */
inline int RandomCases(int count, int heapShare = 10)
{
    char text[8] = "";
    if (GetEnvironmentVariableA("QUORVEX_HEAP_CHECK", text, sizeof(text)) > 0 && text[0] != '0')
        return count / heapShare > 0 ? count / heapShare : 1;
    return count;
}

#endif
