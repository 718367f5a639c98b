#!/usr/bin/env bash
# The Debian sid root that holds the Wine every test runs: Wine 10, built in
# WoW64 mode, runs the 32-bit release and the 64-bit build alike on this
# kernel, which refuses 32-bit Linux programs. It lives outside the clone,
# once per machine, and is entered through scripts/wine-root.
#
#   scripts/sid-root.sh make     make it unless it is there and complete
#   scripts/sid-root.sh check    exit 0 when it is there and complete
#   scripts/sid-root.sh remove   remove it (refused while anything is mounted inside)
#   scripts/sid-root.sh path     print where it lives
#
# QUORVEX_SID_ROOT names another place (default /var/lib/quorvex/sid-root).
# The packages come from the Debian mirror this machine's apt sources name.
set -euo pipefail

root=${QUORVEX_SID_ROOT:-/var/lib/quorvex/sid-root}
# What the root must hold. Changing this list remakes the root.
wine_version=10.0~repack-12
# e2fsprogs: chattr, with which a scenario makes a folder read-only for root too.
packages=("wine=$wine_version" "wine64=$wine_version+b1" e2fsprogs)
recipe="sid minbase; --no-install-recommends ${packages[*]}"
stamp=$root/.quorvex-root

say() { printf 'sid-root: %s\n' "$*" >&2; }
# shellcheck source=apt-mirror.sh
source "$(dirname "$0")/apt-mirror.sh"

# Nothing may be mounted inside a root that is about to be deleted: with the
# machine's /dev bound there, rm -rf would empty the machine's /dev.
nothing_mounted() {
    local dir=$1 mounts
    mounts=$(awk -v d="$dir" 'index($5, d "/") == 1 || $5 == d {print $5}' /proc/self/mountinfo)
    [ -z "$mounts" ] && return 0
    say "refusing to delete $dir: mounted inside it:" $mounts
    return 1
}

delete() {
    local dir=$1
    [ -e "$dir" ] || return 0
    nothing_mounted "$dir" || return 1
    rm -rf --one-file-system "$dir"
}

# The stamp names the recipe and the versions dpkg reports inside the root;
# both must still hold.
installed_versions() {
    chroot "$1" dpkg-query -W -f='${Package} ${Version} ${Status}\n' wine wine64 libwine 2>/dev/null
}

check() {
    [ -f "$stamp" ] || return 1
    [ "$(sed -n 1p "$stamp")" = "$recipe" ] || return 1
    [ "$(sed -n '2,$p' "$stamp")" = "$(installed_versions "$root")" ] || return 1
    [ -x "$root/usr/lib/x86_64-linux-gnu/wine/wine" ] && [ -x "$root/usr/lib/x86_64-linux-gnu/wine/wineserver" ]
}

make_root() {
    if check; then
        say "$root is complete ($(sed -n 2p "$stamp" | cut -d' ' -f1-2))"
        return 0
    fi
    local new=$root.partial uri started=$SECONDS
    uri=$(apt_mirror) || return 1
    [ -e "$root" ] && say "$root is incomplete or outdated: making it again"
    delete "$new" && delete "$root" || return 1
    command -v debootstrap >/dev/null || { say "debootstrap is not installed (scripts/setup.sh installs it)"; return 1; }
    mkdir -p "$(dirname "$root")"
    say "making $root from $uri (about two minutes)"
    debootstrap --variant=minbase sid "$new" "$uri" >"$new.log" 2>&1 ||
        { tail -n 20 "$new.log" >&2; say "debootstrap failed (log $new.log)"; return 1; }
    # The mirror may serve a frozen sid whose index is past its Valid-Until.
    echo 'Acquire::Check-Valid-Until "false";' >"$new/etc/apt/apt.conf.d/99frozen"
    { chroot "$new" apt-get update -qq &&
      chroot "$new" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
          "${packages[@]}" && chroot "$new" apt-get clean; } >>"$new.log" 2>&1 ||
        { tail -n 20 "$new.log" >&2; say "installing Wine in the root failed (log $new.log)"; return 1; }
    { printf '%s\n' "$recipe"; installed_versions "$new"; } >"$new/.quorvex-root"
    mv "$new" "$root" && rm -f "$new.log"
    check || { say "$root does not check out after making it"; return 1; }
    say "made $root in $((SECONDS - started)) s: $(du -sh "$root" | cut -f1)"
}

case ${1:-} in
    make) make_root ;;
    check) check ;;
    remove) delete "$root.partial" && delete "$root" && say "removed $root" ;;
    path) printf '%s\n' "$root" ;;
    *) echo "usage: scripts/sid-root.sh make|check|remove|path" >&2; exit 2 ;;
esac
