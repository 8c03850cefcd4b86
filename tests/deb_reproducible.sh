#!/usr/bin/env bash
# Builds the Debian package twice from the tree as it stands (uncommitted changes included):
# in folders of different names, one after the other, with another time zone and umask. The
# packages must be byte-identical and no installed file may name the folder it was built in.
# The first build, with its source package, stays in OUT_DIR/first for the other package checks.
#   tests/deb_reproducible.sh SOURCE_DIR OUT_DIR
set -euo pipefail
src=$1
out=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$out"
mkdir -p "$out"
out=$(realpath "$out")
# Not the test suites: the package build's own checks would only repeat the ones running now.
export DEB_BUILD_OPTIONS=nocheck DEB_BUILD_PROFILES=nocheck
command -v ccache >/dev/null && export CMAKE_CXX_COMPILER_LAUNCHER=ccache

# build FOLDER TZ UMASK [dpkg-buildpackage options]
build() {
    local dir=$out/$1
    mkdir -p "$dir"
    git -C "$src" ls-files -z --cached --others --exclude-standard |
        tar -C "$src" --null -T - --ignore-failed-read -cf - | tar -C "$dir" -xf -
    local start=$SECONDS
    (cd "$dir" && umask "$3" && TZ=$2 dpkg-buildpackage -us -uc -Jauto "${@:4}") >"$dir.log" 2>&1 ||
        { tail -n 40 "$dir.log"; fail "dpkg-buildpackage failed in $dir"; }
    echo "built in $1 ($((SECONDS - start)) s)"
}
build first/tempivo UTC 0022
build second/tempivo-rebuilt Pacific/Kiritimati 0002 -b

debs=$(cd "$out/first" && ls ./*.deb)
[[ $debs == *tempivo_* && $debs == *tempivo-dbgsym_* ]] || fail "packages made: $debs"
for deb in $debs; do
    cmp "$out/first/$deb" "$out/second/$deb" || fail "$deb differs between the two builds"
    echo "ok: ${deb#./} is byte-identical"
    root=$out/unpacked/${deb%.deb}
    mkdir -p "$root"
    dpkg-deb -x "$out/first/$deb" "$root"
    paths=$(grep -rlaF "$out" "$root" || true)
    [[ -z $paths ]] || fail "files naming the build folder: $paths"
done
echo "ok: no installed file names the build folder"
