#!/usr/bin/env bash
# The command line and the display check of the real program, none of which opens a window:
# --version, --help and --help-all (listing the options the manual page lists), a wrong option,
# and the three ways to have no usable display.
#   check_command_line.sh PATH_TO_TEMPIVO MANUAL_PAGE "NAME VERSION"
set -euo pipefail
binary=$1
manual=$2
version=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# run [ENVIRONMENT CHANGES...] -- [ARGUMENTS...]; sets status, out and err.
run() {
    local changes=()
    while [[ $1 != -- ]]; do changes+=("$1"); shift; done
    shift
    status=0
    timeout 10 env -u QT_QPA_PLATFORM "${changes[@]}" "$binary" "$@" >"$work/out" 2>"$work/err" ||
        status=$?
    out=$(<"$work/out")
    err=$(<"$work/err")
}
no_x=(-u DISPLAY -u WAYLAND_DISPLAY XDG_SESSION_TYPE=x11)

run "${no_x[@]}" -- --version
[[ $status == 0 && $out == "$version" && -z $err ]] || fail "--version: $status '$out' '$err'"

# Option names in a help text's option column, and in the manual's tagged paragraphs (all of
# them, or those before Qt's).
help_options() {
    grep -oE '^  (-[a-z], )?--[a-z-]+(, --[a-z-]+)?' <<<"$1" | grep -oE -- '--?[a-z-]+' | sort
}
manual_options() {
    sed -n "/^\.SH OPTIONS/,/^\.SH /{$1/^\.TP/{n;p}}" "$manual" |
        grep -oE '\\-(\\-)?[a-z]([a-z]|\\-)*' | sed 's/\\//g' | sort
}
same_options() {
    [[ $2 == "$3" ]] || fail "$1 and the manual list other options: $(diff <(echo "$2") \
        <(echo "$3") | tr '\n' ' ')"
}

run "${no_x[@]}" -- --help
[[ $status == 0 && $out == "Usage: tempivo [options]"* ]] || fail "--help: $status '$out'"
same_options --help "$(help_options "$out")" "$(manual_options "/^Qt's standard options/q;")"
run "${no_x[@]}" -- --help-all
[[ $status == 0 && $out == "Usage: tempivo [options]"* ]] || fail "--help-all: $status '$out'"
same_options --help-all "$(help_options "$out")" "$(manual_options "")"
[[ $out == *"--platform <name[:options]>"* ]] || fail "--help-all lacks Qt's options"

# One line saying what is wrong, then where to look.
for wrong in --no-such-option "-platform" stray-argument; do
    run "${no_x[@]}" -- "$wrong"
    name=${wrong#-}
    [[ $status == 2 && -z $out && $(wc -l <"$work/err") == 2 && $err == tempivo:*"${name#-}"* &&
        $(tail -n1 "$work/err") == "Try 'tempivo --help' for more information." ]] ||
        fail "'$wrong': status $status, stdout '$out', stderr '$err'"
done

# One line on stderr and status 1 instead of Qt's abort.
no_display() {
    run "$@" --
    [[ $status == 1 && -z $out && $(wc -l <"$work/err") == 1 && $err == tempivo:* ]] ||
        fail "$*: status $status, '$err'"
    echo "ok: $err"
}
no_display "${no_x[@]}"
# Nobody runs an X server on the top display number.
no_display -u WAYLAND_DISPLAY XDG_SESSION_TYPE=x11 DISPLAY=:65534
no_display -u DISPLAY WAYLAND_DISPLAY=wayland-0 XDG_SESSION_TYPE=wayland
[[ $err == *XWayland* ]] || fail "the Wayland message does not name XWayland"
echo "PASS"
