#!/usr/bin/env bash
# Starts the real tempivo on a private X server with openbox, then checks that the
# strip is 88 x 18 at the top centre of a 1024 px screen and unfolds to 88 x 194 on a click.
# Usage: strip_under_xvfb.sh PATH_TO_TEMPIVO
set -euo pipefail
binary=$1
work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

display=""
for n in $(seq 90 140); do
    if [[ ! -e /tmp/.X11-unix/X$n && ! -e /tmp/.X$n-lock ]]; then
        display=":$n"
        break
    fi
done
[[ -n $display ]] || { echo "no free X display"; exit 1; }

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
sleep 0.5

export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
"$binary" >"$work/tempivo.log" 2>&1 &
pids+=($!)

strip=""
for _ in $(seq 100); do
    # A machine without a sound card greets us with the mixer message first.
    for box in $(xdotool search --onlyvisible --name '^Volume Control$' 2>/dev/null); do
        xdotool key --window "$box" Return 2>/dev/null || true
    done
    strip=$(xdotool search --onlyvisible --name '^Tempivo$' 2>/dev/null | head -1) || true
    [[ -n $strip ]] && break
    sleep 0.1
done
[[ -n $strip ]] || { echo "FAIL: no Tempivo window"; cat "$work/tempivo.log"; exit 1; }

geometry() {
    xwininfo -id "$strip" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
        /Width:/{w=$NF} /Height:/{h=$NF} END{print x, y, w, h}'
}
expect() {
    local want=$1 got
    for _ in $(seq 30); do
        got=$(geometry)
        [[ $got == "$want" ]] && { echo "ok: $want"; return 0; }
        sleep 0.1
    done
    echo "FAIL: window at '$got', expected '$want'"
    exit 1
}

expect "468 0 88 18"
sleep 0.5
xdotool mousemove 548 9 click 1
expect "468 0 88 194"
xdotool mousemove 548 9 click 3
expect "468 0 88 18"
echo "1 passed, 0 failed"
