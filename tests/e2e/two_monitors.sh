#!/usr/bin/env bash
# The real program under openbox on two monitors side by side, the right one primary with a
# 24 px panel on it alone (so _NET_WORKAREA, spanning both, says nothing of either): the strip
# starts below the panel, the mixer box opens on that monitor clear of the strip, a drop 12 px
# below the panel snaps onto it, the links window docks to the strip, and on the left monitor,
# which has no panel, a drop 12 px below the top snaps onto the screen's edge.
#   two_monitors.sh PATH_TO_TEMPIVO
set -euo pipefail
binary=$1

. "$(dirname "$0")/x_session.sh"
start_x_session openbox 2048x768

# RandR 1.5 monitors, which Qt takes as its screens. The right one takes Xvfb's only output,
# which ends the monitor the server makes of it over the whole screen. They last while some
# client stays connected (openbox does): a server reset forgets them.
xrandr --setmonitor left 1024/271x768/203+0+0 none >/dev/null
xrandr --setmonitor right 1024/271x768/203+1024+0 screen >/dev/null
xrandr --output screen --primary
[[ $(xrandr --listmonitors | head -n1) == "Monitors: 2" ]] || fail "no two monitors"

# The panel: a dock reserving the top 24 px of the right monitor.
dock_panel 1024x24+1024+0 "0, 0, 24, 0, 0, 0, 0, 0, 1024, 2047, 0, 0" "0, 24, 2048, 744"

mkdir -p "$work/home/.config/tempivo" "$work/runtime" && chmod 700 "$work/runtime"
: >"$work/no-devices.conf"
env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_SESSION_TYPE=x11 \
    ALSA_CONFIG_PATH="$work/no-devices.conf" XDG_RUNTIME_DIR="$work/runtime" \
    HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" "$binary" >"$work/tempivo.log" 2>&1 &
tempivo=$!
pids+=($tempivo)

# "left top right bottom" of a window with the frame the window manager draws round it.
outer() {
    local X Y WIDTH HEIGHT SCREEN WINDOW l=0 r=0 t=0 b=0 extents
    eval "$(xdotool getwindowgeometry --shell "$1")"
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS | grep -o '[0-9]*, [0-9]*, [0-9]*, [0-9]*$' || true)
    [[ -z $extents ]] || IFS=', ' read -r l r t b <<<"$extents"
    echo "$((X - l)) $((Y - t)) $((X + WIDTH + r - 1)) $((Y + HEIGHT + b - 1))"
}
at() { # WINDOW "X Y WIDTH HEIGHT" WHAT: waits up to 3 s for the window to be there
    local got="" X Y WIDTH HEIGHT SCREEN WINDOW
    for _ in $(seq 30); do
        eval "$(xdotool getwindowgeometry --shell "$1")"
        got="$X $Y $WIDTH $HEIGHT"
        [[ $got == "$2" ]] && { ok "$3"; return 0; }
        sleep 0.1
    done
    fail "$3: at '$got', expected '$2'"
}

strip=$(window_of --pid "$tempivo" --name '^Tempivo$') || fail "no strip"
at "$strip" "1492 24 88 18" "the strip starts at the top centre of the primary monitor, below its panel"

box=$(window_of --pid "$tempivo" --name '^Volume Control$') || fail "no mixer box"
sleep 0.3
read -r -a b <<<"$(outer "$box")"
read -r -a s <<<"$(outer "$strip")"
((b[0] >= 1024 && b[1] >= 24 && b[2] <= 2047 && b[3] <= 767)) ||
    fail "the mixer box at ${b[*]} leaves the free area of the primary monitor"
((b[2] < s[0] || s[2] < b[0] || b[3] < s[1] || s[3] < b[1])) ||
    fail "the mixer box at ${b[*]} overlaps the strip at ${s[*]}"
ok "the mixer box opens on the primary monitor, below its panel, clear of the strip"
xdotool windowactivate --sync "$box" key Return 2>/dev/null || xdotool key Return
sleep 0.3

# STRIP_X: the strip's left edge; FROM_Y and TO_X TO_Y: a point 100 px below its top (on the
# panel's background, not on a command), where the drag starts and where it ends, held still a
# second before the release.
drag() {
    xdotool mousemove $(($1 + 80)) "$2" mousedown 1
    sleep 0.2
    xdotool mousemove $(($3 + 40)) $(($4 + 40))
    sleep 0.3
    xdotool mousemove "$3" "$4"
    sleep 1.2
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$strip")"
    ((X != $1 || Y != 24)) || fail "the drag left the strip where it was"
    xdotool mouseup 1
    sleep 0.2
    xdotool mousemove 10 700
}
xdotool mousemove 1572 33 click 1
at "$strip" "1492 24 88 194" "a click unfolds the strip"
sleep 0.5
xdotool mousemove 1514 54 click 1 # Move: Y
sleep 0.3
drag 1492 124 1572 136
at "$strip" "1492 24 88 194" "a drop 12 px below the panel snaps onto it"
xdotool mousemove 1514 152 click 1 # Links
links=$(window_of --pid "$tempivo" --name '^Tempivo Links$') || fail "no links window"
at "$links" "1581 144 220 204" "the links window docks to the strip"
drag 1492 124 480 112
at "$strip" "400 0 88 194" "on the monitor without a panel a drop 12 px below the top snaps onto it"
at "$links" "489 120 220 204" "the links window follows to that monitor"
echo "two monitors: $passed passed"
