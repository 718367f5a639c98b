#!/bin/bash
# Refuses any instruction or register that a 486 with its FPU lacks (the
# oldest processor Windows 98 runs on) in the code of each program given.
# usage: check_i486.sh OBJDUMP PROGRAM...
objdump=$1
shift
# P6: cmov, fcmov, fcomi/fucomi, long nops; Pentium: cmpxchg8b, rdtsc, the
# model-specific registers; later: fast system calls, bit counts, movbe,
# fences, prefetches, MMX, SSE and AVX registers.
mnemonics='cmov|fcmov|f(u)?comip?|nop[lw]|cmpxchg(8|16)b|rdtscp?|rdpmc|rdmsr|wrmsr|cpuid|sys(enter|exit|call|ret)'
mnemonics+='|popcnt|lzcnt|tzcnt|movbe|[lms]fence|prefetch|clflush|emms|femms|fxsave|fxrstor'
status=0
for program in "$@"; do
    found=$("$objdump" -d --no-show-raw-insn "$program" |
            grep -E $'^ *[0-9a-f]+:\t('"$mnemonics"')[a-z0-9]*( |$)|%[xyz]?mm[0-9]') || true
    if [ -n "$found" ]; then
        echo "$program: $(wc -l <<<"$found") instructions a 486 does not have:"
        awk -F'\t' '{print $2}' <<<"$found" | awk '{print $1}' | sort | uniq -c
        head -n 5 <<<"$found"
        status=1
    fi
done
exit $status
