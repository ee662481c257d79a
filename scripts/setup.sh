#!/usr/bin/env bash
# Installs what building and testing need and is not yet on this machine
# (Debian packages; run as root or with sudo), and fetches the 32-bit Windows
# side of Wine into the build tree, for running the i686 build.
set -eu
cd "$(dirname "$0")/.."

packages=(cmake make python3 g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools
  wine64 fonts-wine xvfb xauth xdotool x11-utils imagemagick googletest locales)

sudo=
[ "$(id -u)" -eq 0 ] || sudo=sudo
export DEBIAN_FRONTEND=noninteractive

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if ! $sudo apt-get install -y --no-install-recommends "${missing[@]}"; then
    $sudo apt-get update
    $sudo apt-get install -y --no-install-recommends "${missing[@]}"
  fi
fi
# Debian's wine32 makes /usr/bin/wine pick a 32-bit loader that cannot run here.
if dpkg-query -W -f='${Status}' wine32 2>/dev/null | grep -q 'install ok installed'; then
  echo "warning: wine32 is installed; the harness uses /usr/lib/wine/wine64 directly" >&2
fi

# wine64 runs 32-bit Windows programs (WoW64) when it finds the 32-bit Windows
# DLLs of the same Wine. Debian ships them in libwine:i386, which cannot be
# installed here (it depends on 32-bit Linux libraries that do not run): its
# Windows DLLs are taken out of the package into build/wine32 instead, once.
wine32=build/wine32
if [ ! -f "$wine32/.complete" ]; then
  version=$(dpkg-query -W -f='${Version}' wine64)
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
  fi
  rm -rf "$wine32" "$wine32.tmp"
  mkdir -p "$wine32.tmp"
  echo "Fetching the 32-bit Windows side of Wine $version (libwine:i386)"
  if ! (cd "$wine32.tmp" && apt-get download "libwine:i386=$version" 2>/dev/null); then
    $sudo apt-get update
    (cd "$wine32.tmp" && apt-get download "libwine:i386=$version")
  fi
  mkdir -p "$wine32"
  dpkg-deb --fsys-tarfile "$wine32.tmp"/libwine_*_i386.deb |
    tar -x -C "$wine32" ./usr/lib/i386-linux-gnu/wine/i386-windows
  rm -rf "$wine32.tmp"
  touch "$wine32/.complete"
fi
