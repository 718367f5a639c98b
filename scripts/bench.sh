#!/usr/bin/env bash
# Installs what is missing, builds both architectures, runs every benchmark
# under the sid root's Wine in a throw-away environment and prints one table: each
# figure a ratio against a baseline measured in the same run on this machine
# (median of several runs, with the interquartile spread). The table is also
# saved as build/bench/results.tsv (columns: docs/benchmarks.md).
#
#   scripts/bench.sh                   measure and print the table
#   scripts/bench.sh --compare OLD.tsv measure, print, then each ratio's change against an older run
#   scripts/bench.sh --show RESULTS.tsv print a saved run's table (no build, no run)
#
# Environment (optional):
#   QUORVEX_BENCH_QUICK=1    fewer repetitions, for trying the command out
#   QUORVEX_BENCH_OUT        folder for results.tsv and the logs (default build/bench)
#   QUORVEX_BENCH_BUILD64, QUORVEX_BENCH_BUILD32
#                            build folders of their own to configure, build and
#                            measure instead of build/win64 and build/win32
#                            (which scripts/build.sh builds)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
started=$SECONDS

compare_with=
case "${1:-}" in
  --compare)
    compare_with=$(realpath "${2:?--compare needs the older results file}")
    [ -f "$compare_with" ] || { echo "bench: no file $compare_with" >&2; exit 2; }
    ;;
  --show)
    exec python3 "$root/tools/bench_table.py" table "${2:?--show needs a results file}"
    ;;
  "") ;;
  *) echo "usage: scripts/bench.sh [--compare OLD.tsv | --show RESULTS.tsv]" >&2; exit 2 ;;
esac

build64=$(realpath -m "${QUORVEX_BENCH_BUILD64:-$root/build/win64}")
build32=$(realpath -m "${QUORVEX_BENCH_BUILD32:-$root/build/win32}")
out=$(realpath -m "${QUORVEX_BENCH_OUT:-$root/build/bench}")

# Repetitions: start-up pairs; file check runs (and at 10,000 entries);
# report runs; display runs.
if [ "${QUORVEX_BENCH_QUICK:-0}" = 1 ]; then
  startup_runs=3 filecheck_runs=3 filecheck_largest_runs=1 report_runs=5 display_runs=3
else
  startup_runs=11 filecheck_runs=7 filecheck_largest_runs=3 report_runs=21 display_runs=7
fi

"$root/scripts/setup.sh"
if [ "$build64" = "$root/build/win64" ] && [ "$build32" = "$root/build/win32" ]; then
  "$root/scripts/build.sh"
else
  cmake -S "$root" -B "$build32" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DQUORVEX_BUILD_TESTS=OFF >/dev/null
  cmake --build "$build32" --target Quorvex resource_libraries
  cmake -S "$root" -B "$build64" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build64" --target benchmarks
fi

rm -rf "$out/logs" "$out/work" "$out/stripped"
mkdir -p "$out/logs" "$out/work"
rows="$out/logs/rows.tsv"
: >"$rows"
failures=()

# Sizes: stripped copies of the program and its libraries, each against
# 128 KiB, the most the 32-bit program may take.
size_kib() { awk -v bytes="$(stat -c %s "$1")" 'BEGIN { printf "%.3f", bytes / 1024 }'; }
stripped_kib() {
  local triplet=$1 dir=$2 arch=$3 total=0 file copy
  shift 3
  mkdir -p "$out/stripped/$arch"
  for file in "$@"; do
    copy="$out/stripped/$arch/$(basename "$file")"
    "$triplet-strip" -o "$copy" "$dir/$file"
    total=$(awk -v a="$total" -v b="$(size_kib "$copy")" 'BEGIN { printf "%.3f", a + b }')
  done
  echo "$total"
}
size_row() {   # key what parameter KiB goal
  local key=$1 what=$2 parameter=$3 kib=$4 goal=$5
  awk -v key="$key" -v what="$what" -v parameter="$parameter" -v kib="$kib" -v goal="$goal" 'BEGIN {
    ratio = kib / 128
    met = goal == "-" ? "-" : (ratio <= goal + 0 ? "yes" : "no")
    goaltext = goal == "-" ? "-" : sprintf("<=%.2f", goal)
    printf "%s\t%s\t%s\tKiB\t%.3f\t128.000\t%.3f\t%.3f\t%.3f\t%s\t%s\t1\n",
           key, what, parameter, kib, ratio, ratio, ratio, goaltext, met }' >>"$sizes"
}
sizes="$out/logs/sizes.tsv"
: >"$sizes"
languages=(KironQuor001.DLL OrsaQuor001.DLL VelaQuor001.DLL MirelQuor001.DLL
           KironQuor049.DLL OrsaQuor049.DLL VelaQuor049.DLL MirelQuor049.DLL)
