#!/usr/bin/env bash
# Runs the whole test suite: installs what is missing, builds everything, and runs CTest under
# a virtual 1280x720 display (GL tests run for real on Mesa's llvmpipe).
# Extra arguments go to ctest, e.g. ./test.sh -R file_utils
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)"

cd build
export SDL_AUDIODRIVER=dummy
# -noreset: tests connect and leave the shared display at any moment; a server that resets when
# its last client leaves would turn away a test connecting just then.
xvfb-run -a -s "-screen 0 1280x720x24 -noreset" ctest --output-on-failure -j"$(nproc)" "$@"
