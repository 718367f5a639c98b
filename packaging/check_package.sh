#!/usr/bin/env bash
# Checks a distribution package of Quorvex: unpacks it into a fresh folder,
# compares what it holds with what it must hold (nothing missing, nothing
# else), checks that every program and library is built for the package's
# architecture and that the technician's text has CR LF line ends, and can
# start the unpacked program under Wine until it has written its report.
#
# usage: check_package.sh [--make CPACK CPACK_CONFIG] [--arch win32|win64]
#                         [--run HARDWARE_ID] ZIP [LIBRARY...]
#   --make   first makes ZIP afresh: cpack -G ZIP --config CPACK_CONFIG,
#            written into ZIP's folder (an old ZIP there is deleted first)
#   --arch   the machine every .exe and .dll in the package must be built for
#   --run    starts the unpacked Quorvex.exe with the hardware ID under
#            $WINELOADER, from another current folder, waits up to
#            QUORVEX_PACKAGE_WAIT seconds (default 30) for Quorvex.txt beside
#            the unpacked program, ends the program and checks the report
#   LIBRARY  file names of further libraries the package must hold (the
#            four families' English language and picture libraries are
#            always required)
# The package is unpacked into ZIP's folder, "unpacked/" (left for a look
# after a failure). Exit status 0 when everything holds, 1 otherwise, with
# one FAIL line per fault.
set -uo pipefail

usage() { echo "usage: $0 [--make CPACK CPACK_CONFIG] [--arch win32|win64] [--run HARDWARE_ID] ZIP [LIBRARY...]" >&2; exit 2; }

cpack= config= arch= run_id=
while [ $# -gt 0 ]; do
  case $1 in
    --make) [ $# -ge 3 ] || usage; cpack=$2 config=$3; shift 3 ;;
    --arch) [ $# -ge 2 ] || usage; arch=$2; shift 2 ;;
    --run) [ $# -ge 2 ] || usage; run_id=$2; shift 2 ;;
    --*) usage ;;
    *) break ;;
  esac
done
[ $# -ge 1 ] || usage
zip=$1
shift
libraries=("$@")
case $arch in
  '') machine= ;;
  win32) machine=014c ;;
  win64) machine=8664 ;;
  *) usage ;;
esac

status=0
fail() { echo "FAIL: $*"; status=1; }

zip_dir=$(dirname "$zip")
zip_name=$(basename "$zip")
top=${zip_name%.zip}
[ "$top" != "$zip_name" ] || { echo "FAIL: $zip is not a .zip file name"; exit 1; }

if [ -n "$cpack" ]; then
  [ -f "$config" ] || { echo "FAIL: no CPack configuration $config (build that tree first)"; exit 1; }
  mkdir -p "$zip_dir" && zip_dir=$(cd "$zip_dir" && pwd) && zip=$zip_dir/$zip_name
  rm -f "$zip"
  if ! "$cpack" -G ZIP --config "$config" -B "$zip_dir" >"$zip_dir/cpack.log" 2>&1; then
    cat "$zip_dir/cpack.log"
    echo "FAIL: cpack could not make the package from $config"
    exit 1
  fi
fi
[ -f "$zip" ] || { echo "FAIL: package $zip does not exist"; exit 1; }
zip_dir=$(cd "$zip_dir" && pwd)
zip=$zip_dir/$zip_name

# Unpack into a fresh folder.
work=$zip_dir/unpacked
rm -rf "$work"
mkdir -p "$work/files" "$work/cwd" || exit 1
if ! (cd "$work/files" && cmake -E tar xf "$zip"); then
  echo "FAIL: $zip cannot be unpacked"
  exit 1
fi

# One folder named like the package, holding files only.
mapfile -t outer < <(cd "$work/files" && find . -mindepth 1 -maxdepth 1 -printf '%P\n' | LC_ALL=C sort)
if [ "${outer[*]:-}" != "$top" ] || [ ! -d "$work/files/$top" ]; then
  echo "FAIL: $zip_name must hold exactly one folder $top, holds: ${outer[*]:-nothing}"
  exit 1
fi
dir=$work/files/$top

expected=(Quorvex.exe QuorvexReport.exe quorcur.ani README-technician.txt)
for family in Kiron Orsa Vela Mirel; do
  expected+=("${family}Quor001.DLL" "${family}Bitmap.dll")
done
expected+=("${libraries[@]}")
mapfile -t expected < <(printf '%s\n' "${expected[@]}" | LC_ALL=C sort -u)
mapfile -t found < <(cd "$dir" && find . -mindepth 1 -printf '%P\n' | LC_ALL=C sort)

for name in "${expected[@]}"; do
  if [ ! -f "$dir/$name" ]; then
    fail "$zip_name lacks $name"
  elif [ ! -s "$dir/$name" ]; then
    fail "$zip_name holds an empty $name"
  fi
