#!/usr/bin/env bash
# Installs what making and checking the packages needs: CPack's helpers for the Debian
# package (dpkg-shlibdeps, file), lintian, desktop-file-validate, man for the manual page and
# zip for the Windows archive, and git for the packaging check's clean clone. Idempotent and
# quiet: asks apt only for what is missing.
set -euo pipefail

packages=(dpkg-dev file lintian desktop-file-utils man-db zip unzip git)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q >/dev/null
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
