#!/usr/bin/env bash
# Makes the packages with scripts/package.sh from a clean clone of the committed tree and
# checks them: the Debian package's files and fields, lintian, that apt would install it, the
# unpacked program started by name (the show, the desktop entry's dialog, XScreenSaver by the
# hack link), and the Windows zip. The packages are left in build/packages/.
# Ends with "N passed, N failed"; exits non-zero on any failure.
set -uo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
here=$root/tests/packaging
passed=0
failed=0
pass() { echo "PASS: $*"; passed=$((passed + 1)); }
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }
check() {  # check DESCRIPTION COMMAND...: passes when the command succeeds
  local what=$1
  shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}
finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit
}

# Under /tmp and readable by all: the ordinary user of the XScreenSaver test runs from it.
work=$(mktemp -d /tmp/pelandra-packages-XXXXXX)
chmod 755 "$work"
trap 'rm -rf "$work"' EXIT

# --- Make them from a clean clone --------------------------------------------------------
# A git checkout is cloned (what is committed, nothing else); a tree unpacked from a source
# archive is copied without its build folder.
"$root/scripts/install-package-deps.sh" || { fail "install what packaging needs"; finish; }
if [ -d "$root/.git" ] || [ -f "$root/.git" ]; then
  git clone -q "$root" "$work/clone" || { fail "clone $root"; finish; }
  echo "Packaging commit $(git -C "$work/clone" log -1 --format='%h %s')"
else
  mkdir "$work/clone" && tar -C "$root" --exclude=./build -cf - . | tar -C "$work/clone" -xf - ||
    { fail "copy $root"; finish; }
  echo "Packaging the source tree at $root"
fi
if (cd "$work/clone" && scripts/package.sh) >"$work/package.log" 2>&1; then
  pass "scripts/package.sh in a clean clone"
else
  tail -40 "$work/package.log"
  fail "scripts/package.sh in a clean clone"
  finish
