#!/usr/bin/env bash
# Quillon's one entry point for people and CI:
#   ./quillon.sh setup        install what a fresh Debian 12 machine lacks
#   ./quillon.sh build        configure and build (build/)
#   ./quillon.sh test         build and run every test, then again under ASan/UBSan (build-asan/)
#   ./quillon.sh run [ARGS]   build if needed and run quillon (no ARGS: document the bundled
#                             example into out/)
#   ./quillon.sh bench        build and run the benchmarks
#   ./quillon.sh fuzz [SECS]  fuzz every reader for SECS seconds each (default 60; build-fuzz/)
#   ./quillon.sh tidy         check the program's sources with clang-tidy (.clang-tidy; build-tidy/)
#   ./quillon.sh package      build the Debian package out/quillon_VERSION_ARCH.deb
#   ./quillon.sh screenshots  retake docs/images/site-*.png from the bundled example's web site
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$(pwd)
BUILD="$ROOT/build"
ASAN_BUILD="$ROOT/build-asan"
FUZZ_BUILD="$ROOT/build-fuzz"
JOBS=$(nproc 2>/dev/null || echo 2)

PACKAGES=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-qpa-plugins libgtest-dev libqpdf-dev qpdf poppler-utils
          libhunspell-dev hunspell-en-us qt6-svg-dev libgraphviz-dev
          fonts-liberation fonts-dejavu-core xvfb xauth graphviz
          python3 tidy chromium chromium-driver)

FUZZ_PACKAGES=(clang libclang-rt-14-dev)

TIDY_PACKAGES=(clang-tidy)

# dpkg-shlibdeps (dpkg-dev) finds the libraries the package depends on, reading them with file.
PACKAGE_PACKAGES=(dpkg-dev file)

setup() {
    install_missing "${PACKAGES[@]}"
}

