#!/usr/bin/env bash
# Quillon's one entry point for people and CI:
#   ./quillon.sh setup        install what a fresh Debian 12 machine lacks
#   ./quillon.sh build        configure and build (build/)
#   ./quillon.sh test         build and run every test, then again under ASan/UBSan (build-asan/)
#   ./quillon.sh run [ARGS]   build if needed and run quillon (no ARGS: document the bundled
#                             example into out/)
#   ./quillon.sh bench        build and run the benchmarks
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$(pwd)
BUILD="$ROOT/build"
ASAN_BUILD="$ROOT/build-asan"
JOBS=$(nproc 2>/dev/null || echo 2)

PACKAGES=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-qpa-plugins libgtest-dev qpdf poppler-utils
          fonts-liberation xvfb xauth)

setup() {
    local missing=() p
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    echo "quillon.sh: installing ${missing[*]}" >&2
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

configure_and_build() { # folder, extra cmake arguments...
    local dir=$1
    shift
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    fi
    cmake --build "$dir" -j "$JOBS"
}

build() {
    setup
    configure_and_build "$BUILD"
}

run_tests() { # folder
    local runtime
    runtime=$(mktemp -d)
    chmod 700 "$runtime"
    QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$runtime" \
        ctest --test-dir "$1" --output-on-failure -j "$JOBS" --timeout 300
    local status=$?
    rm -rf "$runtime"
    return $status
}

test_all() {
    build
    run_tests "$BUILD"
    echo "== again under AddressSanitizer and UndefinedBehaviorSanitizer =="
    configure_and_build "$ASAN_BUILD" -DQUILLON_SANITIZE=ON
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        run_tests "$ASAN_BUILD"
}

run() {
    build
    if [ $# -eq 0 ]; then
        # The main job on the bundled example: its documentation with dependency reports,
        # then its table of contents with the print history just made.
        mkdir -p "$ROOT/out"
        "$BUILD/src/app/quillon" print "$ROOT/examples/inventory/Inventory.vbp" --deps -o "$ROOT/out/Inventory.pdf"
        "$BUILD/src/app/quillon" toc "$ROOT/examples/inventory/Inventory.vbp" -o "$ROOT/out/Inventory TOC.pdf"
        return
    fi
    "$BUILD/src/app/quillon" "$@"
}

case "${1:-}" in
    setup) setup ;;
    build) build ;;
    test) test_all ;;
    run) shift; run "$@" ;;
    bench) build; "$ROOT/bench/run.sh" "$BUILD" ;;
    *) sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2 ;;
esac
