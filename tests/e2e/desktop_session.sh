#!/usr/bin/env bash
# The real program on a private X server with openbox, seen the way the window manager and the
# user see it: the windows' X properties, closing from outside, double-clicks, moves with every
# button, the captions' pixels on the screen, and the end on a signal.
#   desktop_session.sh PATH_TO_TEMPIVO
set -euo pipefail
binary=$1
# A sanitizer build checks for leaks when the program ends by itself, as it does here.
here=$(cd "$(dirname "$0")" && pwd)
export LSAN_OPTIONS="suppressions=$here/lsan-suppressions.txt${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

. "$(dirname "$0")/x_session.sh"
start_x_session

# Slot 1 starts a script that counts its starts; the other slots are empty.
config=$work/home/.config/tempivo/config.ini
mkdir -p "$(dirname "$config")" "$work/runtime"
chmod 700 "$work/runtime"
printf '#!/bin/sh\necho started >>"%s"\n' "$work/launches" >"$work/launch.sh"
chmod +x "$work/launch.sh"
{
    printf '[Configuration]\r\nNo1T="Counter"\r\nNo1A="%s"\r\nNo1S="Computer program"\r\n' \
        "$work/launch.sh"
    for n in 2 3 4 5 6 7 8 9 10; do
        printf 'No%sT="[none]"\r\nNo%sA="none"\r\nNo%sS="URL"\r\n' "$n" "$n" "$n"
    done
} >"$config"
config_sum=$(md5sum <"$config")

