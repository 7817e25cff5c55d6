#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes docs/screenshot.png: builds the tool in build/ (reusing an existing
# build), opens it on the demo show under a virtual X display, presses
# "Загрузка слайдов" so the first slide shows, captures the window and closes it.
# KVARBON_BUILD_DIR names another build directory to use instead of build/.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

out="$root/docs/screenshot.png"
build="${KVARBON_BUILD_DIR:-build}"

# Runs inside the virtual display: start the tool, press the button, capture.
capture() {
  # No sound card is needed for a picture.
  export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
  # The tool's messages go to a log, shown only if the window never appears.
  tool_log="$(mktemp)"
  (cd demo && exec "$root/$build/kvarbon" 2>"$tool_log") &
  tool_pid=$!
  trap 'kill -KILL "$tool_pid" 2>/dev/null || true; wait "$tool_pid" 2>/dev/null || true; rm -f "$tool_log"' EXIT

  local wid
  wid="$(timeout 30 xdotool search --sync --onlyvisible --name "Кварбон" | head -n 1)" || true
  if [[ -z "$wid" ]]; then
    # Window names may not survive a non-UTF-8 locale; the process id always does.
    wid="$(timeout 10 xdotool search --sync --onlyvisible --pid "$tool_pid" | head -n 1)" || true
  fi
  if [[ -z "$wid" ]]; then
    echo "screenshot: the window did not appear" >&2
    cat "$tool_log" >&2
    exit 1
  fi
  sleep 1

  # "Загрузка слайдов" (Command3) lies at 180,315 twips, 1770 x 330, inside the
  # group box Frame2 at 6255,45; 15 twips make a pixel. Click its centre, in
  # coordinates of the window's client area.
  local x=$(((6255 + 180 + 1770 / 2) / 15))
  local y=$(((45 + 315 + 330 / 2) / 15))
  xdotool mousemove --window "$wid" "$x" "$y" click 1
  sleep 2

  mkdir -p "$(dirname "$out")"
  import -window "$wid" "$out"
  echo "Wrote $out"

  # Close the tool before the virtual display goes away. Its window cannot be
  # closed through a window manager here (there is none), and the sound
  # library's signal handlers swallow SIGTERM, so drop its X connection and, if
  # it still lingers, end it.
  xdotool windowkill "$wid" 2>/dev/null || true
  local waited=0
  while kill -0 "$tool_pid" 2>/dev/null && ((waited < 50)); do
    sleep 0.1
    waited=$((waited + 1))
  done
  kill -KILL "$tool_pid" 2>/dev/null || true
  wait "$tool_pid" 2>/dev/null || true
  rm -f "$tool_log"
  trap - EXIT
}

if [[ "${1:-}" == "--inside-display" ]]; then
  capture
  exit 0
fi

scripts/install-deps.sh
if [[ ! -f "$build/build.ninja" ]]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKVARBON_BUILD_TESTS=OFF
fi
cmake --build "$build" --target kvarbon

exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" --inside-display
