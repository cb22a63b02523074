#!/usr/bin/env bash
# Installs what is missing, builds Vantrel and runs every test under a virtual display.
#   ./test.sh             the build and every test, Linux and Windows, and the
#                         fuzz targets over their corpus (when clang is there)
#   ./test.sh --sanitize  the Linux tests once more, built with AddressSanitizer
#                         and UndefinedBehaviorSanitizer in a folder of their own
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh build run test

werror=OFF
[ -n "${CI:-}" ] && werror=ON

if [ "${1:-}" = --sanitize ]; then
    flags="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
    cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DVANTREL_WERROR="$werror" -DCMAKE_CXX_FLAGS="$flags" \
        -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
    cmake --build build-sanitize
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
    export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan-suppressions.txt:print_suppressions=0"
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    scripts/with-display.sh --dpi 96 \
        ctest --test-dir build-sanitize --output-on-failure
    exit
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_WERROR="$werror"
cmake --build build

scripts/with-display.sh --dpi 96 \
  ctest --test-dir build --output-on-failure
scripts/with-display.sh scripts/test-windows.sh

# The fuzz targets need clang's libFuzzer; each replays its corpus once.
if command -v clang++ >/dev/null; then
    cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_WERROR="$werror" \
        -DCMAKE_CXX_COMPILER=clang++ -DVANTREL_FUZZ=ON -DVANTREL_GUI=OFF -DBUILD_TESTING=OFF
    cmake --build build-fuzz --target fuzz_targets
    ctest --test-dir build-fuzz --output-on-failure
fi
