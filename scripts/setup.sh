#!/usr/bin/env bash
# Installs everything the build and the tests need on a fresh Debian 12 machine,
# fetches the runtime source the release needs (scripts/runtime-source.sh) and
# makes the sid root with the Wine the tests run (scripts/sid-root.sh).
# Safe to run again: apt-get skips what is already there, and a complete root
# is kept.
set -euo pipefail

packages=(
  cmake make ninja-build python3
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools binutils-mingw-w64
  googletest
  debootstrap
  xvfb xauth x11-utils imagemagick
  pulseaudio pulseaudio-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
echo "setup: all packages present"
# The runtime's start-up source, compiled again for the 486 by the release.
"$(dirname "$0")/runtime-source.sh" fetch
# Wine: the sid root's, for both architectures.
"$(dirname "$0")/sid-root.sh" make
