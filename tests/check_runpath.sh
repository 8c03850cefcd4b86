#!/usr/bin/env bash
# No program or library the build makes searches the current folder for libraries: an empty
# entry or "." in RPATH or RUNPATH would let a library in the folder a user starts it from load.
#   check_runpath.sh BUILD_DIR
set -euo pipefail
checked=0
while IFS= read -r -d '' file; do
    head -c 4 "$file" | grep -q $'\x7fELF' || continue
    checked=$((checked + 1))
    paths=$(readelf -d "$file" | sed -n 's/.*(R\(UN\)\{0,1\}PATH).*\[\(.*\)\]$/\2/p')
    [[ -z $paths ]] && continue
    if [[ ":$paths:" == *::* || ":$paths:" == *:.:* ]]; then
        echo "FAIL: $file searches the current folder (run path \"$paths\")" >&2
        exit 1
    fi
done < <(find "$1" -type f \( -perm -u+x -o -name '*.so' \) -not -path '*/CMakeFiles/*' -print0)
[[ $checked -gt 0 ]] || { echo "FAIL: no binaries found in $1" >&2; exit 1; }
echo "ok: $checked binaries, none searches the current folder"
