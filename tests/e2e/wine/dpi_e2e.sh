#!/usr/bin/env bash
# The 64-bit PelandraOmnarium.scr at 100 %, 150 % and 200 % display scale (LogPixels 96, 144,
# 192) on a 1600 x 1200 virtual screen of its own, one table row per scale: where the photo
# frame is in device pixels, a photo of one-pixel detail shown pixel for pixel, a key ending
# the show, the dialog's client area and its controls' places, the preview inside its host.
# Usage: dpi_e2e.sh <win64 build dir> <work dir>. Needs WINEPREFIX (a 64-bit prefix); WINE
# names the 64-bit loader (default: /usr/lib/wine/wine64).
# Prints "PASS: ..." / "FAIL: ..." per case; exits non-zero when any case failed.
set -uo pipefail

build=$1
work=$2
scr="$build/PelandraOmnarium.scr"
wine=${WINE:-/usr/lib/wine/wine64}
wineserver=${WINESERVER:-wineserver}
export WINELOADER=$wine
desktop='HKCU\Control Panel\Desktop'
key='HKCU\Software\VB and VBA Program Settings\SCRNSAVE: The Pelandra Omnarium 2001\Settings'
failures=0

pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
windows_path() { echo "Z:${1//\//\\}"; }
set_setting() { "$wine" reg add "$key" /v "$1" /t REG_SZ /d "$2" /f >/dev/null 2>&1; }
set_dpi() { "$wine" reg add "$desktop" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1; }
restart_wine() { "$wineserver" -k >/dev/null 2>&1; "$wineserver" -w; }
# True when process $1 ends, with status 0, within 15 seconds.
ends_well() {
    for _ in $(seq 75); do
        kill -0 "$1" 2>/dev/null || { wait "$1"; return; }
        sleep 0.2
    done
    return 1
}

# --- A screen of its own; the scale as it was is put back at the end -----------------------
mkdir -p "$work"
restart_wine
Xvfb -displayfd 1 -screen 0 1600x1200x24 -nolisten tcp >"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
export DISPLAY=":$(head -n 1 "$work/display")"
for _ in $(seq 50); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
done
before=$("$wine" reg query "$desktop" /v LogPixels 2>/dev/null | tr -d '\r' |
    awk '$1 == "LogPixels" { print $3 }')
cleanup() {
    if [ -n "$before" ]; then
        set_dpi "$((before))"
    else
        "$wine" reg delete "$desktop" /v LogPixels /f >/dev/null 2>&1
    fi
    restart_wine
    kill "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT

# Nothing the .scr imports may be missing on Windows 7: the DPI calls are looked up at run time.
if "${OBJDUMP:-x86_64-w64-mingw32-objdump}" -p "$scr" | grep -Eq 'GetDpiFor|ForDpi|DpiAwareness'; then
    fail "the .scr imports a DPI call that older Windows lacks"
else
    pass "the .scr imports no DPI call"
fi

photos="$work/photos/pyrnox"
rm -rf "$work/photos" && mkdir -p "$photos"
set_setting PelandrasDir "$(windows_path "$photos")\\"
set_setting Interval 1

# One row per scale: the photo frame on the screen (the 1600 x 1200 screen is an 800 x 600
# one at 200 %, so only there the column is not lowered), the dialog's client area, and the
# places (left,top,right,bottom) of "The Pelandra Omnarium" label and the Help button in it.
while read -r dpi frame client label help; do
    set_dpi "$dpi"
    restart_wine

    # A photo exactly the frame's size: a 6-pixel green border around a checkerboard of
    # single pixels, which any stretch of the picture would blur to grey.
    size=${frame%%+*} && width=${size%x*} && height=${size#*x}
    left=${frame#*+} && left=${left%+*} && top=${frame##*+}
    detail="$((width - 12))x$((height - 12))"
    convert -size "$detail" pattern:gray50 -type TrueColor "$work/checker-$dpi.png"
    convert "$work/checker-$dpi.png" -bordercolor lime -border 6 "$photos/57CHECK.PNG"

    "$wine" "$scr" /s >"$work/show-$dpi.log" 2>&1 &
    show_pid=$!
    if id=$(for _ in $(seq 150); do
        xdotool search --onlyvisible --name '^Form1$' 2>/dev/null | head -1 | grep . && break
        sleep 0.2
    done); then
        sleep 2.5  # past the first tick
        shot="$work/show-$dpi.png"
        import -window root "$shot"
        drawn=$(convert "$shot" -fill black +opaque lime -trim -format '%wx%h%O' info:)
        [ "$drawn" = "$frame" ] && pass "$dpi DPI: the photo frame is $frame" ||
            fail "$dpi DPI: the photo frame is '$drawn', expected $frame ($shot)"
        convert "$shot" -crop "$detail+$((left + 6))+$((top + 6))" +repage "$work/detail-$dpi.png"
        differing=$(compare -metric AE "$work/detail-$dpi.png" "$work/checker-$dpi.png" null: 2>&1)
        [ "$differing" = "0" ] && pass "$dpi DPI: one-pixel detail is shown pixel for pixel" ||
            fail "$dpi DPI: $differing pixels of the checkerboard differ ($shot)"
        xdotool windowfocus "$id" 2>/dev/null
        sleep 0.3
        xdotool key space
        ends_well "$show_pid" && pass "$dpi DPI: a key ends the show" ||
            fail "$dpi DPI: a key did not end the show"
    else
        fail "$dpi DPI: /s opened no window"
    fi
    kill "$show_pid" 2>/dev/null
    wait "$show_pid" 2>/dev/null

    "$wine" "$scr" /c >"$work/dialog-$dpi.log" 2>&1 &
    dialog_pid=$!
    places="$work/dialog-$dpi.places"
    "$wine" "$build/window_places.exe" "Screen Saver Settings" 2>/dev/null | tr -d '\r' >"$places"
    import -window root "$work/dialog-$dpi.png"
    kill "$dialog_pid" 2>/dev/null
    wait "$dialog_pid" 2>/dev/null
    shown="$(sed -n 's/^client //p' "$places") $(sed -n 's/^[^"]*"The Pelandra Omnarium" //p' "$places")"
    shown="$shown $(sed -n 's/^[^"]*"Help" //p' "$places")"
    [ "$shown" = "$client $label $help" ] &&
        pass "$dpi DPI: the dialog's client area is $client, its label and Help button in place" ||
        fail "$dpi DPI: the dialog's client area, label and Help: '$shown', expected '$client $label $help'"

    if timeout 60 "$wine" "$build/preview_host.exe" "$(windows_path "$scr")" >"$work/preview-$dpi.log" 2>&1; then
        pass "$dpi DPI: /p draws inside its host, fitted at the host's DPI"
    else
        fail "$dpi DPI: /p: $(grep FAILED "$work/preview-$dpi.log" | tr '\n' ' ')"
    fi
done <<'TABLE'
96  777x473+412+101   415x296 120,16,353,41 264,248,385,273
144 1166x710+217+152  623x444 180,24,530,62 396,372,578,410
192 1554x946+23+16    830x592 240,32,706,82 528,496,770,546
TABLE

exit $((failures > 0))
