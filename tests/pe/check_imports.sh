#!/usr/bin/env bash
# Checks that a Windows image imports only functions named in an allow-list.
# usage: check_imports.sh OBJDUMP IMAGE ALLOWLIST
# The list has one "DLL FUNCTION" per line ("KERNEL32.dll GetVersionExA");
# "#" starts a comment. DLL names compare without regard to case, function
# names exactly (exports are case-sensitive); an import by ordinal only is
# written "DLL @ORDINAL". Prints one FAIL line per import not in the list and
# exits 1; exits 0 with a summary line when every import is listed.
set -u
[ $# -eq 3 ] || { echo "usage: $0 OBJDUMP IMAGE ALLOWLIST" >&2; exit 2; }
objdump=$1 image=$2 list=$3

[ -f "$image" ] || { echo "FAIL: $image does not exist"; exit 1; }
[ -f "$list" ] || { echo "FAIL: allow-list $list does not exist"; exit 1; }
dump=$("$objdump" -p "$image") || { echo "FAIL: $objdump cannot read $image"; exit 1; }

# The allow-list as "dll function" lines, the DLL in lower case.
allowed=$(awk -v list="$list" '
  { sub(/\r$/, ""); sub(/#.*/, "") }
  NF == 0 { next }
  NF != 2 { printf "BAD %s:%d: %s\n", list, NR, $0; next }
  { print tolower($1), $2 }' "$list")
if grep -q '^BAD ' <<<"$allowed"; then
  sed -n 's/^BAD /FAIL: malformed allow-list line /p' <<<"$allowed"
  exit 1
fi

# The imports, from objdump's import tables:
#    00018000<tab>00018104 00000000 00000000 00019174 000183d4   (descriptor)
#   DLL Name: KERNEL32.dll
#   vma:  Hint/Ord Member-Name Bound-To
#   <tab>18830<tab>  136  CloseHandle
#   <tab>80000011<tab>   17  <none>          (by ordinal: "DLL @17")
# Every descriptor that names a DLL must yield that DLL and at least one
# function, so that a change in objdump's format cannot make an image pass.
imports=$(awk '
  /^The Import Tables/ { tables = 1; next }
  tables && /^ [0-9a-fA-F]+\t[0-9a-fA-F]+ [0-9a-fA-F]+ [0-9a-fA-F]+ [0-9a-fA-F]+ [0-9a-fA-F]+/ {
    if ($5 !~ /^0+$/) descriptors++
    next
  }
  /^[ \t]*DLL Name:/ { dll = $3; count[dll] = 0; order[++n] = dll; inside = 1; next }
  inside && /^[ \t]*vma:/ { next }
  inside && /^\t[0-9a-fA-F]+\t +[0-9]+ +[^ ]/ {
    name = $3
    if (name == "<none>") name = "@" $2
    print dll, name
    count[dll]++
    next
  }
  inside && /^[ \t]*$/ { inside = 0 }
  END {
    for (i = 1; i <= n; i++) if (count[order[i]] == 0) print order[i], "<unreadable>"
    if (descriptors + 0 != n + 0) print "<descriptors>", descriptors + 0, n + 0
  }' <<<"$dump")

# Functions imported on first call (delay-load) are not in those tables.
delay=$(awk '/Delay Import Directory/ { print $3 }' <<<"$dump")
if [ -n "$delay" ] && [ -n "${delay//0/}" ]; then
  echo "FAIL: $(basename "$image") has delay-load imports, which this check cannot read"
  exit 1
fi

status=0
if grep -q '^<descriptors> ' <<<"$imports"; then
  read -r _ descriptors dlls < <(grep '^<descriptors> ' <<<"$imports")
  echo "FAIL: $(basename "$image") imports from $descriptors DLLs, but only $dlls could be read"
  exit 1
fi
image_name=$(basename "$image") list_name=$(basename "$list")
report=$(awk -v image="$image_name" -v list="$list_name" '
  NR == FNR { allowed[$0] = 1; next }
  NF == 0 { next }
  $2 == "<unreadable>" { printf "FAIL: %s: no functions read for the imports from %s\n", image, $1; bad = 1; next }
  {
    functions++; dlls[tolower($1)] = 1
    if (!((tolower($1) " " $2) in allowed)) {
      printf "FAIL: %s imports %s %s, which %s does not allow\n", image, $1, $2, list
      bad = 1
    }
  }
  END {
    if (!bad) {
      n = 0; for (d in dlls) n++
      printf "ok: %s imports %d functions from %d DLLs, all in %s\n", image, functions, n, list
    }
  }' <(printf '%s\n' "$allowed") <(printf '%s\n' "$imports"))
printf '%s\n' "$report"
grep -q '^FAIL' <<<"$report" && status=1
exit $status
