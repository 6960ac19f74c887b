#!/usr/bin/env bash
# Runs a test program as an ordinary user. The tests of refused permissions cannot fail
# for root (root reads and writes everything), and CI runs as root.
#
# The build may live where the ordinary user cannot go (a clone in /root, mode 700), so the
# program is copied to a folder of the user's own under /tmp and run from there, with the
# files named by --copy FILE beside it (the working folder, for relative paths). Exits 77 (the
# test's skip code) only when no such folder can be made.
#
#   as_unprivileged_user.sh [--copy FILE]... PROGRAM [ARGUMENT]...
set -euo pipefail
files=()
while [ "${1:-}" = "--copy" ]; do
  files+=("$2")
  shift 2
done
if [ "$(id -u)" -ne 0 ]; then
  for file in "${files[@]}"; do [ -e "$(basename "$file")" ] || cp "$file" .; done
  exec "$@"  # an ordinary user already: the tests run as they are
fi
program=$1
shift
as_user() { setpriv --reuid=nobody --regid=nogroup --clear-groups "$@"; }

home=$(mktemp -d /tmp/pelandra-unprivileged.XXXXXX)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/config" "$home/runtime"
chmod 700 "$home/runtime"
cp "$program" "${files[@]}" "$home/"
copy="$home/$(basename "$program")"
chown -R nobody:nogroup "$home"
if ! as_user test -x "$copy"; then
  echo "skipped: the ordinary user nobody cannot reach $copy" >&2
  exit 77
fi

cd "$home"
output=$(as_user env HOME="$home" TMPDIR="$home" XDG_CONFIG_HOME="$home/config" \
  XDG_RUNTIME_DIR="$home/runtime" "$copy" "$@" 2>&1) || { echo "$output"; exit 1; }
echo "$output"
if grep -q "SKIPPED" <<<"$output"; then
  echo "a permission test was skipped even as an ordinary user" >&2
  exit 1
fi
if ! grep -q "PASSED" <<<"$output"; then
  echo "no permission test ran" >&2
  exit 1
fi
