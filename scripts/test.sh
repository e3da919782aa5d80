#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

# --package also builds the Debian package, installs it with apt on this machine and starts
# the installed program (scripts/package_test.sh). CI (CI=true) always does; elsewhere it runs
# only when asked, since it installs software.
# --release builds the release twice from fresh clones of HEAD and checks it as users get it
# (tests/release/release_test.sh), the MSI's round trip and the package's install included.
# CI does; TARVEL_SKIP_RELEASE=1 skips it.
# --debian13 installs the Debian package and builds the source in a Debian 13 chroot
# (tests/release/debian13_test.sh; root, and some 300 MB from deb.debian.org). CI does;
# TARVEL_SKIP_DEBIAN13=1 skips it.
package=0
release=0
debian13=0
[ "${CI:-}" = true ] && package=1 && release=1 && debian13=1
for arg in "$@"; do
    case $arg in
        --package) package=1 ;;
        --release) release=1 ;;
        --debian13) debian13=1 ;;
        *) echo "usage: bash scripts/test.sh [--package] [--release] [--debian13]" >&2; exit 2 ;;
    esac
done
[ "${TARVEL_SKIP_RELEASE:-0}" = 1 ] && release=0
[ "${TARVEL_SKIP_DEBIAN13:-0}" = 1 ] && debian13=0

source scripts/deps.sh
tarvel_install build test
# Comma-decimal rows of the tests, the window's tests and Orca in a Spanish desktop, and the
# Spanish headings of conversor's manual page.
tarvel_locale es_ES.UTF-8
# The window over AT-SPI with a full-stop decimal too.
tarvel_locale en_US.UTF-8

