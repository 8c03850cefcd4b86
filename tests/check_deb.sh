#!/usr/bin/env bash
# Unpacks the package that dpkg-buildpackage made into a scratch root and checks that what the
# desktop entry, the icon name and the metainfo point at is really there, that the debug symbols
# went to the -dbgsym package, and runs the package's own smoke test on the unpacked program.
#   tests/check_deb.sh PACKAGE_DIR APP_ID SOURCE_DIR
set -euo pipefail
out=$1
app_id=$2
src=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

deb=$(find "$out" -maxdepth 1 -name 'tempivo_*.deb' | head -n1)
[[ -n "$deb" ]] || fail "no .deb produced"
echo "package: $(basename "$deb")"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
# Computed by dpkg-shlibdeps from the binary, and the run-time packages it cannot see.
for pkg in libc6 libqt6core6 libqt6gui6 libqt6widgets6 \
    fonts-ocr-a fonts-liberation2 fonts-dejavu-core libqt6multimedia6 xdg-utils; do
    grep -Eq "(^|, )$pkg( |,|$)" <<<"$depends" || fail "Depends lacks $pkg"
done
[[ $(dpkg-deb -f "$deb" Package) == tempivo ]] || fail "package name"

root=$work/root
dpkg -x "$deb" "$root"
stray=$(cd "$root" && find . -mindepth 1 -maxdepth 1 ! -name usr ! -name etc)
[[ -z "$stray" ]] || fail "files outside /usr and /etc: $stray"
[[ ! -e "$root/usr/local" ]] || fail "package installs into /usr/local"

desktop=$root/usr/share/applications/$app_id.desktop
[[ -f "$desktop" ]] || fail "no desktop entry $app_id.desktop"
key() { sed -n "s/^$1=//p" "$desktop" | head -n1; }
[[ $(key Type) == Application ]] || fail "Type"
[[ $(key Terminal) == false ]] || fail "Terminal"
[[ $(key Categories) == *"Utility;"* && $(key Categories) == *"Clock;"* ]] || fail "Categories"

exec_word=$(key Exec | awk '{print $1}')
if [[ $exec_word == /* ]]; then
    binary=$root$exec_word
else
    binary=$root/usr/bin/$exec_word
fi
[[ -x "$binary" ]] || fail "Exec '$exec_word' is not an installed program"
[[ $(head -c 4 "$binary" | tail -c 3) == ELF ]] || fail "Exec '$exec_word' is not a program"

icon=$(key Icon)
[[ $icon == "$app_id" ]] || fail "Icon '$icon' is not the application id"
hicolor=$root/usr/share/icons/hicolor
[[ -f "$hicolor/scalable/apps/$icon.svg" ]] || fail "no scalable icon"
for size in 16 32 48 128; do
    png=$hicolor/${size}x${size}/apps/$icon.png
    [[ -f "$png" ]] || fail "no ${size}x${size} icon"
    # Width and height are the big-endian words at bytes 16 and 20 of a PNG.
    read -r w h < <(od -An -tu4 --endian=big -j16 -N8 "$png")
    [[ $w == "$size" && $h == "$size" ]] || fail "$(basename "$png") at $size is ${w}x$h"
done

# The chime and the module that plays it, where the program looks for them.
[[ -f "$root/usr/share/tempivo/sounds/CallRing.wav" ]] || fail "no chime"
chime=$(cd "$root/usr" && find lib* -path '*/tempivo/libtempivo-chime.so' | head -n1)
[[ -n "$chime" ]] || fail "no chime player module"
grep -aq "${chime%/libtempivo-chime.so}" "$binary" || fail "the program does not look in $chime"

metainfo=$root/usr/share/metainfo/$app_id.metainfo.xml
[[ -f "$metainfo" ]] || fail "no metainfo"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
    fail "metainfo does not launch the desktop entry"
grep -q "<release version=\"$(dpkg-deb -f "$deb" Version)\"" "$metainfo" ||
    fail "metainfo release is not the package version"

conf=$root/etc/fonts/conf.d/30-tempivo-ocr-a-extended.conf
[[ -L "$conf" ]] || fail "fontconfig rule not linked in /etc/fonts/conf.d"
target=$(readlink "$conf")
[[ $target == /usr/* ]] || fail "fontconfig link is not absolute into /usr: $target"
[[ -f "$root$target" ]] || fail "fontconfig link is dangling: $target"
[[ -f "$root/usr/share/fontconfig/conf.avail/30-tempivo-ocr-a-extended.conf" ]] ||
    fail "fontconfig rule missing from conf.avail"

# The README the About box points to.
[[ -f "$root/usr/share/doc/tempivo/README.md" ]] || fail "README not installed"

# Each ELF file's debug symbols, under its build id.
dbgsym=$(find "$out" -maxdepth 1 -name 'tempivo-dbgsym_*.deb' | head -n1)
[[ -n "$dbgsym" ]] || fail "no -dbgsym package"
dpkg-deb -c "$dbgsym" >"$work/dbgsym.list"
for elf in "$binary" "$root/usr/$chime"; do
    id=$(readelf -n "$elf" | sed -n 's/.*Build ID: //p')
    grep -q "/usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug$" "$work/dbgsym.list" ||
        fail "no debug symbols for $(basename "$elf")"
done

if command -v Xvfb >/dev/null && command -v xwininfo >/dev/null; then
    PATH=$root/usr/bin:$PATH "$src/debian/tests/smoke" || fail "the smoke test failed"
fi
echo "PASS"
