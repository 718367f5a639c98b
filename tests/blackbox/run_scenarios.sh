#!/usr/bin/env bash
# Plays scenario files with the runner, then compares each transcript with
# the scenario's expected lines and prints the differences.
# usage: run_scenarios.sh RUNNER SCREEN OUT-DIR SCENARIO...
#   SCREEN empty: in the Wine environment already running (scripts/test.sh);
#   else in one of its own with that screen, e.g. 1024x768x8.
runner=$1 screen=$2 out=$3
shift 3
if [ -n "$screen" ]; then
    # shellcheck source=../../scripts/wine-env.sh
    source "$(dirname "$0")/../../scripts/wine-env.sh"
    unset QUORVEX_WINE_ROOT
    trap wine_env_stop EXIT
    QUORVEX_SCREEN=$screen QUORVEX_WINE_PROBE=0 wine_env_start || exit 1
fi
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
