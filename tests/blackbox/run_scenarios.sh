#!/usr/bin/env bash
# Plays scenario files with the runner in the Wine environment it is given,
# then compares each transcript with the scenario's expected lines and prints
# the differences.
# usage: run_scenarios.sh RUNNER OUT-DIR SCENARIO...
runner=$1 out=$2
shift 2
windows() { realpath -m "$1" | sed 's|/|\\|g; s|^|Z:|'; }
rm -rf "$out" && mkdir -p "$out" || exit 1
"$WINELOADER" "$runner" "$(windows "$(dirname "$runner")")" "$(windows "$out")" \
    $(for scenario in "$@"; do windows "$scenario"; done) || exit 1
status=0
for scenario in "$@"; do
    name=$(basename "${scenario%.*}")
    diff -u --label "$name expected" --label "$name actual" "$out/$name.expected" "$out/$name.actual" || status=1
done
[ $status = 0 ] || echo "scenarios FAILED; transcripts in $out"
exit $status
