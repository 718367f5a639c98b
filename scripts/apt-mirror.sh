# shellcheck shell=bash
# apt_mirror: the first Debian mirror of this machine's own apt sources (deb822
# files first, then a one-line sources.list), security mirrors left out.
apt_mirror() {
    local uri
    uri=$(sed -n 's/^URIs:[[:space:]]*\([^[:space:]]*\).*/\1/p' /etc/apt/sources.list.d/*.sources 2>/dev/null |
          grep -v -- '-security' | head -n 1)
    [ -n "$uri" ] || uri=$(awk '$1 == "deb" && $2 !~ /^\[/ && $3 !~ /security/ {print $2; exit}' \
                               /etc/apt/sources.list 2>/dev/null)
    [ -n "$uri" ] || { printf 'no Debian mirror in this machine'"'"'s apt sources\n' >&2; return 1; }
    printf '%s\n' "$uri"
}
