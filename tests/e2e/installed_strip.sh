#!/usr/bin/env bash
# Installs the build into a scratch prefix and runs the strip check on the installed program.
#   installed_strip.sh BUILD_DIR
set -euo pipefail
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$1" --prefix "$prefix" >"$prefix/install.log" || { cat "$prefix/install.log"; exit 1; }
"$(dirname "$0")/strip_under_xvfb.sh" "$prefix/bin/tempivo"
