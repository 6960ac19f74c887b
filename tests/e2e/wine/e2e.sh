#!/usr/bin/env bash
# End-to-end checks of one build of PelandraOmnarium.scr under Wine on a virtual screen.
# Usage: e2e.sh <build dir> <work dir>. Needs WINEPREFIX and DISPLAY (an 800 x 600 Xvfb);
# WINE names the loader for the build's width (default: Debian's `wine`).
# Prints "PASS: ..." / "FAIL: ..." per case; exits non-zero when any case failed.
set -uo pipefail

build=$1
work=$2
scr="$build/PelandraOmnarium.scr"
key='HKCU\Software\VB and VBA Program Settings\SCRNSAVE: The Pelandra Omnarium 2001\Settings'
failures=0
wine=${WINE:-wine}

pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
windows_path() { echo "Z:${1//\//\\}"; }

# Waits up to $2 seconds for a window titled exactly $1; prints its id.
wait_for_window() {
    local name=$1 seconds=$2 id
    for _ in $(seq $((seconds * 5))); do
        id=$(xdotool search --onlyvisible --name "^${name}\$" 2>/dev/null | head -1)
        if [ -n "$id" ]; then echo "$id"; return 0; fi
        sleep 0.2
    done
    return 1
}

# Waits up to $2 seconds until no window titled exactly $1 is shown.
wait_until_gone() {
    local name=$1 seconds=$2
    for _ in $(seq $((seconds * 5))); do
        xdotool search --onlyvisible --name "^${name}\$" >/dev/null 2>&1 || return 0
        sleep 0.2
    done
    return 1
}

# Waits up to $2 seconds for process $1 to end; its exit status is left in $ended_status.
wait_for_exit() {
    local pid=$1 seconds=$2
    for _ in $(seq $((seconds * 5))); do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid"
            ended_status=$?
            return 0
        fi
        sleep 0.2
    done
    return 1
}

# Mean brightness (0..1) of a region of a screenshot: WxH+X+Y.
brightness() { convert "$1" -crop "$2" +repage -colorspace gray -format '%[fx:mean]' info:; }
brighter_than() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }

set_setting() { "$wine" reg add "$key" /v "$1" /t REG_SZ /d "$2" /f >/dev/null 2>&1; }
stored_setting() {
    "$wine" reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | awk -v name="$1" '$1 == name { print $3 }'
}

# --- A photo folder of the tests' own ---------------------------------------------------
photos="$work/photos/pyrnox"
rm -rf "$work/photos" && mkdir -p "$photos"
convert -size 640x480 gradient:navy-gold "$photos/57SEDAN.JPG"
convert -size 400x300 plasma:fractal -seed 7 "$photos/CMCOUPE.PNG" 2>/dev/null ||
    convert -size 400x300 gradient:red-blue "$photos/CMCOUPE.PNG"
set_setting PelandrasDir "$(windows_path "$photos")\\"
set_setting Interval 1

# --- "/s": the show, a second copy, a key ---------------------------------------------------
"$wine" "$scr" /s >"$work/show.log" 2>&1 &
show_pid=$!
if id=$(wait_for_window Form1 30); then
    sleep 2.5  # past the first tick: a photo and its caption
    import -window root "$work/show.png"
    frame=$(brightness "$work/show.png" 600x300+100+100)
    corner=$(brightness "$work/show.png" 8x8+0+590)
    caption=$(brightness "$work/show.png" 200x20+300+490)
    if brighter_than "$frame" 0.1 && ! brighter_than "$corner" 0.01 && brighter_than "$caption" 0.01; then
        pass "/s shows the photo, its caption and the black screen ($work/show.png)"
    else
        fail "/s screenshot: frame $frame, corner $corner, caption $caption ($work/show.png)"
    fi

    started=$(date +%s)
    timeout 20 "$wine" "$scr" /s >/dev/null 2>&1
    status=$?
    if [ "$status" -eq 0 ] && [ $(($(date +%s) - started)) -lt 15 ]; then
        pass "a second copy ends at once"
    else
        fail "a second copy: status $status"
    fi
    windows=$(xdotool search --onlyvisible --name '^Form1$' 2>/dev/null | wc -l)
    [ "$windows" -le 1 ] && pass "the second copy showed nothing" ||
        fail "the second copy opened a window ($windows)"

    # The black margin under the logo is the window's own surface. Its first three moves
    # are let through; the window appearing under a still pointer is no move at all.
    for x in 100 140 180; do
        xdotool mousemove "$x" 592
        sleep 0.3
    done
    sleep 0.5
    if kill -0 "$show_pid" 2>/dev/null; then
        pass "three pointer moves are let through"
    else
        fail "the show ended before the fourth pointer move"
    fi
    xdotool mousemove 220 592
    if wait_for_exit "$show_pid" 15 && [ "$ended_status" -eq 0 ]; then
        pass "the fourth pointer move ends the show"
    else
        fail "the fourth pointer move did not end the show"
    fi
