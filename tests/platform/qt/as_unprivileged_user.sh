#!/usr/bin/env bash
# Runs a test program as an ordinary user. The tests of refused permissions cannot fail
# for root (root reads and writes everything), and CI runs as root.
set -euo pipefail
if [ "$(id -u)" -ne 0 ]; then
  exec "$@"  # an ordinary user already: the tests run as they are
fi
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/config" "$home/runtime"
chmod 700 "$home/runtime"
chown -R nobody "$home"
output=$(setpriv --reuid=nobody --regid=nogroup --clear-groups \
  env HOME="$home" TMPDIR="$home" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/runtime" \
  "$@" 2>&1) || { echo "$output"; exit 1; }
echo "$output"
if grep -q "SKIPPED" <<<"$output"; then
  echo "a permission test was skipped even as an ordinary user" >&2
  exit 1
fi
