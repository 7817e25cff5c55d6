#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, then builds and runs every test twice: a normal
# build with warnings as errors, and a build with AddressSanitizer,
# UndefinedBehaviorSanitizer and LeakSanitizer that halts on the first error.
# Last, the fuzz targets run briefly (fuzz/run.sh; KVARBON_FUZZ_SECONDS, default 60).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
export SDL_AUDIODRIVER=dummy

echo "== normal build (warnings as errors; the benchmarks are built too, not run)"
cmake -S . -B build-ci -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVARBON_WERROR=ON -DKVARBON_BUILD_BENCH=ON
cmake --build build-ci -j "$jobs"
ctest --test-dir build-ci --output-on-failure -j "$jobs" --timeout 300

echo "== sanitizer build (AddressSanitizer + UndefinedBehaviorSanitizer + LeakSanitizer)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKVARBON_WERROR=ON -DKVARBON_SANITIZE=ON
cmake --build build-asan -j "$jobs"
# Leaks are reported except those listed in scripts/lsan.supp, which are all
# inside system libraries (see docs/reliability.md).
ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=1 \
LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0" \
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" --timeout 600

echo "== fuzz targets (clang, libFuzzer)"
bash fuzz/run.sh "${KVARBON_FUZZ_SECONDS:-60}"
