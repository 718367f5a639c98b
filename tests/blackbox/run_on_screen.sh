#!/usr/bin/env bash
# Runs a test program in an environment of its own whose screen has the
# given size and depth, e.g. 1024x768x8 for a 256-colour display.
# usage: run_on_screen.sh SCREEN PROGRAM [ARGS...]
set -euo pipefail
screen=$1
shift
root=$(cd "$(dirname "$0")/../.." && pwd)

# shellcheck source=../../scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
unset QUORVEX_WINE_ROOT
export QUORVEX_SCREEN=$screen QUORVEX_WINE_PROBE=0
trap wine_env_stop EXIT
wine_env_start
"$WINELOADER" "$@"
