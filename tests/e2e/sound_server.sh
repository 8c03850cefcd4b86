#!/usr/bin/env bash
# The real program against real sound servers: user-level PipeWire stacks (pipewire, wireplumber,
# pipewire-pulse, each on a runtime folder and session bus of its own) with a null sink as the
# default output. The master volume is read back through ALSA and PulseAudio after the start and
# after each click on Sound; the hourly chime is recorded from the sink's monitor with the
# stopwatch sped up by libfaketime, with Sound "On" and, beside it on a server of its own, "Off".
# Beside these, each on a display of its own: no server, a server killed under the program, and a
# default device without "Master": one message box where there is no mixer, nothing on stderr,
# the readout running on across the chime and a click on Sound.
#   sound_server.sh PATH_TO_TEMPIVO PATH_TO_CHIME
set -euo pipefail
binary=$1
chime=$2

missing=()
for tool in Xvfb openbox xdotool import convert dbus-daemon pipewire wireplumber pipewire-pulse \
    pactl parec amixer python3; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
libfaketime=$(compgen -G "/usr/lib/*/faketime/libfaketime.so.1" | head -n1 || true)
[[ -n $libfaketime ]] || missing+=(libfaketime)
compgen -G "/usr/lib/*/alsa-lib/libasound_module_ctl_pipewire.so" >/dev/null ||
    missing+=(pipewire-alsa)
