#!/usr/bin/env bash
# Starts tempivo on a private X server with openbox, then checks that the strip is 88 x 18
# at the top centre of a 1024 px screen, unfolds to 88 x 194 on a click and folds again.
#   strip_under_xvfb.sh PATH_TO_TEMPIVO
set -euo pipefail
binary=$1

. "$(dirname "$0")/x_session.sh"
start_x_session

# An X11 session with no platform chosen, and a scratch home for the settings.
mkdir -p "$work/runtime" && chmod 700 "$work/runtime"
env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_SESSION_TYPE=x11 XDG_RUNTIME_DIR="$work/runtime" \
    HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" "$binary" >"$work/tempivo.log" 2>&1 &
tempivo=$!
pids+=($tempivo)

geometry() {
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$1")"
    echo "$X $Y $WIDTH $HEIGHT"
}

# A machine without a sound card greets the user with a modal mixer message at start-up.
dismiss_messages() {
    local box found=1
    for box in $(xdotool search --all --onlyvisible --pid "$tempivo" --name '^Volume Control$' \
        2>/dev/null); do
        xdotool windowactivate --sync "$box" key --clearmodifiers Return 2>/dev/null || true
        found=0
    done
    return $found
}

# Poll until the strip has settled where it belongs (the window manager may place it first).
expect() {
    local want=$1 got="" wid=""
    for _ in $(seq 100); do
        kill -0 "$tempivo" 2>/dev/null || fail "tempivo exited"
        dismiss_messages || true
        wid=$(xdotool search --all --onlyvisible --pid "$tempivo" --name '^Tempivo$' 2>/dev/null |
            head -n1 || true)
        if [[ -n $wid ]]; then
            got=$(geometry "$wid")
            [[ $got == "$want" ]] && { echo "ok: x y width height = $got"; return 0; }
        fi
        sleep 0.1
    done
    fail "window at '$got', expected '$want'"
}

expect "468 0 88 18"
# The start-up ends with the mixer: wait until no message has come for two seconds.
quiet=0
for _ in $(seq 150); do
    if dismiss_messages; then quiet=0; else quiet=$((quiet + 1)); fi
    [[ $quiet -ge 20 ]] && break
    sleep 0.1
done
xdotool mousemove 548 9 click 1
expect "468 0 88 194"
# Move on: a press on the panel drags the window; dropped near the top it snaps back.
xdotool mousemove 490 30 click 1
sleep 0.3
drag() {
    xdotool mousemove "$1" "$2" mousedown 1
    sleep 0.3
    xdotool mousemove "$(($1 + 5))" "$(($2 + 5))"
    sleep 0.3
    xdotool mousemove "$3" "$4"
    sleep 0.3
    xdotool mouseup 1
}
drag 540 150 440 250
expect "368 100 88 194"
drag 440 250 440 162
expect "368 0 88 194"
# Move off again: the next press folds.
xdotool mousemove 390 30 click 1
sleep 0.3
xdotool mousemove 448 9 click 3
expect "368 0 88 18"
echo "5 passed, 0 failed"
