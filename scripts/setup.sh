#!/usr/bin/env bash
# Installs the Debian packages the project needs (only what is missing), then
# configures and builds into build/ (or $ZOR_BUILD_DIR). Safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev
          bison flex nlohmann-json3-dev libtomlplusplus-dev clang libclang-rt-14-dev locales python3
          libxml2-utils libseccomp-dev pkg-config libpugixml-dev
          qt6-base-dev libxcb1-dev fonts-liberation2 fonts-dejavu-core chromium
          xvfb xauth xdotool neovim emacs-nox elpa-eglot)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "setup: installing ${missing[*]}"
    sudo_cmd=""
    [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# A locale with a decimal comma, for the tests that prove numbers stay locale-independent.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    sudo_cmd=""
    [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
    $sudo_cmd sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $sudo_cmd tee -a /etc/locale.gen >/dev/null
    $sudo_cmd locale-gen >/dev/null
fi

build_dir=${ZOR_BUILD_DIR:-build}
if [ ! -f "$build_dir/build.ninja" ]; then
    cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=${ZOR_BUILD_TYPE:-RelWithDebInfo} ${ZOR_CMAKE_ARGS:-}
fi
cmake --build "$build_dir"

# The TextMate grammar's test reads its scripts with VS Code's tokenizer, from npm.
tmgrammar="$build_dir/npm/node_modules/.bin/vscode-tmgrammar-test"
if [ ! -x "$tmgrammar" ] && command -v npm >/dev/null; then
    npm install --prefix "$build_dir/npm" --no-audit --no-fund --loglevel=error \
        vscode-tmgrammar-test@0.1.3 >/dev/null ||
        echo "setup: vscode-tmgrammar-test not installed; EditorGrammarTest will be skipped" >&2
fi
