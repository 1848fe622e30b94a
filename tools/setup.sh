#!/usr/bin/env bash
# Sets up a Debian 12 machine for Melkora, builds it and runs it or its tests.
#   tools/setup.sh run    install what is missing, build in Release, start Melkora
#   tools/setup.sh test   install what is missing, build the test tree, run every test
#   tools/setup.sh run --demo   as run, but offline: against the sample service on 127.0.0.1
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD

packages=(
    build-essential cmake ninja-build pkg-config git
    qt6-base-dev qt6-multimedia-dev libgl-dev
    gstreamer1.0-plugins-base gstreamer1.0-plugins-good
    libcurl4-openssl-dev duktape-dev libpcre2-dev libcpp-httplib-dev
    libgtest-dev libgmock-dev fonts-wqy-microhei fonts-noto-color-emoji sox libsox-fmt-mp3
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
    run_fuzzers
    # Last, so that its summary is the closing line of the run.
    ctest --test-dir "$top/build/test" --output-on-failure -j "$jobs"
}

run_fuzzers() {
    CC=clang CXX=clang++ cmake -S "$top" -B "$top/build/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DMELKORA_FUZZ=ON -DMELKORA_GUI=OFF -DMELKORA_TESTS=OFF -DMELKORA_BENCH=OFF
    cmake --build "$top/build/fuzz" -j "$jobs"
    ctest --test-dir "$top/build/fuzz" --output-on-failure
}

# The sample service stands in for the music service; Melkora finds it through the host variables.
run_demo() {
    local port=${MELKORA_DEMO_PORT:-8765} out service_pid host
    out=$(mktemp)
    "$top/build/release/sampleservice/melkora-sample-service" --port "$port" >"$out" &
    service_pid=$!
    # Expanded now: the locals are gone by the time the script exits.
    trap "kill $service_pid 2>/dev/null; rm -f '$out'" EXIT
    # Its first line, host:port, appears once it answers.
    for _ in $(seq 100); do
        [ -s "$out" ] && break
        kill -0 "$service_pid" 2>/dev/null || { echo "the sample service did not start" >&2; exit 1; }
        sleep 0.1
    done
    host=$(head -n 1 "$out")
    echo "Sample service on $host; a list page to paste: http://$host/songlist/1.html"
    MELKORA_SEARCH_HOST=$host MELKORA_TIP_HOST=$host MELKORA_WEB_HOST=$host "$top/build/release/shell/melkora"
}

case "${1:-}" in
    run)
        install_missing_packages
        build_release
        if [ "${2:-}" = "--demo" ]; then
            run_demo
        else
            exec "$top/build/release/shell/melkora"
        fi
        ;;
    test)
        install_missing_packages
        build_and_run_tests
        ;;
    *)
        echo "usage: $0 run [--demo] | test" >&2
        exit 2
        ;;
esac
