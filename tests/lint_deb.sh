#!/usr/bin/env bash
# Builds the Debian package from a built tree and runs lintian on it: no error and no warning
# may be reported (information tags may stay).
#   tests/lint_deb.sh BUILD_DIR
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cpack --config "$1/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; exit 1; }
lintian --fail-on error,warning --display-info "$work"/*.deb 2> >(grep -v 'root privileges' >&2)