done
for name in "${found[@]}"; do
  printf '%s\n' "${expected[@]}" | grep -qxF -- "$name" || fail "$zip_name holds $name, which does not belong in it"
done

# Every program and library is a PE image for the package's machine.
pe_machine() {
  local file=$1 offset
  [ "$(head -c 2 "$file")" = MZ ] || return 1
  offset=$(od -An -tu4 -j60 -N4 "$file" | tr -d ' ')
  [ -n "$offset" ] || return 1
  [ "$(od -An -tx1 -j"$offset" -N4 "$file" | tr -d ' ')" = 50450000 ] || return 1
  od -An -tx2 -j$((offset + 4)) -N2 "$file" | tr -d ' '
}
if [ -n "$machine" ]; then
  for name in "${found[@]}"; do
    case ${name,,} in
      *.exe | *.dll)
        got=$(pe_machine "$dir/$name") || { fail "$name is not a Windows image"; continue; }
        [ "$got" = "$machine" ] || fail "$name is built for machine 0x$got, the $arch package needs 0x$machine"
        ;;
    esac
  done
fi

# The technician's text: CR LF throughout, and it names what it must explain.
text=$dir/README-technician.txt
if [ -s "$text" ]; then
  lf=$(tr -cd '\n' <"$text" | wc -c)
  crlf=$(grep -c $'\r$' "$text")
  cr=$(tr -cd '\r' <"$text" | wc -c)
  if [ "$lf" -eq 0 ] || [ "$lf" -ne "$crlf" ] || [ "$cr" -ne "$lf" ] || [ "$(tail -c 1 "$text" | od -An -tx1 | tr -d ' ')" != 0a ]; then
    fail "README-technician.txt must end every line with CR LF ($lf LF, $crlf CR LF, $cr CR)"
  fi
  for word in Kiron ORSA VELA Mirel Quorvex.txt Notepad QuorvexReport; do
    grep -qi -- "$word" "$text" || fail "README-technician.txt does not mention $word"
  done
fi

if [ $status -eq 0 ]; then
  echo "ok: $zip_name holds ${#found[@]} files: ${found[*]}"
fi

# Start the unpacked program from another current folder; its report must
# appear beside the unpacked executable.
if [ -n "$run_id" ] && [ $status -eq 0 ]; then
  if [ -z "${WINELOADER:-}" ] || [ -z "${WINEPREFIX:-}" ]; then
    echo "FAIL: WINELOADER/WINEPREFIX not set; run inside the test environment (scripts/wine-env.sh)"
    exit 1
  fi
  wait_seconds=${QUORVEX_PACKAGE_WAIT:-30}
  report=$dir/Quorvex.txt
  log=$work/wine.log
  (cd "$work/cwd" && exec timeout -k 3 "$wait_seconds" "$WINELOADER" "$dir/Quorvex.exe" "$run_id") >"$log" 2>&1 &
  pid=$!
  started=$SECONDS
  # The program writes the whole report at once; a moment lets it finish.
  while kill -0 "$pid" 2>/dev/null && [ ! -s "$report" ]; do sleep 0.2; done
  sleep 0.5
  header=$(head -n 1 "$report" 2>/dev/null | tr -d '\r')
  kill -TERM "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  if [ -z "$header" ]; then
    fail "Quorvex.exe $run_id wrote no report $report within $wait_seconds s (another Quorvex window open?)"
    [ -s "$log" ] && { echo "--- wine output:"; tail -n 20 "$log"; }
  elif [ "$header" != "Tavolink TEST REPORT" ]; then
    fail "the report starts with '$header', not 'Tavolink TEST REPORT'"
  else
    echo "ok: Quorvex.exe $run_id wrote its report beside itself after $((SECONDS - started)) s: $header"
  fi
  [ -e "$work/cwd/Quorvex.txt" ] && fail "the report was written into the current folder, not beside the program"

  # The unattended report from the same folder: its report beside itself, one
  # line per test, an exit code that counts failed tests (never 100 here).
  rm -f "$report"
  out=$(cd "$work/cwd" && timeout 60 "$WINELOADER" "$dir/QuorvexReport.exe" "$run_id" 2>>"$log" | tr -d '\r')
  code=$?
  if [ $code -ge 100 ] || [ "$(head -n 1 "$report" 2>/dev/null | tr -d '\r')" != "Tavolink TEST REPORT" ] ||
     [ "$(grep -c ' test: ' <<<"$out")" != 4 ]; then
    fail "QuorvexReport.exe $run_id: exit code $code, output: $out"
  else
    echo "ok: QuorvexReport.exe $run_id wrote its report beside itself, exit code $code"
  fi
fi

exit $status
