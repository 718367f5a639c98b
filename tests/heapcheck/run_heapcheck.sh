#!/bin/bash
# Runs a program under Wine's heap checking and fails on any heap complaint
# or when the program fails; with HEAPCHECK_EXPECT=REGEX set it passes only
# when Wine complained in a line matching REGEX (the canaries).
#
#   run_heapcheck.sh WINE-LOADER PROGRAM [ARGUMENTS...]
#
# Seen on this Wine (8.0) with heap_canary: WINEDEBUG=warn+heap reports a
# block freed twice but not a byte written past a block; +heap validates the
# whole heap on every heap call and reports both (it also traces every call:
# those lines are dropped). After a complaint the program can hang (Wine
# "starts the debugger" and waits), so it is ended 5 s later: the filter
# passes each line on at once, or a hung program's complaint would sit in
# its buffer unseen; Wine's debugger is kept out. Standard error must not be
# /dev/null: Wine then turns every debug channel off, the check included. QUORVEX_HEAP_CHECK=1 asks the
# sweeps for a share of their cases, since every heap call now walks the heap.
expect=$HEAPCHECK_EXPECT
loader=$1
shift
raw=$(mktemp) || exit 2
trap 'rm -f "$raw"' EXIT
complaint=':(err|warn|fixme):heap:|/heap\.c:'
QUORVEX_HEAP_CHECK=1 WINEDEBUG=+heap WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}winedbg.exe=d" \
    "$loader" "$@" 2> >(grep --line-buffered -v -F ':trace:heap:' >"$raw") &
pid=$!
while kill -0 "$pid" 2>/dev/null; do
    grep -qE "$complaint" "$raw" && { sleep 5; kill -KILL "$pid" 2>/dev/null; }
    sleep 0.5
done
wait "$pid"
status=$? && sleep 0.2   # the filter's last lines
problems=$(grep -E "$complaint" "$raw" | head -n 40)
if [ -n "$expect" ]; then
    printf '%s\n' "$problems"
    grep -qE "$expect" <<<"$problems" || { echo "heap check: no complaint matching '$expect'"; exit 1; }
elif [ -n "$problems" ] || [ "$status" -ne 0 ]; then
    printf 'heap check: %s failed (status %s) under heap checking:\n' "${1##*/}" "$status"
    grep -vE '^\s*$' "$raw" | head -n 40
    exit 1
fi
