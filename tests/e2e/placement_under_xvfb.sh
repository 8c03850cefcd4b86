#!/usr/bin/env bash
# Where the strip and the windows it opens go on a real X server with openbox, below a 24 px
# panel that reserves the top of a 1024 x 768 screen: the strip starts and snaps below the
# panel; near the right edge the links window and the About box stay on the screen; the mixer
# box, a links error box and the file dialog open clear of the strip; at QT_SCALE_FACTOR=2 the
# frame lies on the strip's edges, and at 1.5 the strip keeps its exact size.
# Set TEMPIVO_E2E_SHOTS to a folder to keep screenshots.
#   placement_under_xvfb.sh PATH_TO_TEMPIVO
set -euo pipefail
binary=$1
shots=${TEMPIVO_E2E_SHOTS:-}

. "$(dirname "$0")/x_session.sh"
shot() { [[ -z $shots ]] || import -window root -display "$DISPLAY" "$shots/$1.png"; }
start_x_session

# The panel: a client that reserves the top 24 px of the screen.
dock_panel 1024x24+0+0 "0, 0, 24, 0, 0, 0, 0, 0, 0, 1023, 0, 0" "0, 24, 1024, 744"

# A link whose program cannot start, for an error box of the links window.
mkdir -p "$work/home/.config/tempivo" "$work/runtime" && chmod 700 "$work/runtime"
{
    printf '[Configuration]\r\n'
    printf 'No1T="Broken"\r\nNo1A="/nonexistent/program"\r\nNo1S="Computer program"\r\n'
} >"$work/home/.config/tempivo/config.ini"

# An ALSA without devices: the mixer box opens at every start, sound card or not.
: >"$work/no-devices.conf"
start() {
    env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_SESSION_TYPE=x11 \
        ALSA_CONFIG_PATH="$work/no-devices.conf" \
        XDG_RUNTIME_DIR="$work/runtime" HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
        "$@" "$binary" >"$work/tempivo.log" 2>&1 &
    tempivo=$!
    pids+=($tempivo)
}
stop() { kill "$tempivo" && wait "$tempivo" 2>/dev/null || true; }

# Visible windows of tempivo with the given title (a regular expression).
windows() { xdotool search --all --onlyvisible --pid "$tempivo" --name "$1" 2>/dev/null || true; }
await() {
    local wid=""
    for _ in $(seq 100); do
        kill -0 "$tempivo" 2>/dev/null || fail "tempivo exited"
        wid=$(windows "$1" | head -n1)
        [[ -n $wid ]] && { echo "$wid"; return 0; }
        sleep 0.1
    done
    fail "no window '$1'"
}
# "x y width height" of a window, with the window manager's frame when it has one.
outer() {
    local info x y w h l=0 r=0 t=0 b=0 extents
    info=$(xwininfo -id "$1")
    x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
    y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
    w=$(sed -n 's/.*Width: *//p' <<<"$info")
    h=$(sed -n 's/.*Height: *//p' <<<"$info")
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null |
        grep -o '[0-9]*, [0-9]*, [0-9]*, [0-9]*$' || true)
    [[ -n $extents ]] && IFS=', ' read -r l r t b <<<"$extents"
    echo "$((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))"
}
expect_at() {
    local got=""
    for _ in $(seq 50); do
        got=$(outer "$1")
        [[ $got == "$2" ]] && return 0
        sleep 0.1
    done
    fail "$3 at '$got', expected '$2'"
}
# Whether the rectangle "x y w h" lies on the screen, below the panel.
on_screen() {
    local x y w h
    read -r x y w h <<<"$1"
    ((x >= 0 && y >= 24 && x + w <= 1024 && y + h <= 768))
}
apart() {
    local ax ay aw ah bx by bw bh
    read -r ax ay aw ah <<<"$1"
    read -r bx by bw bh <<<"$2"
    ((ax + aw <= bx || bx + bw <= ax || ay + ah <= by || by + bh <= ay))
}
check_box() {
    local box strip
    box=$(outer "$1")
    strip=$(outer "$clock")
    on_screen "$box" || fail "$2 at '$box' leaves the screen"
    apart "$box" "$strip" || fail "$2 at '$box' overlaps the strip at '$strip'"
    ok "$2 at $box, clear of the strip at $strip"
}
click_in() {
    xdotool mousemove --window "$1" "$2" "$3" click 1
    sleep 0.3
}