window() { # NAME: the visible window of that exact title, if any
    xdotool search --all --onlyvisible --pid "$tempivo" --name "^$1\$" 2>/dev/null | head -n1 || true
}
geometry() {
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$1")"
    echo "$X $Y $WIDTH $HEIGHT"
}
expect_geometry() { # NAME "X Y WIDTH HEIGHT"
    local got="" wid
    for _ in $(seq 50); do
        wid=$(window "$1")
        [[ -n $wid ]] && got=$(geometry "$wid") && [[ $got == "$2" ]] && return 0
        sleep 0.1
    done
    fail "$1 at '$got', expected '$2'"
}
unfold() { # clicks the strip until the panel shows: a click before the strip is ready is lost
    local wid
    for _ in 1 2 3; do
        click 548 9
        for _ in $(seq 30); do
            wid=$(window Tempivo)
            [[ -n $wid && $(geometry "$wid") == "468 0 88 194" ]] && return 0
            sleep 0.1
        done
    done
    fail "the strip did not unfold"
}
expect_gone() {
    for _ in $(seq 30); do
        [[ -z $(window "$1") ]] && return 0
        sleep 0.1
    done
    fail "$1 still shown"
}
alive() { kill -0 "$tempivo" 2>/dev/null || fail "tempivo ended"; }
expect_exit() { # how: the program ends by itself with status 0
    local status=0
    for _ in $(seq 30); do
        kill -0 "$tempivo" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$tempivo" 2>/dev/null && fail "still running after $1"
    wait "$tempivo" || status=$?
    [[ $status -eq 0 ]] || fail "ended with status $status after $1"
    [[ $(md5sum <"$config") == "$config_sum" ]] || fail "settings file changed after $1"
}
# The window type and states the window manager reads.
expect_off_taskbar() {
    local props
    props=$(xprop -id "$(window "$1")" _NET_WM_WINDOW_TYPE _NET_WM_STATE)
    grep -q '_NET_WM_WINDOW_TYPE(ATOM) = _NET_WM_WINDOW_TYPE_UTILITY$' <<<"$props" &&
        grep -q '_NET_WM_STATE_SKIP_TASKBAR' <<<"$props" &&
        grep -q '_NET_WM_STATE_SKIP_PAGER' <<<"$props" || fail "$1 shows in a taskbar: $props"
    [[ $# -lt 2 ]] || grep -q "$2" <<<"$props" || fail "$1 lacks $2: $props"
}

start() {
    env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_SESSION_TYPE=x11 XDG_RUNTIME_DIR="$work/runtime" \
        HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" "$binary" >"$work/tempivo.log" 2>&1 &
    tempivo=$!
    pids+=($tempivo)
    expect_geometry Tempivo "468 0 88 18"
    # Without a sound card the start-up ends with a modal mixer message.
    local box
    for _ in $(seq 10); do
        box=$(window "Volume Control")
        if [[ -n $box ]]; then
            xdotool windowactivate --sync "$box" key Return
            expect_gone "Volume Control"
            break
        fi
        sleep 0.1
    done
}
# Two clicks on one spot within the double-click time make a double-click: keep them apart.
last_click=""
click() {
    [[ $last_click != "$1 $2" ]] || sleep 0.5
    last_click="$1 $2"
    xdotool mousemove "$1" "$2" click 1
}
double_click() {
    [[ $last_click != "$1 $2" ]] || sleep 0.5
    last_click="$1 $2"
    xdotool mousemove "$1" "$2" click --repeat 2 --delay 60 1
}
grab() { # X Y WIDTH HEIGHT FILE
    import -window root -crop "$3x$4+$1+$2" +repage "$work/$5.png"
}
# Lowest row holding ink (anything but the panel's green) within columns FROM..TO of a grab.
lowest_ink() {
    convert "$work/$1.png" txt:- |
        awk -F'[,: ]+' -v from="$2" -v to="$3" \
            '$1 >= from && $1 <= to && !/#008000/ && $2 > low { low = $2 } END { print low + 0 }'
}

# --- The window manager's view; double-clicks; closing from outside ---
start
expect_off_taskbar Tempivo _NET_WM_STATE_ABOVE
ok "clock window: utility type, skips taskbar and pager, stays above"
double_click 548 9
sleep 0.6
expect_geometry Tempivo "468 0 88 194"
ok "a double-click on the strip unfolds it once"
click 548 9
expect_geometry Tempivo "468 0 88 18"
click 548 9
expect_geometry Tempivo "468 0 88 194"
expect_off_taskbar Tempivo _NET_WM_STATE_ABOVE
ok "fold and unfold keep the clock at 468,0 and above"

double_click 490 92
sleep 0.2
grab 484 96 56 17 readout1
sleep 1.3
grab 484 96 56 17 readout2
[[ $(compare -metric AE "$work/readout1.png" "$work/readout2.png" null: 2>&1) != 0 ]] ||
    fail "a double-click on Start left the stopwatch stopped"
ok "a double-click on Start leaves the stopwatch running"
# The minutes' digits read as the hours' do: no bar crosses them.
grab 484 99 13 14 hours
grab 504 99 13 14 minutes
[[ $(compare -metric AE "$work/hours.png" "$work/minutes.png" null: 2>&1) == 0 ]] ||
    fail "the readout's minutes differ from its hours"
grab 484 88 25 9 stop
[[ $(lowest_ink stop 16 24) -gt $(lowest_ink stop 0 3) ]] || fail "the p of Stop is cut"
ok "the readout is clear of the bar and Stop shows its descender"

click 490 128
expect_geometry "Tempivo Links" "557 120 220 204"
expect_off_taskbar "Tempivo Links"
ok "links window: utility type, skips taskbar and pager"
xmessage -geometry +40+400 "a normal window" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 30); do
    other=$(xdotool search --onlyvisible --class '^Xmessage$' 2>/dev/null | head -n1 || true)
    [[ -n $other ]] && break
    sleep 0.1
done
[[ -n $other ]] || fail "xmessage did not start"
xdotool windowactivate --sync "$other"
ours=" $(xdotool search --all --pid "$tempivo" --name '' | tr '\n' ' ') "
for _ in 1 2 3; do
    xdotool key alt+Tab
    sleep 0.3
    active=$(xdotool getactivewindow 2>/dev/null || true)
    [[ $ours != *" $active "* ]] || fail "Alt+Tab offered $(xdotool getwindowname "$active")"
done
ok "Alt+Tab offers none of the windows"

double_click 610 152
sleep 1
[[ $(wc -l <"$work/launches" 2>/dev/null || echo 0) -eq 1 ]] ||
    fail "a double-click on a link started it $(cat "$work/launches" | wc -l) times"
ok "a double-click on a link starts it once"

wmctrl -i -c "$(window "Tempivo Links")"
expect_gone "Tempivo Links"
alive
click 490 128
expect_geometry "Tempivo Links" "557 120 220 204"
ok "a close request closes the links window; Links opens it again"

for key in Return Escape close; do
    click 490 152
    expect_gone "Tempivo Links"
    expect_geometry About "557 144 227 122"
    [[ $key != Return ]] || expect_off_taskbar About
    if [[ $key == close ]]; then
        wmctrl -i -c "$(window About)"
    else
        xdotool windowactivate --sync "$(window About)" key "$key"
    fi
    expect_gone About
    alive
done
ok "About box: utility type; Enter, Escape and a close request answer it as OK does"

wmctrl -i -c "$(window Tempivo)"
expect_exit "a close request on the clock"
ok "a close request on the clock ends the program"

# --- Moving with the right and the middle button ---
start
unfold
click 490 30 # Move on
sleep 0.2
drag() { # BUTTON FROM_X FROM_Y TO_X TO_Y
    xdotool mousemove "$2" "$3" mousedown "$1"
    sleep 0.2
    xdotool mousemove "$(($2 + 5))" "$(($3 + 5))"
    sleep 0.2
    xdotool mousemove "$4" "$5"
    sleep 0.2
    xdotool mouseup "$1"
    sleep 0.2
    xdotool mousemove 900 700
    sleep 0.4
}
drag 3 540 150 440 250
expect_geometry Tempivo "368 100 88 194"
drag 2 440 250 540 300
expect_geometry Tempivo "468 150 88 194"
ok "a move with the right or middle button ends at its release"
# One drag at a time: a left press during a right-button drag takes it over, and the first
# release ends it; the strip stays where it was dropped while the pointer moves on.
step() { # XDOTOOL-COMMAND...: then a moment for the strip to follow
    xdotool "$@"
    sleep 0.25
}
step mousemove 540 300 mousedown 3
step mousemove 545 305
step mousemove 440 400
step mousedown 1
step mousemove 450 410
step mouseup 3
step mousemove 460 420
step mouseup 1
step mousemove 900 700
expect_geometry Tempivo "378 260 88 194"
ok "right, then left, both released: the strip stays where it was dropped"

kill -TERM "$tempivo"
expect_exit SIGTERM
ok "SIGTERM ends the program cleanly"

for signal in HUP INT; do
    start
    click 548 9
    click 490 128
    expect_geometry "Tempivo Links" "557 120 220 204"
    kill -"$signal" "$tempivo"
    expect_exit "SIG$signal"
done
ok "SIGHUP and SIGINT end the program cleanly, the links window open"

echo "$passed passed, 0 failed"
