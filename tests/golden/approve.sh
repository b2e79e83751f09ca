#!/usr/bin/env bash
# Approves the outputs that the last test run received: copies each file of the
# build's golden-received folder over its approved file here. Look at the
# differences first (git diff afterwards shows them).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
received="${1:-$here/../../build/golden-received}"
if [ ! -d "$received" ] || [ -z "$(ls -A "$received")" ]; then
    echo "approve: nothing received in $received"
    exit 0
fi
for file in "$received"/*; do
    cp "$file" "$here/$(basename "$file")"
    rm "$file"
    echo "approved $(basename "$file")"
done
