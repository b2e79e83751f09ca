#!/usr/bin/env bash
# Takes the README's picture of ZorRun's report page from a real run of the
# bundled example suite (a script error and failures included), so that every
# text in it is one the product prints. Needs a build in build/ and chromium.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r examples "$work/"
cp build/examples/libZorExample.so "$work/"
(cd "$work" && "$root/build/tools/zorrun/ZorRun" --load ./libZorExample.so --html report.html \
    -j 2 examples/ > /dev/null 2>&1 || true)
chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --window-size=1100,900 \
    --screenshot="$root/docs/ZorRunReport.png" "file://$work/report.html" 2> /dev/null
echo "docs/ZorRunReport.png taken from $work/report.html"
