# Sourced by the end-to-end checks: a scratch folder, a private X server with openbox, and on
# exit the end of everything started, newest first, and of the scratch folder.
work=$(mktemp -d)
pids=()
cleanup() {
    local i
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null && wait "${pids[i]}" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    cat "$work"/tempivo*.log >&2 2>/dev/null || true
    exit 1
}
passed=0
ok() {
    echo "ok: $*"
    passed=$((passed + 1))
}

# A 1024 x 768 screen on a display Xvfb picks itself (checks may run side by side), with openbox
# managing it.
start_x_session() {
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    pids+=($!)
    for _ in $(seq 100); do
        [[ -s "$work/display" ]] && break
        sleep 0.1
    done
    [[ -s "$work/display" ]] || fail "Xvfb did not start"
    export DISPLAY=:$(head -n1 "$work/display")
    openbox >"$work/openbox.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.1
    done
}