else
    fail "/s opened no window"
fi
kill "$show_pid" 2>/dev/null

"$wine" "$scr" /S >"$work/show-key.log" 2>&1 &
show_pid=$!
if id=$(wait_for_window Form1 30); then
    sleep 1
    xdotool windowfocus "$id" 2>/dev/null
    sleep 0.3
    xdotool key space
    if wait_for_exit "$show_pid" 15 && [ "$ended_status" -eq 0 ]; then
        pass "a key ends the show"
    else
        fail "a key did not end the show"
    fi
else
    fail "/S opened no window"
fi
kill "$show_pid" 2>/dev/null

# --- No photos: one error box at a time, the show goes on -------------------------------
set_setting PelandrasDir "$(windows_path "$work/photos/missing")\\"
"$wine" "$scr" /s >"$work/show-missing.log" 2>&1 &
show_pid=$!
if box=$(wait_for_window "The Pelandra Omnarium Screen Saver" 30); then
    sleep 3  # three more ticks at one a second
    boxes=$(xdotool search --onlyvisible --name "^The Pelandra Omnarium Screen Saver\$" 2>/dev/null | wc -l)
    [ "$boxes" -eq 1 ] && pass "missing photos: one error box, never stacked" ||
        fail "missing photos: $boxes error boxes"
    xdotool windowfocus "$box" 2>/dev/null
    sleep 0.3
    xdotool key Return
    wait_until_gone "The Pelandra Omnarium Screen Saver" 10
    kill -0 "$show_pid" 2>/dev/null && pass "missing photos: the show goes on after the box" ||
        fail "missing photos: the show ended with the box"
else
    fail "missing photos: no error box"
fi
kill "$show_pid" 2>/dev/null
wait "$show_pid" 2>/dev/null
set_setting PelandrasDir "$(windows_path "$photos")\\"

# --- Pictures that must not hurt the show ---------------------------------------------------
# Runs the show on a folder of its own; leaves its pid in $show_pid.
start_show_on() {
    set_setting PelandrasDir "$(windows_path "$1")\\"
    "$wine" "$scr" /s >"$work/show-$2.log" 2>&1 &
    show_pid=$!
}

# A real JPEG whose frame header claims 60000 x 60000 pixels.
huge="$work/photos-huge/pyrnox"
rm -rf "$work/photos-huge" && mkdir -p "$huge"
convert -size 320x240 gradient:navy-gold "$work/huge-source.jpg"
python3 - "$work/huge-source.jpg" "$huge/58HUGE.JPG" <<'PATCH'
import sys
data = bytearray(open(sys.argv[1], "rb").read())
at = 2
while not (0xC0 <= data[at + 1] <= 0xCF and data[at + 1] not in (0xC4, 0xC8, 0xCC)):
    at += 2 + (data[at + 2] << 8 | data[at + 3])
data[at + 5:at + 9] = bytes([0xEA, 0x60, 0xEA, 0x60])  # height and width: 60000
open(sys.argv[2], "wb").write(data)
PATCH
start_show_on "$huge" huge
if box=$(wait_for_window "The Pelandra Omnarium Screen Saver" 30); then
    sleep 3  # three more ticks at one a second
    boxes=$(xdotool search --onlyvisible --name "^The Pelandra Omnarium Screen Saver\$" 2>/dev/null | wc -l)
    if [ "$boxes" -eq 1 ] && kill -0 "$show_pid" 2>/dev/null; then
        pass "a 60000 x 60000 JPEG header: one error box, no crash"
    else
        fail "a 60000 x 60000 JPEG header: $boxes boxes, show running: $(kill -0 "$show_pid" 2>/dev/null && echo yes || echo no)"
    fi
else
    fail "a 60000 x 60000 JPEG header: no error box ($(tail -c 300 "$work/show-huge.log" | tr '\n' ' '))"
fi
kill "$show_pid" 2>/dev/null
wait "$show_pid" 2>/dev/null

# A 24-megapixel progressive JPEG takes seconds to decode under Wine; a key pressed while
# it decodes must still end the show.
big="$work/photos-big/pyrnox"
if [ ! -s "$big/59BIG.JPG" ]; then
    mkdir -p "$big"
    convert -size 6000x4000 gradient:navy-gold -interlace JPEG -quality 90 "$big/59BIG.JPG"
fi
start_show_on "$big" big
if id=$(wait_for_window Form1 30); then
    xdotool windowfocus "$id" 2>/dev/null
    sleep 1.5  # the first tick, at one second, started decoding
    xdotool key space
    if wait_for_exit "$show_pid" 15 && [ "$ended_status" -eq 0 ]; then
        pass "a key ends the show while a big progressive JPEG decodes"
    else
        fail "a key did not end the show while a big progressive JPEG decoded"
    fi
