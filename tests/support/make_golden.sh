#!/bin/bash
# Rewrites a scene's golden frames (tests/scenes/<scene>/golden/) from the current plug-in,
# shaders, assets and timeline. Look at them before committing.
#   tests/support/make_golden.sh <scene> [build directory, default build]
# <scene> is the folder name under scenes/ (distfield, pillars, ...).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
scene="${1:?usage: make_golden.sh <scene> [build directory]}"
build="$(cd "$root" && realpath "${2:-build}")"
cd "$root"
cmake --build "$build" -j"$(nproc)" --target golden_frames demorender data
cmake --build "$build" -j"$(nproc)"
cd "$build"
wrap=()
[ -n "${DISPLAY:-}" ] || wrap=(xvfb-run -a -s "-screen 0 1280x720x24")
GOLDEN_UPDATE=1 SDL_AUDIODRIVER=dummy "${wrap[@]}" ctest -R "^scenes_${scene}_golden\$" --output-on-failure
ls -l "$root/tests/scenes/$scene/golden/"
