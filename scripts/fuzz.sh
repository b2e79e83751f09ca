#!/usr/bin/env bash
# Builds the libFuzzer targets with clang++ and runs each one for a bounded
# time (ZOR_FUZZ_SECONDS, 30 by default). Any crash, sanitizer report, leak or
# hang fails the run; the input that caused it is left in the artifacts folder.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build_dir=$(realpath -m "${ZOR_FUZZ_DIR:-build-fuzz}")
seconds=${ZOR_FUZZ_SECONDS:-30}
targets=(ParseLoopFuzzer ReadLoopFuzzer DecodeBlockFuzzer RemoteReplyFuzzer LspMessageFuzzer)

# Seeds and dictionary of a target: the script fuzzers share the scripts'.
seeds_of() {
    case "$1" in
        DecodeBlockFuzzer) echo display-corpus ;;
        RemoteReplyFuzzer) echo remote-corpus ;;
        LspMessageFuzzer) echo lsp-corpus ;;
        *) echo corpus ;;
    esac
}
dict_of() {
    case "$1" in
        DecodeBlockFuzzer) echo display.dict ;;
        RemoteReplyFuzzer) echo remote.dict ;;
        LspMessageFuzzer) echo lsp.dict ;;
        *) echo script.dict ;;
    esac
}

if [ ! -f "$build_dir/build.ninja" ]; then
    cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DZOR_BUILD_FUZZ=ON \
        -DZOR_BUILD_TESTS=OFF -DZOR_BUILD_BENCH=OFF
fi
cmake --build "$build_dir" --target "${targets[@]}"

# The fuzzers work in a sandbox folder of their own, so every path is absolute.
for target in "${targets[@]}"; do
    corpus="$build_dir/fuzz-corpus/$target"
    artifacts="$build_dir/fuzz-artifacts/$target"
    mkdir -p "$corpus" "$artifacts"
    cp -n "$root/fuzz/$(seeds_of "$target")"/* "$corpus"/
    echo "fuzz: $target for ${seconds}s"
    "$build_dir/fuzz/$target" "$corpus" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -dict="$root/fuzz/$(dict_of "$target")" -artifact_prefix="$artifacts/" \
        -print_final_stats=1
done
