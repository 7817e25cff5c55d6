#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The performance suite: builds the benchmarks in Release (build-bench), writes
# their seeded inputs into a temporary directory, prints one line per figure
# with its target, and removes the inputs. Extra arguments go to the program,
# e.g. `bash bench/run.sh --rounds 5` or `bash bench/run.sh --only paint,loading`.
# Needs about 3 GiB free in the temporary directory (TMPDIR, else /tmp); the
# scale figures' cache files go there too (0.7 GiB for 3000 slides, 2.7 GiB
# for 12,000).
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DKVARBON_BUILD_BENCH=ON -DKVARBON_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench --target kvarbon-bench >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/kvarbon-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

# Other work on the machine skews every figure: its load is shown before and after.
echo "kvarbon benchmarks: $(nproc) cores, kernel $(uname -r), load$(cut -d' ' -f1-3 /proc/loadavg | sed 's/^/ /')"
status=0
QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy build-bench/bench/kvarbon-bench "$work" "$@" || status=$?
echo "load afterwards$(cut -d' ' -f1-3 /proc/loadavg | sed 's/^/ /')"
exit "$status"
