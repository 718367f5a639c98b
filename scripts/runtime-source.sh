#!/usr/bin/env bash
# The source of the MinGW-w64 runtime's start-up parts, for the 32-bit
# release. Debian builds its i686 runtime for the Pentium Pro: its start-up
# code (crt2.o, and pesect.o and pseudo-reloc.o of libmingw32.a) holds cmov,
# which a 486 or Pentium faults on. The release compiles these three files
# again for the 486 (CMakeLists.txt); this fetches them, once per machine,
# from Debian's source package of the installed runtime, checked by apt.
#
#   scripts/runtime-source.sh fetch   fetch unless the installed version is there
#   scripts/runtime-source.sh path    print where it lives
#
# QUORVEX_CRT_SOURCE names another place (default /var/lib/quorvex/mingw-w64-crt).
set -euo pipefail

dir=${QUORVEX_CRT_SOURCE:-/var/lib/quorvex/mingw-w64-crt}
say() { printf 'runtime-source: %s\n' "$*" >&2; }
# shellcheck source=apt-mirror.sh
source "$(dirname "$0")/apt-mirror.sh"

fetch() {
    local version source work uri suite
    version=$(dpkg-query -W -f='${Version}' mingw-w64-i686-dev)
    if [ "$(cat "$dir/.version" 2>/dev/null)" = "$version" ]; then
        return 0
    fi
    source=$(dpkg-query -W -f='${source:Package}' mingw-w64-i686-dev)
    work=$(mktemp -d)
    trap 'rm -rf "$work"' RETURN
    # A source list of its own, from the suite and mirror the machine uses.
    uri=$(apt_mirror) || return 1
    suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
    mkdir -p "$work/lists/partial" "$work/cache/archives/partial"
    chmod 755 "$work"   # apt's download user reads and writes there
    echo "deb-src $uri $suite main" >"$work/sources.list"
    local apt=(apt-get -qq -o Dir::Etc::SourceList="$work/sources.list" -o Dir::Etc::SourceParts=/nonexistent
               -o Dir::State::Lists="$work/lists" -o Dir::Cache="$work/cache" -o APT::Sandbox::User=root)
    say "fetching the source of $source $version"
    "${apt[@]}" update >/dev/null &&
        (cd "$work" && "${apt[@]}" source --download-only "$source=$version" >/dev/null) ||
        { say "cannot fetch the source of $source $version"; return 1; }
    # Only the upstream tarball: none of Debian's patches touches these parts.
    tar -C "$work" -xf "$(ls "$work/${source}_${version%-*}".orig.tar.* | grep -v '\.asc$')" --wildcards \
        '*/mingw-w64-crt/crt/*' '*/mingw-w64-crt/include/*'
    rm -rf "$dir.new" && mkdir -p "$dir.new"
    cp -r "$work"/*/mingw-w64-crt/crt "$work"/*/mingw-w64-crt/include "$dir.new/"
    echo "$version" >"$dir.new/.version"
    rm -rf "$dir" && mv "$dir.new" "$dir"
    say "$dir holds the runtime's start-up source of $version"
}

case ${1:-} in
    fetch) fetch ;;
    path) printf '%s\n' "$dir" ;;
    *) echo "usage: scripts/runtime-source.sh fetch|path" >&2; exit 2 ;;
esac
