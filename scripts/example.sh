#!/usr/bin/env bash
# The README's first command: sets up and builds, then runs the example script
# through ZorRun with the example module (tracing three levels deep, JUnit XML
# beside it) and shows the summary and the report file it appended to.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
build_dir=${ZOR_BUILD_DIR:-build}
cd "$build_dir/examples"

echo "== ZorRun --load libZorExample.so --trace-depth 3 --junit example_junit.xml example.zor.txt"
status=0
../tools/zorrun/ZorRun --load ./libZorExample.so --trace-depth 3 --junit example_junit.xml \
    example.zor.txt || status=$?

echo
echo "== report file $build_dir/examples/example_out.txt"
cat example_out.txt
echo "== JUnit XML in $build_dir/examples/example_junit.xml; ZorRun exit status $status"
exit "$status"