pictures=(KironBitmap.dll OrsaBitmap.dll VelaBitmap.dll MirelBitmap.dll)
for arch in win32 win64; do
  if [ "$arch" = win32 ]; then bin="$build32/bin" triplet=i686-w64-mingw32 bits=32; goal=1.0
  else bin="$build64/bin" triplet=x86_64-w64-mingw32 bits=64; goal=-; fi
  size_row "size.exe.$arch" "Quorvex.exe stripped vs 128 KiB" "$bits-bit" \
    "$(stripped_kib $triplet "$bin" $arch Quorvex.exe)" "$goal"
  size_row "size.languages.$arch" "language libraries vs 128 KiB" "$bits-bit, ${#languages[@]} files" \
    "$(stripped_kib $triplet "$bin" $arch "${languages[@]}")" -
  size_row "size.pictures.$arch" "picture libraries vs 128 KiB" "$bits-bit, ${#pictures[@]} files" \
    "$(stripped_kib $triplet "$bin" $arch "${pictures[@]}")" -
done

# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
trap wine_env_stop EXIT
wine_env_start

bin="$build64/bin"
# The report benchmark writes Quorvex.txt beside itself: it runs from the work folder.
cp "$bin/bench_report.exe" "$out/work/"

run_bench() {   # name folder arguments...
  local name=$1 folder=$2 status=0
  shift 2
  echo "bench: $name $*"
  (cd "$folder" && timeout 1200 "$WINELOADER" "$folder/$name.exe" "$@") \
    >"$out/logs/$name.out" 2>"$out/logs/$name.err" || status=$?
  tr -d '\r' <"$out/logs/$name.out" | sed -n 's/^ROW\t//p' >>"$rows"
  tr -d '\r' <"$out/logs/$name.out" | sed -n 's/^# /  /p'
  if [ $status -ne 0 ]; then
    failures+=("$name")
    echo "bench: $name failed (status $status), see $out/logs/$name.err:" >&2
    tr -d '\r' <"$out/logs/$name.err" | tail -5 >&2
  fi
}
run_bench bench_startup "$bin" "$startup_runs"
run_bench bench_filecheck "$bin" "$filecheck_runs" "$filecheck_largest_runs"
run_bench bench_report "$out/work" "$report_runs"
run_bench bench_display "$bin" "$display_runs"

wine_version=$("$WINELOADER" --version 2>/dev/null || echo unknown)
wine_env_stop
trap - EXIT

results="$out/results.tsv"
{
  echo "# Tavolink Quorvex benchmarks, $(date -u '+%Y-%m-%d %H:%M UTC')"
  echo "# commit $(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo unknown)$(
    [ -z "$(git -C "$root" status --porcelain 2>/dev/null)" ] || echo ' (with uncommitted changes)'), $wine_version"
  echo "# $(nproc) cores, $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1), load $(cut -d' ' -f1-3 /proc/loadavg)"
  printf 'key\twhat\tparameter\tunit\tmeasured\tbaseline\tratio\tlow\thigh\tgoal\tmet\truns\n'
  cat "$rows" "$sizes"
} >"$results"

echo
python3 "$root/tools/bench_table.py" table "$results"
echo "bench: results in $results; took $((SECONDS - started)) s"
if [ -n "$compare_with" ]; then
  echo
  python3 "$root/tools/bench_table.py" compare "$compare_with" "$results"
fi
if [ ${#failures[@]} -gt 0 ]; then
  echo "bench: no figures from: ${failures[*]}" >&2
  exit 1
fi
