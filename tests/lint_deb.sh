#!/usr/bin/env bash
# lintian with every tag it has, information and pedantic ones included, on the package built by
# dpkg-buildpackage: the source, the binary and debug packages, the .buildinfo and the .changes.
# Nothing may be reported, and every override must say why in a comment above it.
#   tests/lint_deb.sh PACKAGE_DIR SOURCE_DIR
set -euo pipefail
out=$1
src=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

for overrides in "$src"/debian/*lintian-overrides "$src"/debian/source/lintian-overrides; do
    [[ -f $overrides ]] || continue
    unexplained=$(awk '!/^#/ && NF && prev !~ /^#/ {print FILENAME ": " $0} {prev = $0}' \
        "$overrides")
    [[ -z $unexplained ]] || fail "overrides without a reason: $unexplained"
done

changes=$(find "$out" -maxdepth 1 -name '*.changes' | head -n1)
[[ -n $changes ]] || fail "no .changes in $out"
lintian -I --pedantic --fail-on error,warning,info,pedantic --show-overrides "$changes" \
    2> >(grep -v 'root privileges' >&2)
echo "PASS: lintian -I --pedantic reports nothing on $(basename "$changes")"