# Runs one build's ctest, keeps its summary, and adds its counts to the closing total.
# Usage: run_ctest NAME DIR [NOTE [CTEST-ARGUMENTS...]]; the note follows the summary.
passed=0
failed=0
summaries=()
run_ctest() {
    local name=$1 dir=$2 note=${3:-} log
    shift $(($# < 3 ? $# : 3))
    log=$(mktemp)
    local status=0
    ctest --test-dir "$dir" --output-on-failure -j2 "$@" | tee "$log" || status=$?
    local line
    line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
    rm -f "$log"
    if [[ $line =~ ([0-9]+)\ tests\ failed\ out\ of\ ([0-9]+) ]]; then
        failed=$((failed + BASH_REMATCH[1]))
        passed=$((passed + BASH_REMATCH[2] - BASH_REMATCH[1]))
    fi
    summaries+=("$name: ${line:-no summary}${note:+ ($note)}")
    return "$status"
}

# Counts a stage's closing line "NAME: N passed, M failed" into the total.
# Usage: count_line NAME LOG
count_line() {
    local line
    line=$(grep -E "^$1: [0-9]+ passed, [0-9]+ failed$" "$2" | tail -n 1 || true)
    if [[ $line =~ ([0-9]+)\ passed,\ ([0-9]+)\ failed ]]; then
        passed=$((passed + BASH_REMATCH[1]))
        failed=$((failed + BASH_REMATCH[2]))
    fi
    summaries+=("${line:-$1: no summary}")
}

# What a failing stage's screen showed (the root window as a picture, the windows and their
# processes), left for a reader on another machine; the summary names it.
export TARVEL_EVIDENCE=$PWD/test-evidence
rm -rf "$TARVEL_EVIDENCE"
stage=docs
# The summaries so far, also when a stage fails and the run ends there.
# Usage: summary [STATUS]   (default: the status the script is ending with)
summary() {
    local status=${1:-$?}
    echo
    printf '%s\n' "${summaries[@]}"
    if [ "$status" != 0 ]; then
        echo "FAILED in the $stage stage, status $status"
        if [ -d "$TARVEL_EVIDENCE" ]; then
            echo "evidence: $(find "$TARVEL_EVIDENCE" -type f | sort | tr '\n' ' ')"
        fi
    fi
    echo "total: $passed passed, $failed failed"
}
trap summary EXIT

# The winget manifests of a release folder (DIST/winget) against winget's schemas and the MSI
# beside them, then the faults the check's self-test plants in a set written from that MSI.
# The release stage calls it on the dist/ it built. Usage: check_winget DIST
check_winget() {
    local log status=0 msi
    msi=$(find "$1" -maxdepth 1 -name 'conversor-unidades-*-x64.msi' | head -n 1)
    tarvel_install winget
    log=$(mktemp)
    # Debian's python3-jsonschema and python3-yaml are the system Python's.
    { /usr/bin/python3 tests/release/check_winget.py "$1/winget" "$msi" \
        && /usr/bin/python3 tests/release/check_winget.py --self-test "$msi"; } | tee "$log" || status=$?
    count_line winget "$log"
    count_line "winget self-test" "$log"
    rm -f "$log"
    return "$status"
}

# The docs first, since they need no build: every relative link and #anchor of README.md and
# docs/ resolves, and CMake, CHANGELOG.md, debian/changelog and the AppStream record name one
# version and date; then the same check must refuse the faults its self-test plants.
# TARVEL_SKIP_MAIN=1 skips these, the main build's tests and its benchmarks: the build itself
# stays, since the later stages use its programs.
main=1
[ "${TARVEL_SKIP_MAIN:-0}" = 1 ] && main=0
if [ "$main" = 1 ]; then
    log=$(mktemp)
    status=0
    { python3 tests/docs/check_links.py && python3 tests/docs/check_links.py --self-test; } \
        | tee "$log" || status=$?
    count_line docs "$log"
    count_line "docs self-test" "$log"
    rm -f "$log"
    [ "$status" = 0 ] || exit "$status"
fi

stage=main
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2
if [ "$main" = 1 ]; then
    run_ctest main "$build"
    # The window-less tests again with the C library under a comma decimal: a test helper
    # that reads or writes numbers through the C locale fails here.
    LC_ALL=es_ES.UTF-8 run_ctest main "$build" "window-less, LC_ALL=es_ES.UTF-8" -L windowless
fi

# The release stage installs the released package itself, instead of building one here.
if [ "$package" = 1 ] && [ "$release" = 0 ]; then
    stage=package
    bash scripts/package_test.sh
fi

# The benchmarks are built above; each runs once, briefly, so that they keep working. CI
# timings mean nothing and nothing fails on a time, only on a benchmark that stops measuring
# what it names. The start-up comparison runs a few rounds on its own Xvfb (seconds).
if [ "$main" = 1 ] && [ -x "$build/bench/form_bench" ]; then
    stage=benchmarks
    for bench in "$build"/bench/form_bench "$build"/bench/window_bench; do
        [ -x "$bench" ] || continue
        log="$build/$(basename "$bench").log"
        QT_QPA_PLATFORM=offscreen "$bench" --benchmark_min_time=0.01 | tee "$log"
        if grep -q "ERROR OCCURRED" "$log"; then
            echo "$(basename "$bench"): a benchmark no longer runs the path it measures" >&2
            exit 1
        fi
    done
    # A column through conversor against awk on the same file (goal: half awk's time).
    bash bench/cli_column.sh "$build" 200000 3
    if [ -x "$build/bench/map_probe" ]; then
        bash bench/startup.sh "$build" 3
    fi
fi

# Everything built for 64-bit Windows with MinGW-w64 (the native window, the command, the
# window-less logic) and its tests run under Wine, in Wine's default locale and in Spanish
# (Spain): the window's on an X server of the stage's own, inside a Wine desktop; the program
# file's version record read back by Windows itself (tests/windows).
if [ "${TARVEL_SKIP_WINDOWS:-0}" != 1 ]; then
    stage=windows
    start=$SECONDS
    tarvel_install windows
    timings="install $((SECONDS - start)) s"
    win=$PWD/${WINDOWS_BUILD_DIR:-build-windows}
    toolchain=$PWD/cmake/mingw-w64-x86_64.cmake
    start=$SECONDS
    if [ ! -f "$win/googletest/install/lib/cmake/GTest/GTestConfig.cmake" ]; then
        cmake -S /usr/src/googletest -B "$win/googletest" -G Ninja -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DBUILD_GMOCK=OFF -DCMAKE_INSTALL_PREFIX="$win/googletest/install"
        cmake --build "$win/googletest" -j2
        cmake --install "$win/googletest"
    fi
    timings+=", GoogleTest $((SECONDS - start)) s"
    start=$SECONDS
    cmake -S . -B "$win/tarvel" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DTARVEL_BENCH=ON -DGTest_DIR="$win/googletest/install/lib/cmake/GTest"
    # The display comes first: the first Wine program of the session (wineboot here) starts
    # Wine's desktop with the display it finds, and every window after it shows there.
    source scripts/xvfb.sh
    tarvel_start_xvfb "$win" || exit 1
    # One Wine server for the whole stage, and its prefix made (or brought up to date) before
    # anything runs, its noise in a log. Started here, Wine's background services keep /dev/null
    # open; started by the first test, they would hold that test's output pipe and ctest would
    # wait for them for ever.
    export WINEPREFIX=$win/tarvel/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    mkdir -p "$WINEPREFIX"
    wineserver -p </dev/null >/dev/null 2>&1
    trap 'status=$?; WINEPREFIX=$win/tarvel/wineprefix wineserver -k || true; kill $xvfb_pid 2>/dev/null || true; summary "$status"' EXIT
    bash cmake/wine_run.sh /usr/lib/wine/wine64 wineboot --init </dev/null >"$win/wineboot.log" 2>&1
    # Windows show inside a Wine desktop, where Wine itself manages them as Windows does: with
    # the X server's own management a window that goes waits for a window manager to answer.
    wine_reg() { bash cmake/wine_run.sh /usr/lib/wine/wine64 reg add "$@" /f </dev/null >>"$win/wineboot.log" 2>&1; }
    wine_reg 'HKCU\Software\Wine\Explorer' /v Desktop /d Default
    wine_reg 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768
    # Wine's own fonts, which its data folder does not bring here (scripts/screenshot_windows.sh).
    wine_reg 'HKCU\Software\Wine\Fonts' /v Path /d 'Z:\usr\share\wine\fonts'
    timings+=", configure and Wine prefix $((SECONDS - start)) s"
    start=$SECONDS
    cmake --build "$win/tarvel" -j2
    timings+=", build $((SECONDS - start)) s"
    for lang in "" es_ES.UTF-8; do
        start=$SECONDS
        setting=${lang:+LC_ALL=$lang}
        LC_ALL=$lang run_ctest windows "$win/tarvel" "${setting:-default locale}, Wine"
        retried=$(grep -c "^wine_run: Wine did not start" "$win/tarvel/Testing/Temporary/LastTest.log" || true)
        timings+=", tests in ${setting:-the default locale} $((SECONDS - start)) s ($retried Wine starts retried)"
    done
    # The installer: installed, upgraded and removed again under Wine (tests/windows); the
    # release stage does it on the released installer.
    if [ "$release" = 0 ]; then
        start=$SECONDS
        cmake --build "$win/tarvel" --target msi
        bash tests/windows/msi_roundtrip.sh "$win/tarvel"
        timings+=", MSI and its round trip $((SECONDS - start)) s"
    fi
    # Start-up against a bare Win32 window, a few rounds, on a display and a prefix of its own:
    # so that the comparison keeps working (Wine's figures are indicative only).
    if [ -x "$build/bench/map_probe" ]; then
        start=$SECONDS
        (unset DISPLAY WINEPREFIX; bash bench/startup_windows.sh "$win/tarvel" "$build" 3)
        timings+=", start-up comparison $((SECONDS - start)) s"
    fi
    wineserver -k
    kill "$xvfb_pid" 2>/dev/null || true
    trap summary EXIT
    unset WINEPREFIX WINEDEBUG WINEDLLOVERRIDES DISPLAY
    # The picture and Cerrar from the keyboard, on an X server and in a prefix of its own.
    start=$SECONDS
    bash scripts/screenshot_windows.sh "$win/tarvel/src/conversor-unidades.exe" docs/screenshot-windows.png
    timings+=", screenshot $((SECONDS - start)) s"
    echo "windows stage: $timings"
fi

# The window-less libraries and their GoogleTest programs compiled to WebAssembly with
# emscripten and run by ctest under Node: the same figures from the same form as every face.
if [ "${TARVEL_SKIP_WASM:-0}" != 1 ]; then
    stage=wasm
    tarvel_install wasm
    wasm=${WASM_BUILD_DIR:-build-wasm}
    [[ $wasm = /* ]] || wasm=$PWD/$wasm
    # emcc's JavaScript optimiser finds acorn through NODE_PATH (the project's own build sets
    # it through its launchers; GoogleTest's does not).
    export NODE_PATH=/usr/share/nodejs
    if [ ! -f "$wasm/googletest/install/lib/cmake/GTest/GTestConfig.cmake" ]; then
        emcmake cmake -S /usr/src/googletest -B "$wasm/googletest" -G Ninja -DCMAKE_BUILD_TYPE=Release \
            -DBUILD_GMOCK=OFF -Dgtest_disable_pthreads=ON -DCMAKE_INSTALL_PREFIX="$wasm/googletest/install"
        cmake --build "$wasm/googletest" -j2
        cmake --install "$wasm/googletest"
    fi
    emcmake cmake -S . -B "$wasm/tarvel" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DGTest_DIR="$wasm/googletest/install/lib/cmake/GTest"
    cmake --build "$wasm/tarvel" -j2
    unset NODE_PATH
    # musl takes any locale name and always writes the full stop: a run under es_ES would test
    # nothing the run below does not.
    run_ctest wasm "$wasm/tarvel" Node
    if [ -x "$build/bench/form_bench" ]; then
        bash bench/wasm_bench.sh "$wasm/tarvel" "$build"
    fi
fi

# The web app (src/ui/web) built with emscripten into build-web/web and driven in headless
# Chromium, then in WebKitGTK and Firefox ESR, at a phone and a desktop size, in es-ES and
# en-US, every session compared step by step with the window-less form (tests/web/web_test.py).
# Each engine's own count, in the total.
if [ "${TARVEL_SKIP_WEB:-0}" != 1 ]; then
    stage=web
    tarvel_install web
    web=${WEB_BUILD_DIR:-build-web}
    [[ $web = /* ]] || web=$PWD/$web
    # The control-contract suite over the page's controls needs GoogleTest built with em++:
    # the wasm stage's, or one built here the same way.
    gtest=${WASM_BUILD_DIR:-build-wasm}
    [[ $gtest = /* ]] || gtest=$PWD/$gtest
    gtest=$gtest/googletest
    if [ ! -f "$gtest/install/lib/cmake/GTest/GTestConfig.cmake" ]; then
        NODE_PATH=/usr/share/nodejs emcmake cmake -S /usr/src/googletest -B "$gtest" -G Ninja \
            -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF -Dgtest_disable_pthreads=ON \
            -DCMAKE_INSTALL_PREFIX="$gtest/install"
        NODE_PATH=/usr/share/nodejs cmake --build "$gtest" -j2
        cmake --install "$gtest"
    fi
    emcmake cmake -S . -B "$web" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DGTest_DIR="$gtest/install/lib/cmake/GTest"
    # The app and the contract test only: the wasm stage runs the other suites.
    cmake --build "$web" --target web web_contract_test -j2
    # axe-core (and Lighthouse, for its benchmark), test tooling only, at the versions
    # tests/web/package-lock.json pins.
    command -v npm >/dev/null || tarvel_install npm
    npm ci --prefix tests/web --no-audit --no-fund
    replay=$build/tests/web_replay
    [[ $replay = /* ]] || replay=$PWD/$replay
    log=$(mktemp)
    status=0
    # Debian's python3-selenium is the system Python's.
    /usr/bin/python3 tests/web/web_test.py "$web/web" "$replay" "$web" "$web/tests" \
        | tee "$log" || status=$?
    count_line web "$log"
    [ "$status" = 0 ] || exit "$status"
    # Orca, the screen reader, listening to the app in Chromium as keys are typed
    # (tests/a11y/orca_web_test.py); what it must say comes from the window-less form.
    start=$SECONDS
    stage=orca-web
    bash tests/a11y/run_atspi.sh --orca-web "$web/web" "$replay" | tee "$log" || status=$?
    count_line orca-web "$log"
    echo "orca-web: $((SECONDS - start)) s"
    [ "$status" = 0 ] || exit "$status"
    # The same cases in WebKitGTK (every browser of an iPhone is WebKit) and in Firefox ESR,
    # each a window on an X server of its own, where drop-down picks and pastes are made by
    # real input through that server (tests/web/engines.py). Each engine's count, in the total.
    for engine in webkit firefox; do
        stage=web-$engine
        start=$SECONDS
        status=0
        mkdir -p "$web/$stage"
        ( source scripts/xvfb.sh
          tarvel_start_xvfb "$web/$stage" 1280x1024x24 || exit 1
          trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
          /usr/bin/python3 tests/web/web_test.py --engine "$engine" "$web/web" "$replay" "$web" \
              "$web/tests" || { status=$?; tarvel_evidence "$stage"; exit "$status"; }
        ) | tee "$log" || status=$?
        count_line "$stage" "$log"
        echo "$stage: $((SECONDS - start)) s"
        [ "$status" = 0 ] || exit "$status"
    done
    rm -f "$log"
fi

# The release, twice from fresh clones, compared file by file, then checked as users get it.
if [ "$release" = 1 ]; then
    stage=release
    tarvel_install release
    start=$SECONDS
    log=$(mktemp)
    status=0
    bash tests/release/release_test.sh "${RELEASE_TEST_DIR:-build-release-test}" | tee "$log" || status=$?
    line=$(grep -E '^release: [0-9]+ files, ' "$log" | tail -n 1 || true)
    rm -f "$log"
    if [[ $line =~ \(([0-9]+)\ checks\)$ ]]; then
        passed=$((passed + BASH_REMATCH[1]))
    else
        failed=$((failed + 1))
    fi
    summaries+=("${line:-release: FAILED} in $((SECONDS - start)) s")
    [ "$status" = 0 ] || exit "$status"
    release_dir=${RELEASE_TEST_DIR:-build-release-test}
    check_winget "$release_dir/a/conversor-unidades/dist" || exit 1
fi

# The Debian 12 package installed, run and purged on Debian 13, and the source built and its
# window-less tests run there, in a trixie chroot made by mmdebstrap: the released package
# where the release stage ran, else this commit's (package_test.sh's, where it ran).
if [ "$debian13" = 1 ]; then
    stage=debian13
    deb_dir=${PACKAGE_BUILD_DIR:-build-deb}
    if [ "$release" = 1 ]; then
        deb_dir=${RELEASE_TEST_DIR:-build-release-test}/a/conversor-unidades/dist
    elif [ "$package" = 0 ]; then
        bash scripts/build_deb.sh "$deb_dir" >/dev/null
    fi
    debs=("$deb_dir"/conversor-unidades_*_amd64.deb)
    log=$(mktemp)
    status=0
    bash tests/release/debian13_test.sh "${debs[0]}" "${DEBIAN13_TEST_DIR:-build-debian13}" | tee "$log" ||
        status=$?
    count_line deb-debian13 "$log"
    rm -f "$log"
    [ "$status" = 0 ] || exit "$status"
fi

# Every test again, the window's included, built with clang and with AddressSanitizer and
# UBSan: any report fails its test, and so does a leak that tests/lsan.supp does not name.
# GCC builds the tree above, so clang's warnings are seen every run too.
if [ "${TARVEL_SKIP_SANITIZE:-0}" != 1 ]; then
    stage=sanitizers
    asan=${ASAN_BUILD_DIR:-build-asan}
    export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
    cmake -S . -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVEL_SANITIZE=ON \
        -DCMAKE_CXX_COMPILER=clang++-14
    cmake --build "$asan" -j2
    run_ctest sanitizers "$asan"
    unset ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS
fi

# The fuzz targets, built with clang, each run for a bounded time from its committed seeds.
if [ "${TARVEL_SKIP_FUZZ:-0}" != 1 ]; then
    stage=fuzzing
    fuzz=${FUZZ_BUILD_DIR:-build-fuzz}
    cmake -S . -B "$fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
        -DTARVEL_FUZZ=ON -DTARVEL_WINDOW=OFF
    cmake --build "$fuzz" -j2
    run_ctest fuzzing "$fuzz"
    for log in "$fuzz"/fuzz/*.run/log; do
        echo "$(basename "$(dirname "$log")" .run): $(grep -E '^Done [0-9]+ runs' "$log")"
    done
fi

# The summaries and the total: printed by summary as the script ends.
