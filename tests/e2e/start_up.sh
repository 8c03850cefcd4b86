#!/usr/bin/env bash
# Starts of tempivo that once ended in a signal, no clock or two: every platform value ends in
# a running clock, one line with status 1, or status 2; no lock file keeps a clock from
# starting; a relative XDG_RUNTIME_DIR makes no second clock.
#   start_up.sh PATH_TO_TEMPIVO
set -euo pipefail
binary=$(realpath "$1")

. "$(dirname "$0")/x_session.sh"
start_x_session

mkdir -p "$work/runtime" && chmod 700 "$work/runtime"
tempivo=(env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_SESSION_TYPE=x11
    XDG_RUNTIME_DIR="$work/runtime" HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" "$binary")
# start_case LABEL STATUS [VAR=VALUE...] -- [ARGUMENTS...]: starts tempivo and ends it with
# SIGTERM once its strip shows (off X11, after two seconds); its status must be STATUS, and a
# status of 1 comes with one line on stderr.
start_case() {
    local label=$1 expected=$2 changes=() status=0 pid
    shift 2
    while [[ $1 != -- ]]; do changes+=("$1"); shift; done
    shift
    "${tempivo[@]:0:${#tempivo[@]}-1}" "${changes[@]}" "$binary" "$@" \
        >"$work/tempivo-case.log" 2>&1 &
    pid=$!
    for _ in $(seq 20); do
        kill -0 "$pid" 2>/dev/null || break
        xdotool search --all --onlyvisible --pid "$pid" --name '^Tempivo$' >/dev/null 2>&1 && break
        sleep 0.1
    done
    kill -TERM "$pid" 2>/dev/null || true
    wait "$pid" || status=$?
    printf '%-34s -> %s  %s\n' "$label" "$status" "$(head -n1 "$work/tempivo-case.log")"
    ((status == expected)) || fail "$label: status $status, expected $expected"
    if ((status == 1)); then
        [[ $(wc -l <"$work/tempivo-case.log") == 1 && $(<"$work/tempivo-case.log") == tempivo:* ]] ||
            fail "$label: not one line"
    fi
}

# --- Platform values ---
start_case "--platform offscreen" 0 -- --platform offscreen
start_case "QT_QPA_PLATFORM=offscreen" 0 QT_QPA_PLATFORM=offscreen --
start_case "QT_QPA_PLATFORM=linuxfb, no fb" 1 QT_QPA_PLATFORM=linuxfb:fb=/nonexistent/fb0 --
start_case "--platform=" 0 -- --platform=
start_case "--platform ' xcb'" 0 -- --platform " xcb"
start_case "--display ' $DISPLAY'" 0 -- --display " $DISPLAY"
start_case "QT_QPA_PLATFORM=wayland" 1 QT_QPA_PLATFORM=wayland --
start_case "--platform (no value)" 2 -- --platform
ok "every platform value runs, says what is missing, or is a bad option"

# --- Lock files no clock holds ---
lock=$work/runtime/tempivo-xcb-${DISPLAY#:}.lock
for kind in garbage unreadable folder fifo; do
    rm -rf "$lock"
    case $kind in
    garbage) head -c 300 /dev/urandom >"$lock" ;;
    unreadable) echo 123 >"$lock" && chmod 000 "$lock" ;;
    folder) mkdir "$lock" ;;
    fifo) mkfifo "$lock" ;;
    esac
    "${tempivo[@]}" >"$work/tempivo-lock.log" 2>&1 &
    pid=$!
    window_of --pid "$pid" --name '^Tempivo$' >/dev/null || fail "no strip with a $kind lock file"
    if [[ $kind == folder || $kind == fifo ]]; then
        grep -q "cannot use the lock file" "$work/tempivo-lock.log" || fail "$kind: no reason given"
    fi
    kill "$pid"
    wait "$pid" || fail "$kind: the clock did not end cleanly"
done
rm -rf "$lock"
ok "garbage, unreadable, folder and FIFO lock files: the clock starts"

# --- A relative XDG_RUNTIME_DIR: one clock from two working folders ---
relative=("${tempivo[@]:0:${#tempivo[@]}-1}" XDG_RUNTIME_DIR=run "$binary")
mkdir -p "$work/a/run" "$work/b/run"
(cd "$work/a" && exec "${relative[@]}") >"$work/tempivo1.log" 2>&1 &
first=$!
pids+=($first)
window_of --pid "$first" --name '^Tempivo$' >/dev/null || fail "no strip with a relative runtime folder"
status=0
(cd "$work/b" && timeout 10 "${relative[@]}") >"$work/tempivo2.log" 2>&1 || status=$?
((status == 0)) || fail "the second start from another folder ended with status $status"
[[ $(xdotool search --onlyvisible --name '^Tempivo$' | wc -l) == 1 ]] ||
    fail "a relative XDG_RUNTIME_DIR made a second clock"
ok "a relative XDG_RUNTIME_DIR is ignored: one clock"
echo "PASS"
