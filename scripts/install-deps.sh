#!/usr/bin/env bash
# Installs what building and testing the Linux program needs, from Debian's packages.
# Safe to run again: it asks apt only for what is missing. --fuzzing adds the fuzzers' compiler.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  qt6-base-dev qt6-base-private-dev libgl-dev libxcb1-dev libx11-6 libinih-dev libseccomp-dev
  googletest libgtest-dev
  xvfb xauth xdotool x11-utils imagemagick libjpeg-turbo-progs fonts-dejavu-core fonts-liberation2
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
  python3
  xscreensaver  # the real daemon, for the end-to-end test of the show under it
  mate-screensaver dbus-daemon libglib2.0-bin strace  # MATE's daemon running the show as a theme
  libwayland-dev wayland-protocols plasma-wayland-protocols libxcb-sync-dev  # the idle watcher
  libglib2.0-dev  # GNOME's and Cinnamon's blank time through GSettings
  sway swaybg grim wtype qt6-wayland  # a headless Wayland compositor for the Wayland end-to-end tests
  mutter python3-gi  # GNOME's compositor and its idle monitor, keys through its remote desktop
  kwin-wayland  # KDE's compositor, whose ext-idle-notify-v1 the watcher is tested on
  # Desktops that blank and lock by themselves, for the show and the watcher beside them:
  # GNOME Shell (its screen shield, settings-daemon's screen saver proxy, GSettings through
  # dconf so a test's idle-delay reaches the program) and KDE's lock screen greeter on Wayland.
  gnome-shell gnome-settings-daemon gjs dconf-gsettings-backend dconf-service qtwayland5
)
# ./test.sh also fuzzes the parsers: clang with its libFuzzer and sanitizer runtimes.
if [ "${1:-}" = "--fuzzing" ]; then
  packages+=(clang libclang-rt-14-dev)
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "install-deps: these packages are missing: ${missing[*]}" >&2
    echo "install-deps: install them as root with this one line, then run this again:" >&2
    echo "  apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
    exit 1
  fi
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q >/dev/null
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