else
    fail "the big-photo show opened no window"
fi
kill "$show_pid" 2>/dev/null
wait "$show_pid" 2>/dev/null
set_setting PelandrasDir "$(windows_path "$photos")\\"

# --- "/c": the dialog, the spin control by mouse and keyboard, Set, Help, Exit -----------
# Button centres in pixels from the dialog's corner (the buttons' twips plus half their size):
# Set 360 + 900, Exit 2160 + 900, Help 3960 + 900; all at 3720 + 180.
set_x=84 exit_x=204 help_x=324 buttons_y=260

# Starts the dialog; leaves its pid in $dialog_pid and its geometry in $X and $Y.
start_dialog() {
    "$wine" "$scr" /c >"$work/dialog-$1.log" 2>&1 &
    dialog_pid=$!
    id=$(wait_for_window "Screen Saver Settings" 30) || return 1
    sleep 1
    eval "$(xdotool getwindowgeometry --shell "$id")"
    xdotool windowfocus "$id" 2>/dev/null
    sleep 0.3
}
click_at() { xdotool mousemove $((X + $1)) $((Y + $2)) click 1; }
# Help, then its box closed with Enter; true when the box came and went.
help_and_enter() {
    click_at $help_x $buttons_y
    box=$(wait_for_window "The Pelandra Omnarium Screen Saver Settings" 15) || return 1
    xdotool windowfocus "$box" 2>/dev/null
    sleep 0.3
    xdotool key Return
    wait_until_gone "The Pelandra Omnarium Screen Saver Settings" 10
}
# Clicks Exit; true when the program ended with status 0.
exit_ends_it() {
    click_at $exit_x $buttons_y
    wait_for_exit "$dialog_pid" 10 && [ "$ended_status" -eq 0 ]
}

set_setting Interval 1
if start_dialog set-help-exit; then
    import -window root "$work/dialog.png"
    # From Set, the tab order reaches SpinInterval third; its right arrow key steps up.
    for step in Tab Tab Tab Right; do xdotool key "$step"; sleep 0.2; done
    # The right arrow of SpinInterval (3120 + 975 * 3/4, 3240 + 120 twips in pixels).
    click_at 257 224
    sleep 0.5
    click_at $set_x $buttons_y
    sleep 1
    stored=$(stored_setting Interval)
    [ "$stored" = "3" ] && pass "/c: two steps up and Set store Interval 3" ||
        fail "/c: Interval is '$stored', expected 3 ($work/dialog.png)"
    if help_and_enter; then
        pass "/c: Help shows its box, Enter closes it"
    else
        fail "/c: the help box did not come and go"
    fi
    # Straight after the box, as a user would, with no help from the test's focus.
    if exit_ends_it; then
        pass "/c: Exit after Help ends the program with status 0"
    else
        fail "/c: Exit after Help did not end the program"
    fi
else
    fail "/c opened no dialog"
fi
kill "$dialog_pid" 2>/dev/null

if start_dialog set-exit; then
    click_at $set_x $buttons_y
    sleep 1
    if exit_ends_it; then
        pass "/c: Exit after Set ends the program with status 0"
    else
        fail "/c: Exit after Set did not end the program"
    fi
else
    fail "/c opened no dialog (Exit after Set)"
fi
kill "$dialog_pid" 2>/dev/null

if start_dialog help-close && help_and_enter; then
    xdotool windowfocus "$id" 2>/dev/null
    sleep 0.3
    xdotool key alt+F4
    if wait_for_exit "$dialog_pid" 15; then
        pass "closing the dialog ends the program"
    else
        fail "the dialog did not close"
    fi
else
    fail "/c: no dialog or no help box before closing"
fi
kill "$dialog_pid" 2>/dev/null

# --- "/p <window>": the preview inside a host window ------------------------------------
if timeout 60 "$wine" "$build/preview_host.exe" "$(windows_path "$scr")" >"$work/preview.log" 2>&1; then
    pass "/p draws inside its host and ends with it"
else
    fail "/p: $(grep FAILED "$work/preview.log" | tr '\n' ' ')"
fi
set_setting Interval 1
set_setting PelandrasDir "$(windows_path "$work/photos/missing")\\"
if timeout 60 "$wine" "$build/preview_host.exe" "$(windows_path "$scr")" message >"$work/preview-message.log" 2>&1; then
    pass "/p without photos draws the message inside its host, no box"
else
    fail "/p without photos: $(grep FAILED "$work/preview-message.log" | tr '\n' ' ')"
fi
set_setting PelandrasDir "$(windows_path "$photos")\\"

exit $((failures > 0))
