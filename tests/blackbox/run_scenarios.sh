#!/usr/bin/env bash
# Plays scenario files with the runner in the Wine environment it is given,
# then compares each transcript with the scenario's expected lines and prints
# the differences and one line for each scenario.
# usage: run_scenarios.sh RUNNER OUT-DIR SCENARIO...
runner=$1 out=$2
shift 2
windows() { realpath -m "$1" | sed 's|/|\\|g; s|^|Z:|'; }
rm -rf "$out" && mkdir -p "$out" || exit 1
status=0   # a runner that ends early still leaves the transcripts it wrote to compare
"$WINELOADER" "$runner" "$(windows "$(dirname "$runner")")" "$(windows "$out")" \
    $(for scenario in "$@"; do windows "$scenario"; done) || { echo "the runner ended with status $?"; status=1; }
for scenario in "$@"; do
    name=$(basename "${scenario%.*}")
    diff -u --label "$name expected" --label "$name actual" "$out/$name.expected" "$out/$name.actual" &&
        echo "ok: $name" || { echo "FAILED: $name"; status=1; }
done
[ $status = 0 ] || echo "scenarios FAILED; transcripts in $out"
exit $status
