#!/usr/bin/env bash
# Checks a Windows image for what an old Windows needs to load it: the
# subsystem version it asks for, and that it imports from system DLLs only.
# usage: check_pe.sh OBJDUMP IMAGE MAX_SUBSYSTEM_MAJOR [ALLOWED_DLL...]
# With no allowed DLLs the image must import nothing at all.
set -u
objdump=$1 image=$2 max_major=$3
shift 3
allowed=("$@")

[ -f "$image" ] || { echo "FAIL: $image does not exist"; exit 1; }
dump=$("$objdump" -p "$image") || { echo "FAIL: $objdump cannot read $image"; exit 1; }

status=0
major=$(awk '/^MajorSubsystemVersion/ {print $2}' <<<"$dump")
minor=$(awk '/^MinorSubsystemVersion/ {print $2}' <<<"$dump")
if [ -z "$major" ]; then
  echo "FAIL: no subsystem version in $image"; status=1
elif [ "$major" -gt "$max_major" ] || { [ "$major" -eq "$max_major" ] && [ "${minor:-0}" -gt 0 ]; }; then
  echo "FAIL: $image asks for subsystem version $major.$minor, above $max_major.0"; status=1
fi

mapfile -t dlls < <(awk '/DLL Name:/ {print tolower($3)}' <<<"$dump" | sort -u)
for dll in "${dlls[@]}"; do
  ok=0
  for a in "${allowed[@]}"; do
    [ "$dll" = "$(tr '[:upper:]' '[:lower:]' <<<"$a")" ] && ok=1
  done
  if [ $ok -eq 0 ]; then
    echo "FAIL: $image imports from $dll, which is not a system DLL of the target"; status=1
  fi
done

[ $status -eq 0 ] && echo "ok: $(basename "$image") subsystem $major.$minor, imports: ${dlls[*]:-none}"
exit $status
