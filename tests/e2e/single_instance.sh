#!/usr/bin/env bash
# Two starts of tempivo on one X display: the second ends at once with status 0 and raises the
# running strip above a window kept on top over it. After kill -9 of the first, a start runs.
#   single_instance.sh PATH_TO_TEMPIVO
set -euo pipefail
binary=$1

. "$(dirname "$0")/x_session.sh"
start_x_session

mkdir -p "$work/runtime" && chmod 700 "$work/runtime"
tempivo=(env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_SESSION_TYPE=x11
    XDG_RUNTIME_DIR="$work/runtime" HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" "$binary")
"${tempivo[@]}" >"$work/tempivo1.log" 2>&1 &
first=$!
pids+=($first)
strip=$(window_of --pid "$first" --name '^Tempivo$') || fail "no strip from the first start"

xmessage -geometry 300x60+362+0 cover >/dev/null 2>&1 &
pids+=($!)
cover=$(window_of --class Xmessage) || fail "no covering window"
wmctrl -i -r "$cover" -b add,above
stacked_above "$cover" "$strip" || fail "the cover is not above the strip"

start=$(date +%s%N)
status=0
timeout 10 "${tempivo[@]}" >"$work/tempivo2.log" 2>&1 || status=$?
elapsed_ms=$((($(date +%s%N) - start) / 1000000))
echo "second start: status $status after $elapsed_ms ms"
((status == 0)) || fail "the second start ended with status $status"
((elapsed_ms < 3000)) || fail "the second start took $elapsed_ms ms"
kill -0 "$first" 2>/dev/null || fail "the first clock ended"
[[ $(xdotool search --onlyvisible --name '^Tempivo$' | wc -l) == 1 ]] || fail "more than one strip"
stacked_above "$strip" "$cover" || fail "the strip was not raised"

kill -9 "$first"
wait "$first" 2>/dev/null || true
"${tempivo[@]}" >"$work/tempivo3.log" 2>&1 &
third=$!
pids+=($third)
window_of --pid "$third" --name '^Tempivo$' >/dev/null || fail "no strip from the start after kill -9"
kill -0 "$third" 2>/dev/null || fail "the start after kill -9 ended"
echo "PASS"
