#!/usr/bin/env bash
# Builds both architectures with their tests: build/win32 (release for
# Windows 98 to XP) and build/win64 (modern Windows), then packs each into its
# distribution ZIP (packaging/CMakeLists.txt).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

cmake --preset win32 >/dev/null
cmake --build --preset win32
cmake --preset win64 -DQUORVEX_WIN32_BIN="$root/build/win32/bin" >/dev/null
cmake --build --preset win64
# One CTest run over both builds' tests (scripts/test.sh).
printf 'subdirs("win64" "win32")\n' >"$root/build/CTestTestfile.cmake"
echo "build: $root/build/win32/bin/Quorvex.exe and $root/build/win64/bin/Quorvex.exe"

packages=()
for arch in win32 win64; do
  log="$root/build/$arch/cpack.log"
  if ! (cd "$root/build/$arch" && cpack -G ZIP) >"$log" 2>&1; then
    cat "$log" >&2
    echo "build: cpack failed in build/$arch" >&2
    exit 1
  fi
  packages+=("$(sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' "$log")")
done
echo "packages: ${packages[0]} and ${packages[1]}"
