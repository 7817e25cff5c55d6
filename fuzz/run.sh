#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) in build-fuzz/ and runs each for a bounded time
# on a seed corpus made of the demo show's files and small generated ones.
#
#   bash fuzz/run.sh [seconds]        every target, each for that long (default 60)
#   bash fuzz/run.sh [seconds] NAME   only fuzz_NAME (sound, slide, assignment_list, container_reader)
#
# The targets run side by side, so the whole run takes about `seconds` after
# the build. Inputs that found new paths are kept in build-fuzz/corpus/ for
# the next run; an input that crashes, hangs or leaks is written to
# build-fuzz/artifacts/ and the script ends with status 1. Each target's log is
# in build-fuzz/logs/. See docs/reliability.md.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

seconds="${1:-60}"
only="${2:-}"
build=build-fuzz
targets=(sound slide assignment_list container_reader)
if [[ ! "$seconds" =~ ^[0-9]+$ ]] || [[ -n "$only" && ! " ${targets[*]} " =~ " $only " ]]; then
  echo "usage: bash fuzz/run.sh [seconds] [sound|slide|assignment_list|container_reader]" >&2
  exit 2
fi
if [[ -n "$only" ]]; then targets=("$only"); fi

declare -A max_len=([sound]=65536 [slide]=65545 [assignment_list]=4096 [container_reader]=65536)

bash scripts/install-deps.sh

# Optimised a little and with line tables only: quick to build and to run,
# and crash reports still name the source lines.
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=None \
  -DCMAKE_CXX_FLAGS="-O1 -gline-tables-only" -DKVARBON_SANITIZE=ON -DKVARBON_BUILD_FUZZERS=ON \
  -DKVARBON_BUILD_TESTS=OFF -DKVARBON_WERROR=OFF >/dev/null
cmake --build "$build" --target fuzz_seeds $(printf 'fuzz_%s ' "${targets[@]}")

export QT_QPA_PLATFORM=offscreen
# Damaged pictures make Qt's decoders warn on every input; the warnings only slow the run.
export QT_LOGGING_RULES="qt.gui.imageio*=false"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

rm -rf "$build/seeds" "$build/logs"
mkdir -p "$build/seeds" "$build/logs" "$build/artifacts"
"$build/fuzz/fuzz_seeds" "$build/seeds" demo

pids=()
for t in "${targets[@]}"; do
  mkdir -p "$build/corpus/$t"
  "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len="${max_len[$t]}" \
    -keep_seed=1 -print_final_stats=1 -artifact_prefix="$build/artifacts/$t-" \
    "$build/corpus/$t" "$build/seeds/$t" >"$build/logs/$t.log" 2>&1 &
  pids+=($!)
done

failed=()
for i in "${!targets[@]}"; do
  t="${targets[$i]}"
  if wait "${pids[$i]}"; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/logs/$t.log")
    echo "fuzz_$t: ${runs:-?} inputs in ${seconds}s, no failure"
  else
    failed+=("$t")
    echo "fuzz_$t FAILED; its log ($build/logs/$t.log) ends:"
    tail -n 60 "$build/logs/$t.log"
  fi
done

if ((${#failed[@]} > 0)); then
  echo "Failing inputs are in $build/artifacts/: ${failed[*]}" >&2
  exit 1
fi
