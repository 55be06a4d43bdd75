#!/bin/bash
# Rewrites the distance-field scene's golden frames (golden/march_<ms>.png) from the current
# plug-in, shaders, textures and timeline. Look at them before committing.
#   tests/scenes/distfield/make_golden.sh [build directory, default build]
set -euo pipefail
root="$(cd "$(dirname "$0")/../../.." && pwd)"
build="${1:-build}"
cd "$root"
cmake --build "$build" --target test_distfield_golden data
DISTFIELD_GOLDEN_UPDATE=1 SDL_AUDIODRIVER=dummy \
    "$build/tests/scenes/distfield/test_distfield_golden"
ls -l tests/scenes/distfield/golden/
