#!/usr/bin/env bash
# Fails when an include crosses the layers, lib <- common <- {viewer, tools}:
# lib/ includes only lib/ (and the parser header generated from its grammar),
# common/ includes only itself and lib/, viewer/ includes nothing of tools/,
# and tools/ nothing of viewer/.
#
# The library's and the shared layer's headers are included by their folder
# ("run/AdaptIO.h", "protocol/WireFields.h"); a program's own headers by their
# bare name, so such a header is placed by where a file of that name lives.
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

failed=0

sources() { find "$@" -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.y' -o -name '*.l' \) | sort; }
# quoted includes of a file, one a line
includes() { sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$1"; }
# the program folders that hold a header of this name, relative to the root
homes() { find viewer tools -type f -name "$(basename "$1")" -printf '%h/\n'; }

report() {
    echo "check_layers: $1 includes \"$2\" from $3"
    failed=1
}

# A header found in one of the layers below (or beside the file) stays in them.
check_below() {
    local layer=$1
    shift
    for file in $(sources "$layer"); do
        for header in $(includes "$file"); do
            [ "$header" = Grammar.hpp ] && continue
            local found=0
            for below in "$@" "$(dirname "$file")"; do
                [ -f "$below/$header" ] && found=1
            done
            [ "$found" -eq 1 ] || report "$file" "$header" "outside $*"
        done
    done
}
check_below lib lib
check_below common common lib

# The shared layer and the library are below both programs; a header of the
# same name on the file's own side wins, as the include paths do.
check_side() {
    local side=$1 other=$2
    for file in $(sources "$side"); do
        for header in $(includes "$file"); do
            [[ $header == */* ]] && { [ -f "common/$header" ] || [ -f "lib/$header" ]; } && continue
            local found
            found=$(homes "$header")
            grep -q "^$side/" <<<"$found" && continue
            while read -r home; do
                [ -n "$home" ] || continue
                [[ $home =~ ^$other/ ]] && report "$file" "$header" "$home"
            done <<<"$found"
        done
    done
}
check_side viewer tools
check_side tools viewer

if [ "$failed" -ne 0 ]; then
    exit 1
fi
echo "check_layers: includes keep to their layers"
