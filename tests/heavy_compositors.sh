#!/usr/bin/env bash
# Tempivo under the desktops too heavy for every test run, each one that is installed:
# kwin_x11 and GNOME's mutter as X window managers on Xvfb, with every check of
# e2e/window_managers.sh; weston, sway, KWin Wayland and GNOME (mutter, headless) as Wayland
# compositors with XWayland,
# with the checks that need no placement: where the strip shows, the mixer box (and the
# compositor still running after it), clicks that unfold and fold the strip, and a second
# start. weston runs nested in an Xvfb of its own and takes its clicks there (under its
# headless backend a click sent through XTEST ends XWayland), with a maximised xterm open, and
# also opens the links editor's file dialog. Prints a table at the end. Run it as root: sway,
# which refuses root, then runs as the user "nobody" (XWayland admits only users with a passwd
# entry).
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
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/outer.txt" 2>/dev/null &
    outer_server=$!
    for _ in $(seq 50); do
        [[ -s $work/outer.txt ]] && break
        sleep 0.1
    done
    outer=:$(head -n1 "$work/outer.txt")
    XDG_RUNTIME_DIR=$work/weston DISPLAY=$outer weston --backend=x11-backend.so --use-pixman \
        --xwayland --socket=tempivo-weston --width=1024 --height=768 >"$work/weston.log" 2>&1 &
    compositor=$!
    # weston starts XWayland for the first X client.
    for _ in $(seq 50); do
        grep -o "xserver listening on display :[0-9]*" "$work/weston.log" 2>/dev/null |
            sed 's/.*:/display=:/' >"$work/display.txt"
        [[ -s $work/display.txt ]] && break
        sleep 0.1
    done
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
start_gnome() { # GNOME's compositor, headless, on a session bus of its own
    runtime "$work/gnome"
    XDG_RUNTIME_DIR=$work/gnome dbus-run-session -- mutter --headless --wayland \
        --virtual-monitor 1024x768 --wayland-display=tempivo-gnome >"$work/gnome.log" 2>&1 &
    compositor=$!
    for _ in $(seq 100); do
        sed -n 's/.*Using public X11 display \(:[0-9]*\).*/display=\1/p' "$work/gnome.log" \
            >"$work/display.txt"
        [[ -s $work/display.txt ]] && break
        sleep 0.1
    done
    await_display "$work/display.txt"
    export XDG_RUNTIME_DIR=$work/gnome
    for _ in $(seq 100); do
        XAUTHORITY=$(ls "$work"/gnome/.mutter-Xwaylandauth.* 2>/dev/null | head -n1)
        [[ -n $XAUTHORITY ]] && xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' &&
            break
        sleep 0.1
    done
    export XAUTHORITY
}
start_kwin_wayland() {
    runtime "$work/kwin"
    cp "$(command -v kwin_wayland)" "$work/kwin_wayland" # without its file capability
    # kwin splits its session command itself, without a shell's quotes: give it one word.
    printf '#!/bin/sh\necho "display=$DISPLAY" >%q\nexec sleep 600\n' "$work/display.txt" \
        >"$work/session.sh"
    chmod +x "$work/session.sh"
    XDG_RUNTIME_DIR=$work/kwin dbus-run-session -- "$work/kwin_wayland" --virtual --xwayland \
        --width 1024 --height 768 --exit-with-session "$work/session.sh" >"$work/kwin.log" 2>&1 &
    compositor=$!
    await_display "$work/display.txt"
    export XDG_RUNTIME_DIR=$work/kwin
}

