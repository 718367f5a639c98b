#!/bin/bash
# Runs one in-process test program again under Wine's heap checking and
# fails on any heap complaint or when the program itself fails.
#
#   run_heapcheck.sh WINE-LOADER PROGRAM [ARGUMENTS...]
#
# What this Wine (Debian 12, Wine 8.0) does, seen with tests/unit/heap_canary:
# - WINEDEBUG=warn+heap turns on tail and free checking and parameter
#   checks, but the tails are only examined by a full validation: it reports
#   a block freed twice ("delayed freed block"), not a byte written past a
#   block that is then freed.
# - WINEDEBUG=+heap (trace as well) validates the whole heap on every heap
#   call: a byte past a block is reported ("invalid block tail") and Wine
#   stops the program with an assertion. It also prints one trace line per
#   heap call, which is left out of what is shown here.
# - A GlobalFlag in the registry (Session Manager, or Image File Execution
#   Options for the program) changed nothing.
# So +heap is used. Every heap call then costs a walk of the heap; the
# random tests run a share of their cases when QUORVEX_HEAP_CHECK is set.
# After an assertion on the process heap the program can hang (the
# exception handling needs the heap the failed check still holds), so it is
# ended a few seconds after the first complaint; Wine's debugger is kept
# out for the same reason.
loader=$1
shift
if [ -z "$loader" ] || [ $# -lt 1 ]; then
    echo "usage: $0 WINE-LOADER PROGRAM [ARGUMENTS...]" >&2
    exit 2
fi

raw=$(mktemp) || exit 2
trap 'rm -f "$raw"' EXIT
complaint=':(err|warn|fixme):heap:|/heap\.c:'

# Standard output passes straight through; standard error goes to a file.
QUORVEX_HEAP_CHECK=1 WINEDEBUG=+heap WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}winedbg.exe=d" \
    "$loader" "$@" 2>"$raw" &
pid=$!
while kill -0 "$pid" 2>/dev/null; do
    if grep -qE "$complaint" "$raw"; then
        sleep 5
        kill -KILL "$pid" 2>/dev/null
        break
    fi
    sleep 0.5
done
wait "$pid"
status=$?

problems=$(grep -E "$complaint" "$raw")
if [ -n "$problems" ]; then
    echo "heap check: Wine reported heap problems in ${1##*/}:"
    printf '%s\n' "$problems" | head -n 40
    exit 1
fi
if [ "$status" -ne 0 ]; then
    echo "heap check: ${1##*/} failed with status $status under heap checking; its other messages:"
    grep -v ':trace:heap:' "$raw" | head -n 40
    exit 1
fi
exit 0