install_missing() { # packages...
    local missing=() p
    for p in "$@"; do
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
    # Sanitizers find more at -O1, and line tables are all a report needs; the benchmarks are
    # not built here, and the test code (built without the sanitizers in any case) is linked
    # from the build above rather than compiled again. Each library is compiled as one unit,
    # which parses the Qt headers once per library; the build above compiles the core source
    # by source, so a missing include still shows there.
    configure_and_build "$ASAN_BUILD" -DQUILLON_SANITIZE=ON -DQUILLON_BENCH=OFF -DQUILLON_TEST_OBJECTS_FROM="$BUILD" \
        -DCMAKE_UNITY_BUILD=ON -DCMAKE_UNITY_BUILD_BATCH_SIZE=0 -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG"
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1 \
    LSAN_OPTIONS=suppressions="$ROOT/tests/lsan.supp" \
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

# The package is the install of the build/ tree under /usr, its program stripped.
package() {
    build
    install_missing "${PACKAGE_PACKAGES[@]}"
    mkdir -p "$ROOT/out"
    (cd "$BUILD" && cpack -G DEB) >"$BUILD/cpack.log" 2>&1 || { cat "$BUILD/cpack.log" >&2; return 1; }
    local deb
    deb=$(sed -n 's/^CPack: - package: \(.*\.deb\) generated\.$/\1/p' "$BUILD/cpack.log")
    [ -f "$deb" ] || { echo "quillon.sh package: cpack made no .deb (see build/cpack.log)" >&2; return 1; }
    mv -f "$deb" "$ROOT/out/"
    echo "$ROOT/out/$(basename "$deb")"
}

# clang-tidy over the program's sources (src/), every finding an error. It reads the unity
# sources of a build tree configured for it (no precompiled header, which clang cannot read
# from gcc; a few sources to a unit, so the Qt headers are parsed a dozen times, not a hundred
# and fifty), only the moc output built. quillon_platform_pdf is left out: clang 14 cannot
# parse libqpdf's headers with this libstdc++ (JSON is incomplete where a vector of it is
# declared), which says nothing about our code.
tidy() {
    setup
    install_missing "${TIDY_PACKAGES[@]}"
    local dir="$ROOT/build-tidy"
    # Each library is one unit: the Qt headers are parsed and checked once per library.
    cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_DISABLE_PRECOMPILE_HEADERS=ON -DCMAKE_UNITY_BUILD=ON \
        -DCMAKE_UNITY_BUILD_BATCH_SIZE=0 -DQUILLON_TESTS=OFF -DQUILLON_BENCH=OFF >/dev/null
    cmake --build "$dir" -j "$JOBS" --target quillon_platform_qt_autogen quillon_ui_autogen >/dev/null
    local units='CMakeFiles/quillon(_(model|config|analysis|aids|print|formimage|html|platform_api|platform_paint|platform_qt|platform_svg|platform_spell|platform_graph|ui|cli))?\.dir/Unity/'
    local log="$dir/tidy.log"
    if ! run-clang-tidy -p "$dir" -j "$JOBS" -quiet \
        -header-filter="^$ROOT/src/" "$units" >"$log" 2>&1; then
        sed 's/\x1b\[[0-9;]*m//g' "$log" | grep -E '(warning|error): ' | sort -u >&2
        echo "quillon.sh tidy: findings above (whole output in build-tidy/tidy.log)" >&2
        return 1
    fi
    echo "quillon.sh tidy: no findings"
}

# Each target in fuzz/ runs for the given seconds, nproc at a time, from a corpus grown under
# build-fuzz/corpus/ and seeded with the example project and fuzz/seeds/<target>/. Inputs
# stay within 1 KB: ten times the executions of the example files' sizes, and still room for
# deep nesting and long lines; fuzz/vb6.dict gives them the words the readers look for. A
# crash, hang (10 s), leak or sanitizer report leaves its input in build-fuzz/crashes/ and
# fails the run.
fuzz() { # [seconds]
    local seconds=${1:-60}
    case "$seconds" in '' | *[!0-9]*) echo "quillon.sh fuzz: seconds must be a whole number" >&2; return 2 ;; esac
    setup
    install_missing "${FUZZ_PACKAGES[@]}"
    configure_and_build "$FUZZ_BUILD" -DCMAKE_CXX_COMPILER=clang++ -DQUILLON_FUZZ=ON -DQUILLON_TESTS=OFF
    mkdir -p "$FUZZ_BUILD/crashes" "$FUZZ_BUILD/logs"
    local targets=() t
    for t in "$ROOT"/fuzz/fuzz_*.cpp; do
        targets+=("$(basename "$t" .cpp)")
    done
    for t in "${targets[@]}"; do
        local seeds="$FUZZ_BUILD/seeds/${t#fuzz_}"
        rm -rf "$seeds"
        mkdir -p "$seeds" "$FUZZ_BUILD/corpus/${t#fuzz_}"
        find "$ROOT/examples" -type f \( -iname '*.bas' -o -iname '*.cls' -o -iname '*.frm' -o -iname '*.vbp' \) \
            -exec cp {} "$seeds/" \;
        if [ -d "$ROOT/fuzz/seeds/${t#fuzz_}" ]; then
            cp "$ROOT/fuzz/seeds/${t#fuzz_}"/* "$seeds/"
        fi
    done
    local running=0
    for t in "${targets[@]}"; do
        if [ "$running" -ge "$JOBS" ]; then
            wait -n || true
            running=$((running - 1))
        fi
        echo "quillon.sh fuzz: $t for ${seconds}s" >&2
        (
            cd "$FUZZ_BUILD/logs"
            status=0
            ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
                "$FUZZ_BUILD/fuzz/$t" -max_total_time="$seconds" -max_len=1024 -dict="$ROOT/fuzz/vb6.dict" -timeout=10 -rss_limit_mb=2048 \
                -print_final_stats=1 \
                -artifact_prefix="$FUZZ_BUILD/crashes/$t-" "$FUZZ_BUILD/corpus/${t#fuzz_}" "$FUZZ_BUILD/seeds/${t#fuzz_}" \
                >"$FUZZ_BUILD/logs/$t.log" 2>&1 || status=$?
            echo "$status" >"$FUZZ_BUILD/logs/$t.status"
        ) &
        running=$((running + 1))
    done
    wait
    local failed=0 status rate
    printf '%-18s %12s  %s\n' target exec/s result
    for t in "${targets[@]}"; do
        status=$(cat "$FUZZ_BUILD/logs/$t.status" 2>/dev/null || echo 1)
        rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$FUZZ_BUILD/logs/$t.log" | tail -n 1)
        if [ "$status" -eq 0 ]; then
            printf '%-18s %12s  %s\n' "$t" "${rate:-?}" ok
        else
            failed=1
            printf '%-18s %12s  %s\n' "$t" "${rate:-?}" "FAILED (exit $status): see build-fuzz/logs/$t.log"
            grep -E '^(==[0-9]+==ERROR|SUMMARY|invariant failed|artifact_prefix|Test unit written)' \
                "$FUZZ_BUILD/logs/$t.log" | head -n 6 | sed 's/^/    /'
        fi
    done
    if [ "$failed" -ne 0 ]; then
        echo "quillon.sh fuzz: crashing inputs are in build-fuzz/crashes/" >&2
        return 1
    fi
}

case "${1:-}" in
    setup) setup ;;
    build) build ;;
    test) test_all ;;
    run) shift; run "$@" ;;
    bench) build; cmake --build "$BUILD" -j "$JOBS" --target benchmarks; "$ROOT/bench/run.sh" "$BUILD" ;;
    fuzz) shift; fuzz "$@" ;;
    tidy) tidy ;;
    package) package ;;
    screenshots) build; python3 "$ROOT/tests/browser/site_browser_test.py" "$BUILD/src/app/quillon" --screenshots "$ROOT/docs/images" ;;
    *) sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2 ;;
esac
