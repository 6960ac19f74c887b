#!/usr/bin/env bash
# Installs what the Windows build and its Wine tests need: MinGW-w64 cross compilers (i686 and
# x86_64, POSIX threads), Wine (32 and 64 bit), Xvfb, xdotool and ImageMagick for the screenshots.
# Idempotent and quiet: does nothing when everything is already there.
set -euo pipefail

packages=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64
          wine wine32:i386 wine64 xvfb xauth xdotool imagemagick libjpeg-turbo-progs x11-utils cmake
          googletest)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
done
if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
