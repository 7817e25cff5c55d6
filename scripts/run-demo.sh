#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds the tool (Release, in build/) and opens it on
# the bundled demo show: its working directory is demo/, which holds "pic" and "snd".
#
#   scripts/run-demo.sh               build, then open the window
#   scripts/run-demo.sh --build-only  build and stop
#
# Without a display (neither DISPLAY nor WAYLAND_DISPLAY set) the script says so
# and stops with status 1, unless QT_QPA_PLATFORM names a platform to use
# instead (e.g. QT_QPA_PLATFORM=offscreen).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

build_only=0
case "${1:-}" in
  "") ;;
  --build-only) build_only=1 ;;
  *) echo "usage: scripts/run-demo.sh [--build-only]" >&2; exit 2 ;;
esac

if ((!build_only)) && [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
  echo "No display: run it under a virtual display with: xvfb-run -a scripts/run-demo.sh" >&2
  exit 1
fi

scripts/install-deps.sh
# Debian's compiler and linker flags with every hardening feature, as
# dpkg-buildflags gives them, so that the package made from this build (cpack)
# is built as Debian builds its own.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DKVARBON_BUILD_TESTS=OFF \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake --build build

if ((build_only)); then
  exit 0
fi

cd demo
exec ../build/kvarbon
