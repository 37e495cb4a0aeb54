#!/usr/bin/env bash
# The project's test command: packages, a sanitizer build, every CTest test, then a short
# smoke run of every fuzz target. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"

FUZZ_SECONDS="${FUZZ_SECONDS:-20}"

./scripts/deps.sh

cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON \
      -DCMAKE_CXX_FLAGS_DEBUG="-g -O1"
cmake --build build/asan -j2

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1"
(cd build/asan && ctest --output-on-failure -j2)

cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_FUZZ=ON \
      -DCMAKE_CXX_COMPILER=clang++ -DBUILD_TESTING=OFF
cmake --build build/fuzz -j2 --target fuzzers
./scripts/fuzz-smoke.sh build/fuzz "$FUZZ_SECONDS"
