#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The soak (not part of CI): plays the demo show with repeat at 50 frames per
# second, a sound on every frame, through the real window (offscreen) and the
# real sound output (SDL's dummy driver), and samples the resident memory. It
# fails if the memory grows after the first minute or anything is printed.
#
#   bash scripts/soak.sh [minutes]     default 20
#
# Builds the long checks in build-soak/ (RelWithDebInfo, no sanitizers, so the
# figures are the tool's own). The figures go to stdout; docs/reliability.md records a run.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
minutes="${1:-20}"

bash scripts/install-deps.sh
cmake -S . -B build-soak -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVARBON_BUILD_BENCH=ON >/dev/null
cmake --build build-soak --target kvarbon-long-checks

# A private runtime directory, so that Qt has nothing to warn about at start.
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy \
KVARBON_SOAK_SHOW="$root/demo" KVARBON_SOAK_SECONDS=$((minutes * 60)) \
  build-soak/bench/checks/kvarbon-long-checks --gtest_filter='Soak.*'
