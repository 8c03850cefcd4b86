#!/usr/bin/env bash
# Tempivo under the desktops too heavy for every test run, each one that is installed:
# kwin_x11 and GNOME's mutter as X window managers on Xvfb, with every check of
# e2e/window_managers.sh; weston, sway and KWin Wayland as Wayland compositors with XWayland,
# with the checks that need no pointer through the compositor: where the strip shows, the
# mixer box (and the compositor still running after it), clicks that unfold and fold the
# strip, and a second start. Prints a table at the end. Run it as root: sway, which refuses
# root, then runs as the user "nobody" (XWayland admits only users with a passwd entry).
# Under weston's headless backend a click sent through XTEST ends XWayland (it has no seat),
# so the clicks are left out there.
#   heavy_compositors.sh PATH_TO_TEMPIVO [COMPOSITOR...]
set -uo pipefail
binary=$(realpath "$1")
shift
only=" $* "
wanted() { [[ $only == "  " || $only == *" $1 "* ]]; }
here=$(cd "$(dirname "$0")" && pwd)
table=()
row() { table+=("$(printf '| %-13s | %-52s | %s |' "$1" "$2" "$3")"); }

for wm in kwin_x11 mutter; do
    wanted "$wm" || continue
    if ! command -v "$wm" >/dev/null; then
        row "$wm" "(all checks)" "not installed"
        continue
    fi
    while read -r line; do
        case $line in
        "ok: $wm: "*) row "$wm" "${line#ok: $wm: }" pass ;;
        "FAIL: $wm: "*) row "$wm" "${line#FAIL: $wm: }" FAIL ;;
        esac
    done < <(TEMPIVO_E2E_KEEP_GOING=1 timeout 300 "$here/e2e/window_managers.sh" "$wm" "$binary" 2>&1)
done

