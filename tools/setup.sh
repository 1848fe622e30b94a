#!/usr/bin/env bash
# Sets up a Debian 12 machine for Melkora, builds it and runs it or its tests.
#   tools/setup.sh run    install what is missing, build in Release, start Melkora
#   tools/setup.sh test   install what is missing, build the test tree, run every test
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD

packages=(
    build-essential cmake ninja-build pkg-config git
    qt6-base-dev qt6-multimedia-dev libgl-dev
    gstreamer1.0-plugins-base gstreamer1.0-plugins-good
    libcurl4-openssl-dev duktape-dev libpcre2-dev libcpp-httplib-dev
    libgtest-dev libgmock-dev fonts-wqy-microhei sox libsox-fmt-mp3
    xvfb xauth imagemagick clang libclang-rt-14-dev
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_missing_packages() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    as_root apt-get update -q
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

jobs=$(nproc)

build_release() {
    cmake -S "$top" -B "$top/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMELKORA_TESTS=OFF
    cmake --build "$top/build/release" -j "$jobs"
}

build_and_run_tests() {
    cmake -S "$top" -B "$top/build/test" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DMELKORA_SANITIZE=ON -DMELKORA_BENCH=OFF
    cmake --build "$top/build/test" -j "$jobs"
    # Qt and GStreamer keep some allocations for the life of the process; only our leaks matter.
    export ASAN_OPTIONS=detect_leaks=0:abort_on_error=0
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    ctest --test-dir "$top/build/test" --output-on-failure -j "$jobs"
    run_fuzzers
}

run_fuzzers() {
    CC=clang CXX=clang++ cmake -S "$top" -B "$top/build/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DMELKORA_FUZZ=ON -DMELKORA_GUI=OFF -DMELKORA_TESTS=OFF -DMELKORA_BENCH=OFF
    cmake --build "$top/build/fuzz" -j "$jobs"
    ctest --test-dir "$top/build/fuzz" --output-on-failure
}

case "${1:-}" in
    run)
        install_missing_packages
        build_release
        exec "$top/build/release/shell/melkora"
        ;;
    test)
        install_missing_packages
        build_and_run_tests
        ;;
    *)
        echo "usage: $0 run|test" >&2
        exit 2
        ;;
esac
