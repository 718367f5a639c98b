#!/usr/bin/env bash
# Runs a command in a Wine environment of its own (scripts/wine-env.sh): its
# own Xvfb screen, prefix and server, so that it needs no share of another's
# desktop and sees the screen it asks for.
# usage: in_own_env.sh SCREEN COMMAND...   (SCREEN e.g. 1024x768x8)
screen=$1
shift
# shellcheck source=../../scripts/wine-env.sh
source "$(dirname "$0")/../../scripts/wine-env.sh"
unset QUORVEX_WINE_ROOT
trap wine_env_stop EXIT
QUORVEX_SCREEN=$screen QUORVEX_WINE_PROBE=0 wine_env_start || exit 1
"$@"
