#!/usr/bin/env bash
# Installs what is missing, builds both architectures and runs both builds'
# tests under the sid root's Wine on private Xvfb screens; prints CTest's
# summary.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

"$root/scripts/setup.sh"
"$root/scripts/build.sh"

# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
trap wine_env_stop EXIT
wine_env_start


ctest --test-dir "$root/build" --output-on-failure --timeout 600 -j 3 "$@"
