#!/usr/bin/env bash
# Builds the Windows screen saver (presets win32 and win64), checks both .scr files as files
# (machine, subsystem, imported DLLs, version record) and tests both builds under Wine: the
# core's unit tests, the backend tests (checked against the registry with `reg query`) and the
# end-to-end run of the .scr on a virtual screen. 64-bit programs run through Wine's 64-bit
# loader in a 64-bit prefix; the 32-bit ones run only where this kernel can start 32-bit
# programs, and are reported as skipped, with the reason, where it cannot.
# Ends with "N passed, N failed, N skipped"; exits non-zero on any failure.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
passed=0
failed=0
skipped=0
pass() { echo "PASS: $*"; passed=$((passed + 1)); }
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }
# Runs a script that prints "PASS: ..." / "FAIL: ..." lines and counts them, each under `prefix`.
relay() {
    local prefix=$1 line
    shift
    while IFS= read -r line; do
        case "$line" in
            PASS:*) pass "$prefix ${line#PASS: }" ;;
            FAIL:*) fail "$prefix ${line#FAIL: }" ;;
        esac
    done < <("$@" 2>&1)
}
finish() {
    echo "$passed passed, $failed failed, $skipped skipped"
    [ "$failed" -eq 0 ]
    exit
}

# Wine turns Linux file names into Windows ones through the locale's character set: without
# a UTF-8 locale (a fresh machine sets none) names beyond ASCII are lost.
export LC_ALL=C.UTF-8
export WINEPREFIX="$root/build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer prompts
key='HKCU\Software\VB and VBA Program Settings\SCRNSAVE: The Pelandra Omnarium 2001\Settings'
# Wine's loaders. Debian's `wine` wrapper always starts the 32-bit one, so 64-bit programs
# are started by the 64-bit loader itself.
wine64=/usr/lib/wine/wine64
wine32=${WINE32_LOADER:-/usr/lib/wine/wine}

# --- Build ------------------------------------------------------------------------------
mkdir -p build
for preset in win32 win64; do
    if cmake --preset "$preset" >"build/$preset-configure.log" 2>&1 &&
        cmake --build --preset "$preset" -j2 >"build/$preset-build.log" 2>&1; then
        pass "build $preset"
    else
        tail -30 "build/$preset-build.log" "build/$preset-configure.log" 2>/dev/null
        fail "build $preset"
    fi
done
[ "$failed" -eq 0 ] || finish

# --- Both .scr files as files -------------------------------------------------------------
for preset in win32 win64; do
    machine=$([ "$preset" = win32 ] && echo i386 || echo x86-64)
    relay "$preset" bash tests/e2e/wine/check_executable.sh "build/$preset/PelandraOmnarium.scr" "$machine"
done

# A kernel built without 32-bit support refuses Wine's 32-bit loader ("Exec format error").
if why=$("$wine32" --version 2>&1 >/dev/null); then
    presets=(win64 win32)
else
    presets=(win64)
    why=$(tail -n 1 <<<"${why:-$wine32 did not start}" | sed -E "s/^.*: line [0-9]+: //")
fi

# --- Wine on a virtual screen of our own ----------------------------------------------------
# Xvfb picks a free display itself, so that runs side by side never share one.
Xvfb -displayfd 1 -screen 0 800x600x24 -nolisten tcp >build/wine-display 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s build/wine-display ] && break
    sleep 0.1
done
display=$(head -n 1 build/wine-display)
export DISPLAY=":$display"
cleanup() {
    wineserver -k >/dev/null 2>&1
    kill "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT
for _ in $(seq 50); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
done
# A 64-bit prefix, which runs 32-bit programs too where the 32-bit loader can start. One
# made where it could not has no 32-bit half: it is made again.
if [ "${#presets[@]}" -eq 2 ] && [ -d "$WINEPREFIX" ] &&
    [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
    rm -rf "$WINEPREFIX"
fi
WINELOADER=$wine64 "$wine64" wineboot -i >/dev/null 2>&1
wineserver -w

for preset in "${presets[@]}"; do
    build="$root/build/$preset"
    work="$build/wine-e2e"
    mkdir -p "$work"
    checks_before=$((passed + failed))
    if [ "$preset" = win64 ]; then
        export WINELOADER=$wine64  # what Wine starts further 64-bit programs with
        wine=$wine64
    else
        unset WINELOADER
        wine=wine
    fi

    # Unit tests of the core.
    if "$wine" "$build/tests/core_tests.exe" >"$work/core_tests.log" 2>&1; then
        pass "$preset core_tests ($(grep -o '[0-9]* tests\? from [0-9]* test suites\? ran' "$work/core_tests.log"))"
    else
        grep -E '^\[  FAILED|Failure' "$work/core_tests.log" | head -20
        fail "$preset core_tests"
    fi

    # Backend tests, with ImageMagick's decoding of the pictures as the reference.
    data="$build/test-data"
    rm -rf "$data" && mkdir -p "$data"
    convert assets/title.bmp "$data/title.png"
    convert assets/dialog-logo.jpg "$data/dialog-logo.png"
    cp assets/title.bmp "$data/café à la carte.bmp"
    echo "not a picture" >"$data/not-a-picture.jpg"
    : >"$data/empty.bmp"
    convert assets/dialog-logo.jpg -interlace JPEG "$data/progressive.jpg"
    printf '0;\n1;\n2;\n' >"$data/scans"
    convert assets/dialog-logo.jpg ppm:- | cjpeg -scans "$data/scans" >"$data/multi-scan.jpg"
    convert -size 64x48 xc:white -fill red -draw 'rectangle 0,0 15,11' -quality 95 "$data/corner.jpg"
    if "$wine" "$build/tests/win32_backend_tests.exe" >"$work/backend_tests.log" 2>&1; then
        pass "$preset win32_backend_tests ($(grep -o '[0-9]* tests\? from [0-9]* test suites\? ran' "$work/backend_tests.log"))"
    else
        grep -E -A6 '^\[  FAILED|Failure' "$work/backend_tests.log" | head -40
        fail "$preset win32_backend_tests"
    fi
    # What the backend tests stored, as Windows' own registry tool reads it.
    if "$wine" reg query "$key" /v Interval 2>/dev/null | tr -d '\r' | grep -Eq '^ +Interval +REG_SZ +37$'; then
        pass "$preset registry value read back with reg query"
    else
        fail "$preset registry value not found by reg query"
    fi

    # End to end.
    relay "$preset" env WINE="$wine" bash tests/e2e/wine/e2e.sh "$build" "$work"
    wineserver -k >/dev/null 2>&1
    wineserver -w
    runtime_checks=$((passed + failed - checks_before))
done

# The 32-bit build's run-time checks are the 64-bit build's, one by one.
if [ "${#presets[@]}" -eq 1 ]; then
    skipped=$runtime_checks
    echo "SKIP: win32 run-time tests ($skipped: unit, backend, registry, end to end, preview host): this kernel cannot start 32-bit programs ($why); the 32-bit .scr was built and checked as a file"
fi

# The 64-bit .scr at 100 %, 150 % and 200 % display scale, on a screen of its own.
relay win64 env WINE="$wine64" WINELOADER="$wine64" \
    bash tests/e2e/wine/dpi_e2e.sh "$root/build/win64" "$root/build/win64/wine-dpi"

finish
