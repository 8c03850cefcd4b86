#!/usr/bin/env bash
# What a screen reader finds in the real program over AT-SPI: the time as a person reads it on
# the strip, following the clock across a minute, and a name on every command of the panel, the
# running stopwatch, the links window and its editor. Prints the trees it read.
#   accessibility.sh PATH_TO_TEMPIVO
set -euo pipefail
binary=$1
tree=$(dirname "$0")/accessible_tree.py

. "$(dirname "$0")/x_session.sh"
# The accessibility bus and its reader run in the user's own home, as in a desktop session: in a
# fresh scratch home the program did not show up on the bus.
HOME_FOR_WM=${HOME:-} start_x_session

# A session bus with the accessibility bus on it, switched on as a screen reader does.
dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$work/bus" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [[ -s "$work/bus" ]] && break; sleep 0.1; done
DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$work/bus")
export DBUS_SESSION_BUS_ADDRESS
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/atspi.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
        >/dev/null 2>&1 && break
    sleep 0.1
done
dbus-send --session --dest=org.a11y.Bus /org/a11y/bus org.freedesktop.DBus.Properties.Set \
    string:org.a11y.Status string:IsEnabled variant:boolean:true

# Some seconds before a minute turns, so that the name is seen to follow the clock.
mkdir -p "$work/runtime" && chmod 700 "$work/runtime"
env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_SESSION_TYPE=x11 XDG_RUNTIME_DIR="$work/runtime" \
    HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
    FAKETIME_DONT_FAKE_MONOTONIC=1 faketime -f '@2026-12-07 10:41:45' "$binary" \
    >"$work/tempivo.log" 2>&1 &
tempivo=$!
pids+=($!)

# read_tree PATTERN [SECONDS]: the tree once it holds a line matching PATTERN, within about
# SECONDS (15 unless given).
read_tree() {
    local until=$((SECONDS + ${2:-15}))
    while ((SECONDS <= until)); do
        kill -0 "$tempivo" 2>/dev/null || fail "tempivo exited"
        "$tree" Tempivo >"$work/tree" 2>/dev/null || true
        grep -Eq "$1" "$work/tree" && return 0
        sleep 0.1
    done
    cat "$work/tree" >&2
    fail "no line matching '$1' in the accessibility tree"
}
strip() { sed -n "2s/^  [a-z ]* \('.*\)/\1/p" "$work/tree"; }

read_tree "^  [a-z ]+ '10:41' \(Tempivo clock, 10:41 AM\)"
ok "the strip reads $(strip)"
# A machine without a sound card greets the user with a modal mixer message: answer it.
for box in $(xdotool search --all --onlyvisible --name '^Volume Control$' 2>/dev/null); do
    xdotool windowactivate --sync "$box" key --clearmodifiers Return 2>/dev/null || true
done
# The clock started at 10:41:45: the minute turns within 15 s of its start.
read_tree "^  [a-z ]+ '10:42' \(Tempivo clock, 10:42 AM\)" 20
ok "a minute on, the strip reads $(strip)"

xdotool mousemove 512 9 click 1
read_tree "label 'Exit'$"
cat "$work/tree"
for name in Move 'Sound On' 'Timer 0:00:00' Start Pause Links About Exit; do
    grep -q "^    label '$name'" "$work/tree" || fail "no command named '$name' in the panel"
done
ok "the panel's commands are named"

# Start at (16, 88) and Links at (16, 120) in the panel, which is 88 px wide at x 468.
xdotool mousemove 490 93 click 1
read_tree "label 'Timer 0:00:0[2-9]' \(Stopwatch, 0:00:0[2-9] elapsed\)"
ok "the running stopwatch reads '$(grep -o "Timer 0:00:0[0-9]" "$work/tree")'"

xdotool mousemove 490 125 click 1
read_tree "Edit link 10"
cat "$work/tree"
for n in $(seq 10); do
    grep -q "label 'Edit link $n'" "$work/tree" || fail "no Edit command for link $n"
done
[[ $(grep -c "label '\[none\]'" "$work/tree") == 10 ]] || fail "not ten titled slots"
for name in "text 'Title'" "text 'Address'" "radio button 'URL'" \
    "radio button 'Computer program'" "label 'Browse'" "label 'Save'" "label 'Cancel'" \
    "label 'Erase'" "label 'Close'"; do
    grep -q "$name" "$work/tree" || fail "the editor has no $name"
done
ok "the links window, its ten slots and the editor's boxes and commands are named"
echo "PASS ($passed checks)"