fi
debs=("$work"/clone/build/packages/*.deb)
zips=("$work"/clone/build/packages/*.zip)
check "one .deb and one .zip in build/packages/" [ ${#debs[@]} -eq 1 -a -f "${debs[0]}" -a ${#zips[@]} -eq 1 -a -f "${zips[0]}" ]
deb=${debs[0]}
zip=${zips[0]}
mkdir -p "$root/build/packages"
cp "$deb" "$zip" "$root/build/packages/"

# --- The Debian package: files and fields ---------------------------------------------------
unpacked=$work/root
dpkg-deb -x "$deb" "$unpacked" && chmod -R a+rX "$unpacked"
expected=(
  usr/bin/pelandra-saver
  usr/libexec/pelandra-saver/pelandra-picture-decoder
  usr/lib/systemd/user/pelandra-saver-watch.service
  "usr/libexec/xscreensaver/pelandra-saver -> ../../bin/pelandra-saver"
  usr/share/applications/pelandra-saver.desktop
  usr/share/applications/screensavers/pelandra-saver.desktop
  usr/share/doc/pelandra-saver/changelog.Debian.gz
  usr/share/doc/pelandra-saver/copyright
  usr/share/lintian/overrides/pelandra-saver
  usr/share/man/man1/pelandra-saver.1.gz
  usr/share/xscreensaver/config/pelandra-saver.xml
)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("usr/share/icons/hicolor/${size}x${size}/apps/pelandra-saver.png")
done
actual=$(cd "$unpacked" && find . ! -type d \( -type l -printf '%P -> %l\n' -o -printf '%P\n' \) | sort)
if diff <(printf '%s\n' "${expected[@]}" | sort) <(echo "$actual"); then
  pass "the package holds exactly the program, its decoder, hack link, manual page, desktop entry, icons, XScreenSaver entry and docs"
else
  fail "the package's files differ from the expected list (above: - expected, + found)"
fi
wrong_icons=0
for size in 16 22 24 32 48 64 128 256; do
  icon=$unpacked/usr/share/icons/hicolor/${size}x${size}/apps/pelandra-saver.png
  [ "$(identify -format '%wx%h' "$icon" 2>/dev/null)" = "${size}x${size}" ] || wrong_icons=$((wrong_icons + 1))
done
check "each icon is as large as its folder says" [ "$wrong_icons" -eq 0 ]
check "the program file is an executable" test -x "$unpacked/usr/bin/pelandra-saver"
# The decoder reads hostile files: of its own it links Qt's images and libseccomp, not the
# widgets, D-Bus, X or Wayland that the show uses.
decoder_needs=$(readelf -d "$unpacked/usr/libexec/pelandra-saver/pelandra-picture-decoder" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p')
check "the decoder itself links Qt Gui and libseccomp, not the show's other libraries" \
  bash -c '[[ "$1" == *libQt6Gui* && "$1" == *libseccomp* ]] && ! grep -Eq "Widgets|DBus|xcb|wayland|inih" <<<"$1"' _ "$decoder_needs"

field() { dpkg-deb -f "$deb" "$1"; }
check "Depends computed from the binary (Qt Widgets, libc)" \
  grep -q "libqt6widgets6.*libc6\|libc6.*libqt6widgets6" <<<"$(field Depends)"
check "Recommends Qt's Wayland plugin (a Wayland session's native path)" \
  grep -q "qt6-wayland" <<<"$(field Recommends)"
check "Section x11, a maintainer, a summary and a long description" \
  test "$(field Section)" = x11 -a -n "$(field Maintainer)" -a "$(field Description | wc -l)" -ge 5
check "no maintainer scripts" \
  test -z "$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -E 'preinst|postinst|prerm|postrm')"

# --- lintian ---------------------------------------------------------------------------------
lintian --pedantic --info "$deb" >"$work/lintian.log" 2>&1
grep -v "^running with root privileges" "$work/lintian.log"
check "lintian finds no errors" test "$(grep -c '^E:' "$work/lintian.log")" -eq 0
check "lintian finds no warnings" test "$(grep -c '^W:' "$work/lintian.log")" -eq 0

# --- The files' own checks ----------------------------------------------------------------
entry=$unpacked/usr/share/applications/pelandra-saver.desktop
check "desktop-file-validate accepts the desktop entry" desktop-file-validate "$entry"
if grep -qx "Name=Pelandra Omnarium Screen Saver Settings" "$entry" &&
  grep -qx "Exec=pelandra-saver /c" "$entry"; then
  pass "the desktop entry: its name, and pelandra-saver /c"
else
  fail "the desktop entry: its name, and pelandra-saver /c"
fi
theme=$unpacked/usr/share/applications/screensavers/pelandra-saver.desktop
check "desktop-file-validate accepts the MATE/XFCE screen-saver entry" desktop-file-validate "$theme"
check "the watcher's user unit is part of the graphical session and runs pelandra-saver --watch" \
  grep -qx "PartOf=graphical-session.target" "$unpacked/usr/lib/systemd/user/pelandra-saver-watch.service"
check "the screen-saver entry runs the hack link, the folder MATE and XFCE run programs from" \
  grep -qx "Exec=/usr/libexec/xscreensaver/pelandra-saver -root" "$theme"
manual=$unpacked/usr/share/man/man1/pelandra-saver.1.gz
man_warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$manual" 2>&1 >/dev/null)
check "the manual page formats without warnings" test -z "$man_warnings"
man_text=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$manual" 2>/dev/null)
missing_sections=0
for section in NAME SYNOPSIS OPTIONS XSCREENSAVER DESKTOPS "IDLE WATCHER" FILES "EXIT STATUS" PelandrasDir Interval Minutes; do
  grep -q "$section" <<<"$man_text" || { echo "manual page lacks $section"; missing_sections=1; }
done
check "the manual page tells the command line, settings file and keys, XScreenSaver and exit status" \
  test "$missing_sections" -eq 0
check "XScreenSaver's entry: label, -root command, where the folder and delay are set" \
  python3 - "$unpacked/usr/share/xscreensaver/config/pelandra-saver.xml" <<'EOF'
import sys
import xml.etree.ElementTree as tree
saver = tree.parse(sys.argv[1]).getroot()
description = saver.findtext("_description")
assert saver.tag == "screensaver" and saver.get("name") == "pelandra-saver", saver.attrib
assert saver.get("_label") == "Pelandra Omnarium", saver.attrib
assert saver.find("command").get("arg") == "-root"
for needed in ("screensaver.ini", "PelandrasDir", "Interval", "pelandra-saver /c"):
    assert needed in description, needed
EOF

# --- apt would install it (asked as an ordinary user, who only simulates) -------------------
cp "$deb" "$work/"
chmod a+r "$work/$(basename "$deb")"
as_user=()
[ "$(id -u)" -ne 0 ] || as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
if (cd "$work" && "${as_user[@]}" apt-get install -s "./$(basename "$deb")") >"$work/apt.log" 2>&1 &&
  grep -q "^Inst pelandra-saver " "$work/apt.log"; then
  pass "apt-get install ./$(basename "$deb") resolves (simulated)"
else
  cat "$work/apt.log"
  fail "apt-get install ./$(basename "$deb") resolves (simulated)"
fi

# --- The unpacked program, started by name ----------------------------------------------------
if PATH="$unpacked/usr/bin:$PATH" PELANDRA_DESKTOP_ENTRY="$entry" \
  python3 "$here/installed_e2e.py" >"$work/installed.log" 2>&1; then
  pass "the installed program by name: the show, and the desktop entry's dialog"
else
  cat "$work/installed.log"
  fail "the installed program by name: the show, and the desktop entry's dialog"
fi
if PELANDRA_HACK_DIR="$unpacked/usr/libexec/xscreensaver" \
  python3 "$root/tests/e2e/xscreensaver_e2e.py" >"$work/xscreensaver.log" 2>&1; then
  if grep -q "skipped" "$work/xscreensaver.log"; then
    grep "skipped" "$work/xscreensaver.log"
  fi
  pass "XScreenSaver runs the installed program from a programs: line naming it"
else
  cat "$work/xscreensaver.log"
  fail "XScreenSaver runs the installed program from a programs: line naming it"
fi

if PELANDRA_SAVER="$unpacked/usr/bin/pelandra-saver" PELANDRA_SCREENSAVER_ENTRY="$theme" \
  python3 "$root/tests/e2e/mate_screensaver_e2e.py" >"$work/mate.log" 2>&1; then
  grep "skipped" "$work/mate.log" || true
  pass "MATE's screen saver runs the installed program from the package's theme entry"
else
  cat "$work/mate.log"
  fail "MATE's screen saver runs the installed program from the package's theme entry"
fi

# --- The Windows zip ----------------------------------------------------------------------------
mkdir -p "$work/zip"
unzip -q "$zip" -d "$work/zip"
top=$(cd "$work/zip" && ls)
check "the zip holds the two .scr and README.txt" test "$(cd "$work/zip/$top" && find . -type f | sort | tr '\n' ' ')" = \
  "./32-bit/PelandraOmnarium.scr ./64-bit/PelandraOmnarium.scr ./README.txt "
check "32-bit/ holds the 32-bit build" grep -q "PE32 executable.*Intel 80386" \
  <<<"$(file "$work/zip/$top/32-bit/PelandraOmnarium.scr")"
check "64-bit/ holds the 64-bit build" grep -q "PE32+ executable.*x86-64" \
  <<<"$(file "$work/zip/$top/64-bit/PelandraOmnarium.scr")"
readme=$work/zip/$top/README.txt
check "README.txt has Windows line ends" test "$(grep -c $'\r$' "$readme")" -eq "$(wc -l <"$readme")"
key='HKEY_CURRENT_USER\Software\VB and VBA Program Settings\SCRNSAVE: The Pelandra Omnarium 2001\Settings'
check "README.txt tells Install, the registry key and which build is for 64-bit Windows" \
  test "$(grep -cF -e "Install." -e "$key" -e "64-bit/PelandraOmnarium.scr   for 64-bit Windows" "$readme")" -eq 3

finish
