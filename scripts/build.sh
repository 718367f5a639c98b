#!/usr/bin/env bash
# Builds both architectures: build/win32 (release for Windows 98 to XP) and
# build/win64 (modern Windows, with the tests).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

cmake --preset win32 >/dev/null
cmake --build --preset win32
cmake --preset win64 -DQUORVEX_WIN32_BIN="$root/build/win32/bin" >/dev/null
cmake --build --preset win64
echo "build: $root/build/win32/bin/Quorvex.exe and $root/build/win64/bin/Quorvex.exe"
