#!/usr/bin/env bash
# Installs what is missing, builds, and runs the wizard under Wine with a
# demo installation of the board software.
#   scripts/demo.sh [HARDWARE-ID]
# With $DISPLAY set the wizard opens there for you to use. Without it the
# wizard runs on a private Xvfb screen and walks itself; one PNG per page
# and the report are left in build/demo/out.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
hardware_id=${1:-}

"$root/scripts/setup.sh"
cmake --preset win64 >/dev/null
cmake --build --preset win64

bin="$root/build/win64/bin"
demo="$root/build/demo"
install_dir="$demo/install"
out="$demo/out"
rm -rf "$install_dir" "$out"
mkdir -p "$install_dir" "$out"
cp "$bin/Quorvex.exe" "$bin/QuorvexReport.exe" "$bin"/*Quor*.DLL "$bin"/*Bitmap.dll "$bin/quorcur.ani" "$install_dir/"

# The product key of the family the hardware ID selects (Mirel otherwise).
case "${hardware_id,,}" in
  kiron) family='Kiron' family_key='Kiron' ;;
  orsa)  family='Orsa' family_key='ORSA' ;;
  vela)  family='Vela' family_key='Vela' ;;
  *)     family='Mirel' family_key='MirelMJPG' ;;
esac

windows_path() { printf 'Z:%s' "${1//\//\\}"; }

write_demo_registry() {
  local reg="$demo/demo.reg" main_path
  main_path=$(windows_path "$install_dir")
  {
    printf 'REGEDIT4\r\n\r\n'
    printf '[HKEY_LOCAL_MACHINE\\Software\\Tavolink Systems\\%s]\r\n' "$family_key"
    printf '"Language"="001"\r\n'
    printf '"Main path"="%s"\r\n' "${main_path//\\/\\\\}"
    printf '"Install Version"="1.00 (demo installation)"\r\n\r\n'
  } >"$reg"
  "$WINELOADER" regedit /s "$(windows_path "$reg")"
  # The board's sample files at their install locations, and the FileCheck
  # lists that name them and the prefix's own DirectDraw files.
  python3 "$root/tools/demo_installation.py" --family "$family" --bin "$bin" \
    --install "$install_dir" --prefix "$WINEPREFIX" --out "$demo/filecheck.reg"
  "$WINELOADER" regedit /s "$(windows_path "$demo/filecheck.reg")"
}

if [ -n "${DISPLAY:-}" ]; then
  # A person is at the screen: a prefix of the demo's own, kept between runs.
  # The Wine of the sid root, as in the tests (scripts/sid-root.sh).
  export WINEPREFIX="$demo/prefix" WINELOADER="$root/scripts/wine-root" WINESERVER="$root/scripts/wineserver-root"
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  [ -d "$WINEPREFIX" ] || "$WINELOADER" wineboot -i >/dev/null 2>&1
  # Wine waits up to two seconds for a window manager whenever it shows one
  # of its managed windows (the wizard, each message box, the developer
  # dialog); on a display without one, the windows are left unmanaged.
  managed=Y
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' || managed=N
  "$WINELOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d "$managed" /f >/dev/null 2>&1
  write_demo_registry
  echo "demo: starting the wizard from $install_dir"
  cd "$install_dir"
  "$WINELOADER" Quorvex.exe $hardware_id || true
  "$WINESERVER" -w
  echo "demo: the report is $install_dir/Quorvex.txt"
  exit 0
fi

# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
trap wine_env_stop EXIT
wine_env_start
write_demo_registry

echo "demo: walking the wizard on Xvfb display $DISPLAY"
"$WINELOADER" "$bin/demo_walk.exe" "$(windows_path "$install_dir/Quorvex.exe")" "$(windows_path "$out")" \
  $hardware_id || echo "demo: the walk ended early"

for shot in "$out"/page-*.bmp; do
  [ -e "$shot" ] || continue
  convert "$shot" "${shot%.bmp}.png" && rm -f "$shot"
done
[ -f "$install_dir/Quorvex.txt" ] && cp "$install_dir/Quorvex.txt" "$out/"
# The unattended report of the same installation, beside the wizard's.
echo "demo: QuorvexReport.exe $hardware_id /out $(windows_path "$out/QuorvexReport.txt")"
(cd "$install_dir" && "$WINELOADER" QuorvexReport.exe $hardware_id /out "$(windows_path "$out/QuorvexReport.txt")" |
  tr -d '\r' | sed 's/^/  /') || echo "demo: QuorvexReport.exe found failures (exit code $?)"
echo "demo: screenshots and report in $out:"
ls -1 "$out"
