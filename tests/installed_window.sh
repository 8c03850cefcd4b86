#!/usr/bin/env bash
# Installs the build into a scratch prefix, starts the installed program on a private Xvfb
# display with openbox, and checks that the clock strip is an 88 x 18 window at the top centre.
#   tests/installed_window.sh BUILD_DIR
set -euo pipefail
build=$1

work=$(mktemp -d)
pids=()
cleanup() {
    local pid
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        pid=${pids[i]}
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/prefix" >"$work/install.log" ||
    { cat "$work/install.log"; fail "install"; }
binary=$work/prefix/bin/tempivo
[[ -x "$binary" ]] || fail "no installed binary"

# Let Xvfb pick a free display and tell us its number.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do
    [[ -s "$work/display" ]] && break
    sleep 0.1
done
[[ -s "$work/display" ]] || { cat "$work/xvfb.log"; fail "Xvfb did not start"; }
export DISPLAY=:$(head -n1 "$work/display")
echo "display $DISPLAY"

openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done

# An X11 session with no platform chosen, and a scratch home for the settings.
env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_SESSION_TYPE=x11 \
    HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" "$binary" >"$work/tempivo.log" 2>&1 &
tempivo=$!
pids+=($tempivo)

# Poll until the strip has settled where it belongs (the window manager may place it first).
expected="468 0 88 18"
got=""
for _ in $(seq 100); do
    kill -0 "$tempivo" 2>/dev/null || { cat "$work/tempivo.log"; fail "tempivo exited"; }
    # A start-up message (no mixer on this machine) is modal: dismiss it like a user would.
    for box in $(xdotool search --all --onlyvisible --pid "$tempivo" --name '^Volume Control$' \
        2>/dev/null); do
        xdotool windowactivate --sync "$box" key --clearmodifiers Return 2>/dev/null || true
    done
    wid=$(xdotool search --all --onlyvisible --pid "$tempivo" --name '^Tempivo$' 2>/dev/null |
        head -n1 || true)
    if [[ -n "$wid" ]]; then
        eval "$(xdotool getwindowgeometry --shell "$wid")"
        got="$X $Y $WIDTH $HEIGHT"
        [[ $got == "$expected" ]] && break
    fi
    sleep 0.1
done
[[ -n "$got" ]] || { cat "$work/tempivo.log"; fail "no Tempivo window appeared"; }
echo "window $wid at x y width height = $got"
[[ $got == "$expected" ]] || fail "expected $expected"
echo "PASS"
