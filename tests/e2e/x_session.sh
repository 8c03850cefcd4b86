# Sourced by the end-to-end checks: a scratch folder, a private X server with openbox, and on
# exit the end of everything started, newest first, and of the scratch folder.
work=$(mktemp -d)
pids=()
cleanup() {
    local i
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || continue
        # fluxbox blocks SIGTERM.
        for _ in $(seq 20); do
            kill -0 "${pids[i]}" 2>/dev/null || break
            sleep 0.05
        done
        kill -9 "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
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

# A screen (1024 x 768 unless a size is given) on a display Xvfb picks itself (checks may run
# side by side), managed by openbox or the window manager named: icewm, fluxbox, metacity,
# xfwm4 with xfce4-panel at the top, kwin_x11, or mutter (the last four on a session bus of
# their own).
start_x_session() {
    local wm=${1:-openbox} size=${2:-1024x768}
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    pids+=($!)
    for _ in $(seq 100); do
        [[ -s "$work/display" ]] && break
        sleep 0.1
    done
    [[ -s "$work/display" ]] || fail "Xvfb did not start"
    export DISPLAY=:$(head -n1 "$work/display")
    export HOME=${HOME_FOR_WM:-$work/wm-home}
    mkdir -p "$HOME"
    if [[ $wm == metacity || $wm == xfwm4 || $wm == kwin_x11 || $wm == mutter ]]; then
        local bus
        bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1 2>/dev/null)
        export DBUS_SESSION_BUS_ADDRESS=$(head -n1 <<<"$bus")
        pids+=($(tail -n1 <<<"$bus"))
    fi
    case $wm in
    kwin_x11) KWIN_COMPOSE=N QT_QPA_PLATFORM=xcb kwin_x11 >"$work/$wm.log" 2>&1 & ;;
    mutter) mutter --x11 --sm-disable >"$work/$wm.log" 2>&1 & ;;
    *) "$wm" >"$work/$wm.log" 2>&1 & ;;
    esac
    pids+=($!)
    if [[ $wm == xfwm4 ]]; then
        xfce4-panel >"$work/panel.log" 2>&1 &
        pids+=($!)
    fi
    # The check window comes before the list of what the window manager supports, which
    # xdotool reads before it activates a window.
    for _ in $(seq 300); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' &&
            xprop -root _NET_SUPPORTED 2>/dev/null | grep -q '_NET_ACTIVE_WINDOW' &&
            { [[ $wm != xfwm4 ]] || xprop -root _NET_WORKAREA | grep -q '= 0, [1-9]'; } && break
        sleep 0.1
    done
}

# window_of XDOTOOL_SEARCH_ARGS...: prints the first visible window that matches, waiting up to
# ten seconds for it.
window_of() {
    local id
    for _ in $(seq 100); do
        id=$(xdotool search --all --onlyvisible "$@" 2>/dev/null | head -n1 || true)
        [[ -n $id ]] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

# dock_panel GEOMETRY STRUT_PARTIAL WORKAREA: a panel (an xmessage mapped again as a dock, which
# loses its decorations and keeps to its place) reserving STRUT_PARTIAL's 12 values; waits until
# _NET_WORKAREA reads WORKAREA. Its window in $panel.
dock_panel() {
    # The panel is scaffolding, not what is checked: an xmessage that never shows (it happens
    # now and then, with nothing on its error output) gets a second try.
    local attempt shown=""
    for attempt in 1 2; do
        xmessage -geometry "$1" -buttons "" panel >/dev/null 2>"$work/panel.log" &
        pids+=($!)
        panel=$(window_of --classname xmessage) && { shown=1; break; }
        echo "no panel window on try $attempt: xmessage $(kill -0 $! 2>/dev/null && echo running ||
            echo gone), windows: $(xdotool search --classname xmessage 2>/dev/null | xargs),"\
            "$(cat "$work/panel.log")" >&2
        kill $! 2>/dev/null || true
    done
    [[ -n $shown ]] || fail "no panel window"
    xdotool windowunmap --sync "$panel"
    xprop -id "$panel" -f _NET_WM_WINDOW_TYPE 32a -set _NET_WM_WINDOW_TYPE _NET_WM_WINDOW_TYPE_DOCK
    xprop -id "$panel" -f _NET_WM_STRUT_PARTIAL 32c -set _NET_WM_STRUT_PARTIAL "$2"
    xdotool windowmap --sync "$panel"
    for _ in $(seq 50); do
        xprop -root _NET_WORKAREA | grep -q "= $3" && return 0
        sleep 0.1
    done
    fail "the panel reserves nothing"
}

# stacked_above WINDOW WINDOW: waits up to three seconds for the first to stack above the second.
stacked_above() {
    local ids
    for _ in $(seq 30); do
        ids=$(xprop -root _NET_CLIENT_LIST_STACKING | grep -oE '0x[0-9a-f]+' |
            while read -r id; do printf '%d\n' "$id"; done)
        (($(grep -nx "$1" <<<"$ids" | cut -d: -f1) > $(grep -nx "$2" <<<"$ids" | cut -d: -f1))) &&
            return 0
        sleep 0.1
    done
    return 1
}