start
clock=$(await '^Tempivo$')
mixer=$(await '^Volume Control$')
sleep 0.3
shot mixer-box
check_box "$mixer" "the mixer box"
xdotool windowactivate --sync "$mixer" key --clearmodifiers Return
expect_at "$clock" "468 24 88 18" "the strip"
ok "the strip starts below the panel at 468,24"

click_in "$clock" 80 9
expect_at "$clock" "468 24 88 194" "the unfolded strip"
# Move on, drag to the right edge just below the panel's bottom: it snaps to the panel.
click_in "$clock" 22 30
xdotool mousemove 548 124 mousedown 1
sleep 0.3
xdotool mousemove 553 129
sleep 0.3
xdotool mousemove 1008 136
sleep 0.3
xdotool mouseup 1
expect_at "$clock" "928 24 88 194" "the dragged strip"
ok "dropped near the panel, the strip snaps to 928,24"
click_in "$clock" 22 30 # Move off

click_in "$clock" 30 127 # Links
links=$(await '^Tempivo Links$')
sleep 0.3
geometry=$(outer "$links")
on_screen "$geometry" && apart "$geometry" "$(outer "$clock")" ||
    fail "the links window at '$geometry' beside the strip at '$(outer "$clock")'"
ok "the links window docks on the strip's left at $geometry"

click_in "$links" 61 33 # the broken link
error=$(await '^Error$')
sleep 0.3
shot links-error-box
check_box "$error" "the links window's error box"
xdotool windowactivate --sync "$error" key --clearmodifiers Return

click_in "$links" 193 29 # Edit slot 1
click_in "$links" 117 321 # Browse
dialog=""
for _ in $(seq 100); do
    for wid in $(windows '.'); do
        case $(xdotool getwindowname "$wid") in Tempivo | "Tempivo Links") ;; *) dialog=$wid ;; esac
    done
    [[ -n $dialog ]] && break
    sleep 0.1
done
[[ -n $dialog ]] || fail "no file dialog"
sleep 0.5
shot file-dialog
check_box "$dialog" "the file dialog"
xdotool windowactivate --sync "$dialog" key --clearmodifiers Escape
sleep 0.3

click_in "$clock" 30 151 # About
about=$(await '^About$')
sleep 0.3
shot about-box
geometry=$(outer "$about")
on_screen "$geometry" && apart "$geometry" "$(outer "$clock")" ||
    fail "the About box at '$geometry' beside the strip at '$(outer "$clock")'"
ok "the About box docks on the strip's left at $geometry"
stop

# Twice the size: a two-pixel frame exactly on the strip's edges, the desktop just outside.
xsetroot -solid '#808080'
start QT_SCALE_FACTOR=2
clock=$(await '^Tempivo$')
mixer=$(await '^Volume Control$')
xdotool windowactivate --sync "$mixer" key --clearmodifiers Return
expect_at "$clock" "424 24 176 36" "the strip at scale 2"
sleep 0.5
shot scale-2
import -window root -crop 180x40+422+22 "$work/strip.png"
pixel() { convert "$work/strip.png" -format "%[hex:p{$1,$2}]" info:; }
for at in "2 2 FFFFFF" "3 3 FFFFFF" "2 20 FFFFFF" "100 3 FFFFFF" "176 20 000000" "177 20 000000" \
    "100 36 000000" "100 37 000000" "178 20 808080" "100 38 808080" "1 20 808080"; do
    read -r x y want <<<"$at"
    got=$(pixel "$x" "$y")
    [[ $got == "$want" ]] || fail "pixel $x,$y of the strip at scale 2 is $got, not $want"
done
ok "at scale 2 the frame is two pixels wide on the strip's edges"
stop

# At 1.5 the window manager is asked for sizes in steps of two pixels: the strip must still get
# its exact odd heights, and fold and unfold again and again.
start QT_SCALE_FACTOR=1.5
clock=$(await '^Tempivo$')
mixer=$(await '^Volume Control$')
xdotool windowactivate --sync "$mixer" key --clearmodifiers Return
expect_at "$clock" "447 24 132 27" "the strip at scale 1.5"
for height in 291 27 291 27; do
    click_in "$clock" 80 5
    expect_at "$clock" "447 24 132 $height" "the strip at scale 1.5"
done
click_in "$clock" 80 5
click_in "$clock" 45 226 # About
about=$(await '^About$')
geometry=$(outer "$about")
[[ ${geometry#* * } == "341 183" ]] || fail "the About box at scale 1.5 is '$geometry', not 341 x 183"
shot scale-1.5
ok "at scale 1.5 the strip is 27 and 291 pixels high, folding and unfolding; the About box 341 x 183"
echo "$passed passed, 0 failed"