# --- Wayland compositors: XWayland's display in $DISPLAY, the compositor's pid in $compositor ---
work=$(mktemp -d)
chmod 777 "$work"
cleanup() {
    [[ -z ${compositor:-} ]] || kill "$compositor" 2>/dev/null
    pkill -P $$ 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
as=() # the user the compositor and tempivo run as
runtime() { # DIR: a private runtime folder for the user in $as
    mkdir -p "$1" && chmod 700 "$1"
    [[ ${#as[@]} -eq 0 ]] || chown nobody: "$1"
}
await_display() { # LOG_FILE: waits for the line the start command writes with $DISPLAY
    for _ in $(seq 300); do
        DISPLAY=$(sed -n 's/^display=//p' "$1" 2>/dev/null | head -n1)
        [[ -n $DISPLAY ]] && export DISPLAY && return 0
        sleep 0.1
    done
    return 1
}
report_display=(sh -c 'echo "display=$DISPLAY" >"$0"; exec sleep 600')

start_weston() {
    runtime "$work/weston"
    XDG_RUNTIME_DIR=$work/weston weston --backend=headless-backend.so --use-pixman --xwayland \
        --socket=tempivo-weston --width=1024 --height=768 >"$work/weston.log" 2>&1 &
    compositor=$!
    sleep 2
    # weston starts XWayland for the first X client.
    XDG_RUNTIME_DIR=$work/weston WAYLAND_DISPLAY=tempivo-weston DISPLAY= \
        sh -c 'for n in $(seq 50); do grep -o "xserver listening on display :[0-9]*" "$0" && exit; sleep 0.1; done' \
        "$work/weston.log" | sed 's/.*:/display=:/' >"$work/display.txt"
    await_display "$work/display.txt"
    export XDG_RUNTIME_DIR=$work/weston
}
start_sway() {
    as=(runuser -u nobody --)
    runtime "$work/sway"
    printf 'xwayland enable\nexec %s %s\n' "${report_display[*]@Q}" "$work/display.txt" >"$work/sway.conf"
    chmod 644 "$work/sway.conf"
    XDG_RUNTIME_DIR=$work/sway WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
        HOME=$work "${as[@]}" sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
    compositor=$!
    await_display "$work/display.txt"
    export XDG_RUNTIME_DIR=$work/sway
}
start_kwin_wayland() {
    runtime "$work/kwin"
    cp "$(command -v kwin_wayland)" "$work/kwin_wayland" # without its file capability
    XDG_RUNTIME_DIR=$work/kwin dbus-run-session -- "$work/kwin_wayland" --virtual --xwayland \
        --width 1024 --height 768 --exit-with-session "${report_display[*]} $work/display.txt" \
        >"$work/kwin.log" 2>&1 &
    compositor=$!
    await_display "$work/display.txt"
    export XDG_RUNTIME_DIR=$work/kwin
}

wayland_checks() { # NAME
    local name=$1 tempivo strip box geometry status x y
    # sway's XWayland admits its own user alone.
    xdo() { "${as[@]}" env DISPLAY="$DISPLAY" xdotool "$@" 2>/dev/null; }
    mkdir -p "$work/home-$name" && chmod 777 "$work/home-$name"
    : >"$work/no-devices.conf"
    chmod 644 "$work/no-devices.conf"
    local start_tempivo=("${as[@]}" env -u QT_QPA_PLATFORM XDG_SESSION_TYPE=wayland
        ALSA_CONFIG_PATH="$work/no-devices.conf" HOME="$work/home-$name"
        XDG_CONFIG_HOME="$work/home-$name" DISPLAY="$DISPLAY" XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR"
        "$binary")
    window() { xdo search --onlyvisible --name "^$1\$" | head -n1; }
    "${start_tempivo[@]}" >"$work/tempivo-$name.log" 2>&1 &
    tempivo=$!
    for _ in $(seq 100); do
        strip=$(window Tempivo)
        [[ -n $strip ]] && break
        sleep 0.1
    done
    if [[ -z $strip ]]; then
        row "$name" "the strip shows" FAIL
        return
    fi
    geometry=$(xdo getwindowgeometry "$strip" | tr -s ' \n' ' ')
    row "$name" "the strip shows: ${geometry#*Position: }" pass
    for _ in $(seq 50); do
        box=$(window "Volume Control")
        [[ -n $box ]] && break
        sleep 0.1
    done
    sleep 2
    if [[ -n $box ]] && kill -0 "$compositor" 2>/dev/null; then
        row "$name" "the mixer box shows and the compositor runs on" pass
    else
        row "$name" "the mixer box shows and the compositor runs on" \
            "FAIL (box ${box:-not seen}, compositor $(kill -0 "$compositor" 2>/dev/null && echo runs || echo ended))"
        return
    fi
    xdo key --window "$box" Return
    sleep 0.5
    height() { xdo getwindowgeometry "$strip" | sed -n 's/.*Geometry: [0-9]*x//p'; }
    click_strip() { # on the strip's top row, wherever the compositor has put it now
        read -r x y < <(xdo getwindowgeometry --shell "$strip" | sed -n 's/^[XY]=//p' | tr '\n' ' ')
        xdo mousemove $((x + 80)) $((y + 9)) click 1
        sleep 0.8
    }
    local folded unfolded
    folded=$(height)
    if [[ $name == weston ]]; then
        row "$name" "a click unfolds, another folds" "not run (XTEST ends XWayland here)"
    else
        click_strip
        unfolded=$(height)
        click_strip
    fi
    if [[ $name == weston ]]; then
        :
    elif ((unfolded >= 194 && $(height) == folded)); then
        row "$name" "a click unfolds ($folded -> $unfolded px), another folds" pass
    else
        row "$name" "a click unfolds ($folded -> $unfolded px), another folds ($(height))" FAIL
    fi
    status=0
    timeout 10 "${start_tempivo[@]}" >/dev/null 2>&1 || status=$?
    if ((status == 0)) && kill -0 "$tempivo" 2>/dev/null; then
        row "$name" "a second start ends with 0, the first runs on" pass
    else
        row "$name" "a second start ends with 0 ($status), the first runs on" FAIL
    fi
    kill "$tempivo" 2>/dev/null
}

for name in weston sway kwin_wayland; do
    wanted "$name" || continue
    if ! command -v "$name" >/dev/null; then
        row "$name" "(all checks)" "not installed"
        continue
    fi
    as=()
    compositor=""
    if "start_${name}" 2>/dev/null; then
        wayland_checks "$name"
    else
        row "$name" "starts with XWayland" "FAIL (see its log)"
        tail -n 5 "$work/$name.log" "$work/${name%_wayland}.log" 2>/dev/null >&2
    fi
    kill "$compositor" 2>/dev/null
    wait "$compositor" 2>/dev/null
    unset DISPLAY XDG_RUNTIME_DIR
done

printf '| %-13s | %-52s | %s |\n|---|---|---|\n' compositor check result
printf '%s\n' "${table[@]}"