# Links, Edit of the first link and Browse, clicked through weston's window; weston places the
# links window where it likes, so it is found as what changed on the screen.
weston_file_dialog() {
    local left top dialog
    DISPLAY=$outer xdotool mousemove $((468 + 32 + 32)) $((32 + 128))
    sleep 0.5
    DISPLAY=$outer import -window root "$work/before.png"
    DISPLAY=$outer xdotool click 1
    sleep 1.5
    DISPLAY=$outer import -window root "$work/after.png"
    # The top left of the green that is new on the screen, away from the strip (whose digits
    # change): the window without its shadow.
    read -r left top < <(convert "$work/after.png" \
        \( +clone -fill black +opaque 'srgb(0,128,0)' -fill white -opaque 'srgb(0,128,0)' \) \
        \( "$work/before.png" "$work/after.png" -compose difference -composite \
        -colorspace gray -threshold 0 \) -delete 0 -compose multiply -composite \
        -fill black -draw 'rectangle 500,32 588,226' -trim -format '%X %Y' info: | tr -d '+')
    DISPLAY=$outer xdotool mousemove $((left + 191)) $((top + 28)) click 1 # Edit
    sleep 1
    DISPLAY=$outer xdotool mousemove $((left + 119)) $((top + 318)) click 1 # Browse
    for _ in $(seq 50); do
        dialog=$(window Open)
        [[ -n $dialog ]] && break
        sleep 0.1
    done
    sleep 2
    if [[ -n $dialog ]] && kill -0 "$compositor" 2>/dev/null; then
        row weston "the links editor's file dialog shows and weston runs on" pass
        xdo key --window "$dialog" Escape
        sleep 0.5
    else
        row weston "the links editor's file dialog shows and weston runs on" \
            "FAIL (dialog ${dialog:-not seen}, weston $(kill -0 "$compositor" 2>/dev/null && echo runs || echo ended))"
    fi
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
        tail -n 5 "$work/tempivo-$name.log" >&2
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
    height() { xdo getwindowgeometry "$strip" | sed -n 's/.*Geometry: [0-9]*x//p' | grep . || echo 0; }
    click_strip() { # on the strip's top row, wherever the compositor has put it now
        if [[ $name == weston ]]; then
            # Through weston's own window: X positions there mean nothing on the screen.
            # weston shows a window that asks for a place 32 px right of and below it.
            DISPLAY=$outer xdotool mousemove $((468 + 32 + 80)) $((32 + 9)) click 1
        else
            read -r x y < <(xdo getwindowgeometry --shell "$strip" | sed -n 's/^[XY]=//p' | tr '\n' ' ')
            xdo mousemove $((x + 80)) $((y + 9)) click 1
        fi
        sleep 0.8
    }
    local folded unfolded with=""
    folded=$(height)
    for round in 1 2; do
        click_strip
        unfolded=$(height)
        [[ $name != weston || $round == 2 ]] || weston_file_dialog
        click_strip
        if ((unfolded >= 194 && $(height) == folded)); then
            row "$name" "${with}a click unfolds ($folded -> $unfolded px), another folds" pass
        else
            row "$name" "${with}a click unfolds ($folded -> $unfolded px), another folds ($(height))" FAIL
        fi
        [[ $name == weston ]] || break
        # Again with a maximised X window, which weston stacks above the strip in X once it
        # is active: XWayland sends a click to the topmost X window at the X position.
        xterm -maximized >/dev/null 2>&1 &
        sleep 2
        with="with a maximised xterm open, "
    done
    status=0
    timeout 10 "${start_tempivo[@]}" >/dev/null 2>&1 || status=$?
    if ((status == 0)) && kill -0 "$tempivo" 2>/dev/null; then
        row "$name" "a second start ends with 0, the first runs on" pass
    else
        row "$name" "a second start ends with 0 ($status), the first runs on" FAIL
    fi
    kill "$tempivo" 2>/dev/null
}

for name in weston sway kwin_wayland gnome; do
    wanted "$name" || continue
    if ! command -v "${name/gnome/mutter}" >/dev/null; then
        row "$name" "(all checks)" "not installed"
        continue
    fi
    as=()
    compositor=""
    rm -f "$work/display.txt" # the last compositor's
    if "start_${name}" 2>/dev/null; then
        wayland_checks "$name"
    else
        row "$name" "starts with XWayland" "FAIL (see its log)"
        tail -n 5 "$work/$name.log" "$work/${name%_wayland}.log" 2>/dev/null >&2
    fi
    pkill -P "$compositor" 2>/dev/null # what a session bus runs
    kill "$compositor" 2>/dev/null
    wait "$compositor" 2>/dev/null
    [[ -z ${outer_server:-} ]] || kill "$outer_server" 2>/dev/null
    outer_server=""
    unset DISPLAY XDG_RUNTIME_DIR XAUTHORITY
done

printf '| %-13s | %-52s | %s |\n|---|---|---|\n' compositor check result
printf '%s\n' "${table[@]}"
