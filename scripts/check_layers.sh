#!/usr/bin/env bash
# Fails when an include crosses the layers: lib/ includes only lib/ (and the
# parser header generated from its grammar), viewer/ includes nothing of
# tools/, and tools/ nothing of viewer/.
#
# Headers are included by their bare name, so a header is placed by where a
# file of that name lives. Until the shared code moves into a layer of its own,
# viewer/display and viewer/remote (display records, test server protocol) and
# tools/common (the callback and module loading) are shared by both sides and
# exempt; the check tightens when they move.
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

shared_viewer='^viewer/(display|remote)/'
shared_tools='^tools/common/'
failed=0

sources() { find "$@" -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.y' -o -name '*.l' \) | sort; }
# quoted includes of a file, one a line
includes() { sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$1"; }
# the folders that hold a header of this name, relative to the root
homes() { find viewer tools -type f -name "$(basename "$1")" -printf '%h/\n'; }

report() {
    echo "check_layers: $1 includes \"$2\" from $3"
    failed=1
}

for file in $(sources lib); do
    for header in $(includes "$file"); do
        [ "$header" = Grammar.hpp ] && continue
        [ -f "lib/$header" ] || [ -f "$(dirname "$file")/$header" ] || report "$file" "$header" "outside lib/"
    done
done

# A header of the same name on its own side wins, as the include paths do.
check_side() {
    local side=$1 other=$2 exempt=$3
    for file in $(sources "$side"); do
        [[ $file =~ $shared_viewer || $file =~ $shared_tools ]] && continue
        for header in $(includes "$file"); do
            local found
            found=$(homes "$header")
            grep -q "^$side/" <<<"$found" && continue
            while read -r home; do
                [ -n "$home" ] || continue
                [[ $home =~ ^$other/ && ! $home =~ $exempt ]] && report "$file" "$header" "$home"
            done <<<"$found"
        done
    done
}
check_side viewer tools "$shared_tools"
check_side tools viewer "$shared_viewer"

if [ "$failed" -ne 0 ]; then
    exit 1
fi
echo "check_layers: includes keep to their layers"
