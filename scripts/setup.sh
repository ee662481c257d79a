#!/usr/bin/env bash
# Installs what building and testing need and is not yet on this machine
# (Debian packages; run as root or with sudo).
set -eu

packages=(cmake make python3 g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools
  wine64 fonts-wine xvfb xauth xdotool x11-utils imagemagick googletest locales)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=
[ "$(id -u)" -eq 0 ] || sudo=sudo
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! $sudo apt-get install -y --no-install-recommends "${missing[@]}"; then
  $sudo apt-get update
  $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
# Debian's wine32 makes /usr/bin/wine pick a 32-bit loader that cannot run here.
if dpkg-query -W -f='${Status}' wine32 2>/dev/null | grep -q 'install ok installed'; then
  echo "warning: wine32 is installed; the harness uses /usr/lib/wine/wine64 directly" >&2
fi