if ((${#missing[@]})); then
    echo "SKIP: not installed: ${missing[*]} (tools/install-deps --test installs them)"
    exit 77
fi

. "$(dirname "$0")/x_session.sh"
start_x_session
main_display=$DISPLAY

# One stopwatch hour in 15 s; the sound itself is not sped up.
speed=240
hour=$((3600 / speed))

start_display() { # NAME: a further X server, without a window manager, in NAME_display
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/$1.display" >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do
        [[ -s "$work/$1.display" ]] && break
        sleep 0.1
    done
    [[ -s "$work/$1.display" ]] || fail "Xvfb did not start for $1"
    eval "${1}_display=:$(head -n1 "$work/$1.display")"
}

# NAME [ASOUNDRC]: a home and runtime folder for NAME, the array NAME_env holding its environment
# and ALSA's default device set to PipeWire (or to ASOUNDRC).
make_home() {
    local dir=$work/$1
    mkdir -p "$dir/home" "$dir/runtime"
    chmod 700 "$dir/runtime"
    printf '%s\n' "${2:-pcm.!default { type pipewire \} ctl.!default { type pipewire \}}" \
        >"$dir/home/.asoundrc"
    local -n environment=${1}_env
    environment=(env -u PULSE_SERVER -u PIPEWIRE_REMOTE -u ALSA_CONFIG_PATH -u WAYLAND_DISPLAY
        -u QT_QPA_PLATFORM XDG_SESSION_TYPE=x11 XDG_RUNTIME_DIR="$dir/runtime" HOME="$dir/home"
        XDG_CONFIG_HOME="$dir/home/.config" XDG_STATE_HOME="$dir/home/.local/state")
}

# NAME: a session bus and PipeWire with its PulseAudio server for NAME's home, and the null sink
# "tempivo_test" as the default output. The daemons' ids go to NAME_daemons.
start_sound_server() {
    local -n environment=${1}_env
    local -n daemons=${1}_daemons
    local address pid daemon
    { read -r address && read -r pid; } < <("${environment[@]}" dbus-daemon --session --fork \
        --print-address=1 --print-pid=1)
    pids+=("$pid")
    environment+=(DBUS_SESSION_BUS_ADDRESS="$address")
    for daemon in pipewire wireplumber pipewire-pulse; do
        "${environment[@]}" "$daemon" >"$work/$1-$daemon.log" 2>&1 &
        pids+=($!)
        daemons+=($!)
        # The session manager ends at once when PipeWire is not listening yet.
        for _ in $(seq 100); do
            [[ -S $work/$1/runtime/pipewire-0 ]] && break
            sleep 0.05
        done
    done
    # The server answers before it can load modules and before the session manager runs.
    for _ in $(seq 100); do
        "${environment[@]}" pactl load-module module-null-sink sink_name=tempivo_test \
            >/dev/null 2>&1 && break
        sleep 0.05
    done
    for _ in $(seq 100); do
        "${environment[@]}" pactl set-default-sink tempivo_test 2>/dev/null &&
            "${environment[@]}" amixer -D default scontents 2>/dev/null | grep -q pvolume &&
            [[ $("${environment[@]}" pactl get-default-sink) == tempivo_test ]] && return 0
        sleep 0.05
    done
    fail "the null sink of $1 is not the default output"
}

# NAME DISPLAY: under the sped-up clock, stderr in tempivo-NAME.log. The library is preloaded
# rather than started through faketime, which would stand between the program and its end.
start_tempivo() {
    local -n environment=${1}_env
    "${environment[@]}" DISPLAY="$2" LD_PRELOAD="$libfaketime" FAKETIME="+0 x$speed" \
        FAKETIME_DONT_FAKE_MONOTONIC=0 "$binary" 2>"$work/tempivo-$1.log" >/dev/null &
    pids+=($!)
    eval "${1}_pid=$!"
}

window() { # DISPLAY TITLE
    local id
    for _ in $(seq 100); do
        id=$(DISPLAY=$1 xdotool search --onlyvisible --name "^$2\$" 2>/dev/null | head -n1 || true)
        [[ -n $id ]] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}
count_windows() { # DISPLAY TITLE
    DISPLAY=$1 xdotool search --onlyvisible --name "^$2\$" 2>/dev/null | wc -l
}
click() { # DISPLAY X Y, then the pointer goes where it lights nothing
    DISPLAY=$1 xdotool mousemove "$2" "$3" click 1 mousemove 800 600
    sleep 0.15
}
# The strip is centred at the top of the 1024-pixel screen: 468..556; the panel's commands at
# 16 pixels from its left edge.
unfold_and_start() { # DISPLAY
    click "$1" 548 9
    click "$1" 490 92
}
grab() { # DISPLAY NAME WIDTHxHEIGHT+X+Y
    DISPLAY=$1 import -window root -crop "$3" +repage "$work/$2.png"
}
readout() { grab "$1" "$2" 56x17+484+96; }
# The width of the ink of the Sound switch's state: "Off" is wider than "On".
state_width() {
    grab "$main_display" state 24x16+524+48
    convert "$work/state.png" -trim -format '%w' info:
}

# --- The servers and the programs ---------------------------------------------------------------
make_home main
make_home off
make_home killed
make_home no_server
make_home no_master "$(
    cat <<'EOF'
pcm.!default { type pipewire }
ctl.!default {
    type remap
    child { type pipewire }
    remap {
        "name='Master Playback Volume'" "name='Speaker Playback Volume'"
        "name='Master Playback Switch'" "name='Speaker Playback Switch'"
    }
}
EOF
)"
start_sound_server main
start_sound_server off
start_sound_server killed
start_sound_server no_master
start_display "off"
start_display killed
start_display no_server
start_display no_master

pa() { "${main_env[@]}" pactl "$@"; }
# The level is read back at 30 % and muted, to see Tempivo set the one and leave the other.
pa set-sink-volume tempivo_test 30%
pa set-sink-mute tempivo_test 1
"${no_master_env[@]}" pactl set-sink-volume tempivo_test 30%

start_tempivo main "$main_display"
start_tempivo off "$off_display"
start_tempivo killed "$killed_display"
start_tempivo no_server "$no_server_display"
start_tempivo no_master "$no_master_display"
for name in main off killed no_master; do
    display_var=${name}_display
    window "${!display_var}" Tempivo >/dev/null || fail "no strip for $name"
done
box=$(window "$no_server_display" "Volume Control") || fail "no message box without a server"
sleep 0.3
(($(count_windows "$no_server_display" "Volume Control") == 1)) || fail "more than one box"
# The box comes before the strip and holds the start until it is dismissed.
DISPLAY=$no_server_display xdotool windowfocus --sync "$box" key Return
window "$no_server_display" Tempivo >/dev/null || fail "no strip without a server"

# --- Levels and captions ------------------------------------------------------------------------
levels() { # CAPTION: one row of the table
    local alsa pulse mute
    alsa=$("${main_env[@]}" amixer -D default sget Master | grep -oE 'Playback [0-9]+ \[' |
        awk '{print $2}' | sort -u | tr '\n' ' ')
    pulse=$(pa get-sink-volume tempivo_test | grep -oE '[0-9]+ /' | awk '{print $1}' | sort -u |
        tr '\n' ' ')
    mute=$(pa get-sink-mute tempivo_test | awk '{print $2}')
    printf '%-12s %-6s %-14s %-14s %s\n' "$1" "$2" "$alsa" "$pulse" "$mute"
    [[ $mute == yes ]] || fail "the mute flag changed ($1)"
}
echo "when         switch amixer Master  pactl volume   muted"
for _ in $(seq 20); do
    [[ $(pa get-sink-volume tempivo_test) == *" 65535 /"* ]] && break
    sleep 0.1
done
# The panel paints after the unfold: wait for ink before taking "On" as the measure, and click
# again if a busy machine lost the first click.
on=0
for _ in 1 2 3; do
    click "$main_display" 548 9
    for _ in $(seq 30); do
        on=$(state_width 2>/dev/null || echo 0)
        ((on > 2)) && break 2
        sleep 0.1
    done
done
if ((on <= 2)); then
    running="has ended"
    kill -0 "$main_pid" 2>/dev/null && running="runs"
    fail "the panel did not unfold: the program $running," \
        "$(count_windows "$main_display" 'Volume Control') mixer boxes show"
fi
levels "start" On | tee "$work/levels"
for n in 1 2 3; do
    click "$main_display" 504 56
    if ((n % 2)); then caption=Off; else caption=On; fi
    reads() { [[ ($caption == On && $width == "$on") || ($caption == Off && $width -gt $on) ]]; }
    for _ in $(seq 30); do
        sleep 0.1
        width=$(state_width 2>/dev/null || echo 0)
        reads && break
    done
    reads ||
        fail "after click $n the switch does not read $caption (ink $width pixels wide, On $on)"
    levels "click $n" "$caption" | tee -a "$work/levels"
done
expected="start On 65535 65535 yes
click 1 Off 0 0 yes
click 2 On 65535 65535 yes
click 3 Off 0 0 yes"
[[ $(awk '{$1=$1; print}' "$work/levels") == "$expected" ]] || fail "levels differ from
$expected"
ok "Master and the sink read 65535 after the start and each On, 0 after each Off; mute untouched"
[[ $("${no_master_env[@]}" pactl get-sink-volume tempivo_test) == *" 30% "* ]] ||
    fail "a device without Master had its volume changed"

# --- The chime ----------------------------------------------------------------------------------
# An hour passes with Sound "On" here and "Off" on the other server.
click "$main_display" 504 56
[[ $(state_width) == "$on" ]] || fail "Sound does not read On again"
pa set-sink-mute tempivo_test 0
click "$off_display" 548 9
click "$off_display" 504 56
grab "$off_display" hours-before 13x14+484+99
for _ in $(seq 20); do
    [[ $("${off_env[@]}" pactl get-sink-volume tempivo_test) == *" 0 /"* ]] && break
    sleep 0.1
done
[[ $("${off_env[@]}" pactl get-sink-volume tempivo_test) == *" 0 /"* ]] ||
    fail "Sound Off left the other server's volume up"
for name in main off; do
    record_env=${name}_env[@]
    "${!record_env}" parec --latency-msec=20 -d tempivo_test.monitor --format=s16le --rate=22050 \
        --channels=1 --raw "$work/$name.raw" &
    pids+=($!)
    eval "${name}_recorder=$!"
done
sleep 0.3
click "$main_display" 490 92
click "$off_display" 490 92
# The recordings end half an hour of stopwatch time after the next chime, however long the checks
# below take on a busy machine.
(sleep $((hour * 3 / 2)) && kill -INT "$main_recorder" "$off_recorder" 2>/dev/null) &
for name in killed no_server no_master; do
    display_var=${name}_display
    unfold_and_start "${!display_var}"
done
for daemon in "${killed_daemons[@]}"; do
    { kill -9 "$daemon" && wait "$daemon"; } 2>/dev/null || true
done
sleep $((hour - 1))
for name in killed no_server no_master; do
    display_var=${name}_display
    readout "${!display_var}" "$name-before"
done
sleep 4
for name in killed no_server no_master; do
    display_var=${name}_display
    readout "${!display_var}" "$name-after"
    click "${!display_var}" 504 56
done
# A write to the mixer of a killed server must not hold the clock either.
for shot in later latest; do
    sleep 0.3
    for name in killed no_server no_master; do
        display_var=${name}_display
        readout "${!display_var}" "$name-$shot"
    done
done
for name in killed no_server no_master; do
    [[ $(compare -metric AE "$work/$name-before.png" "$work/$name-after.png" null: 2>&1) != 0 &&
        $(compare -metric AE "$work/$name-later.png" "$work/$name-latest.png" null: 2>&1) != 0 ]] ||
        fail "the readout stood still across the chime or after a click on Sound ($name)"
done
# Both stopwatches have passed the hour: their hours read alike, and not as before the start.
grab "$main_display" hours-main 13x14+484+99
grab "$off_display" hours-off 13x14+484+99
[[ $(compare -metric AE "$work/hours-main.png" "$work/hours-off.png" null: 2>&1) == 0 &&
    $(compare -metric AE "$work/hours-before.png" "$work/hours-off.png" null: 2>&1) != 0 ]] ||
    fail "the stopwatch with Sound Off did not pass the hour"
wait "$main_recorder" "$off_recorder" || true

python3 - "$chime" "$work/main.raw" "$work/off.raw" <<'EOF' || fail "the recorded chime is not the file"
import array, sys, wave

with wave.open(sys.argv[1]) as w:
    rate = w.getframerate()
    assert (w.getnchannels(), w.getsampwidth(), rate) == (1, 2, 22050)
    sound = array.array("h", w.readframes(w.getnframes()))
recording = array.array("h", open(sys.argv[2], "rb").read())
silence = array.array("h", open(sys.argv[3], "rb").read())


def rms(samples):
    return (sum(x * x for x in samples) / max(1, len(samples))) ** 0.5


def heard(samples):  # first and last sample above the noise
    loud = [i for i, x in enumerate(samples) if abs(x) > 30]
    return (loud[0], loud[-1]) if loud else None


# Chimes are runs of sound parted by a second of silence.
loud = [i for i, x in enumerate(recording) if abs(x) > 30]
chimes = []
for i in loud:
    if chimes and i - chimes[-1][1] < rate:
        chimes[-1][1] = i
    else:
        chimes.append([i, i])
first, last = heard(sound)
print("file: %.3f s; recorded: %s" % ((last - first) / rate, ", ".join(
    "%.3f s at %.1f s" % ((b - a) / rate, a / rate) for a, b in chimes) or "nothing"))
assert len(chimes) == 1, "not exactly one chime"
assert len(silence) > 10 * rate and max(map(abs, silence)) <= 30, "a chime with Sound Off"
start, end = chimes[0]
assert abs((end - start) - (last - first)) / rate < 0.02, "the chime's length differs"
# The same sound throughout: its last 100 ms as loud, against the rest, as in the file.
tenth = rate // 10
aligned = recording[start - first:start - first + len(sound)]
gain = rms(aligned[:-tenth]) / rms(sound[:-tenth])
tail = rms(aligned[-tenth:]) / rms(sound[-tenth:]) / gain
print("gain %.2f; last 100 ms at %.2f of the file's level" % (gain, tail))
assert 0.8 < tail < 1.25, "the end of the chime is missing"
EOF
ok "one chime, in the hour with Sound On, as long as the file and with its end"

for name in main killed no_server no_master; do
    pid_var=${name}_pid
    kill -0 "${!pid_var}" 2>/dev/null || fail "tempivo ended ($name)"
    [[ ! -s $work/tempivo-$name.log ]] || fail "tempivo wrote on stderr ($name): $(
        cat "$work/tempivo-$name.log")"
done
[[ $(count_windows "$no_server_display" "Volume Control") == 0 &&
    $(count_windows "$killed_display" "Volume Control") == 0 &&
    $(count_windows "$no_master_display" "Volume Control") == 0 ]] ||
    fail "a message box besides the one at a start without a server"
ok "no server, a killed server, no Master: one box, silent chimes, the readout running on"
echo "PASS ($passed checks)"
