#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real program, started where "pic" is missing: it names the folder in a
# message box and on stderr, shows no main window, and exits with status 1.
# Usage: startup_failure.sh PATH-TO-KVARBON (run under a display, e.g. xvfb-run).
set -euo pipefail
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/snd"

cd "$work"
SDL_AUDIODRIVER=dummy "$program" 2>"$work/stderr" &
pid=$!

# The message box carries the application's title.
if ! box=$(timeout 60 xdotool search --sync --onlyvisible --name '^Кварбон$' | head -1); then
  echo "no message box appeared"; kill "$pid" 2>/dev/null; exit 1
fi
if xdotool search --onlyvisible --name 'Кварбон  ZEL' >/dev/null 2>&1; then
  echo "the main window was shown"; kill "$pid"; exit 1
fi
xdotool windowactivate --sync "$box" key Return 2>/dev/null || xdotool key Return
status=0
wait "$pid" || status=$?

cat "$work/stderr"
[[ $status -eq 1 ]] || { echo "exit status $status, expected 1"; exit 1; }
grep -q "pic" "$work/stderr" || { echo "stderr does not name the folder"; exit 1; }
grep -qF "Не удалось открыть папку «$work/pic»: No such file or directory" "$work/stderr" || { echo "stderr does not give the reason"; exit 1; }
echo "start-up failure reported as expected"
