#!/usr/bin/env bash
# Sets everything up and runs the whole test suite under a virtual X display
# with Mesa's software renderer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
export LIBGL_ALWAYS_SOFTWARE=1
jobs=$(nproc 2>/dev/null || echo 2)
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir build --output-on-failure -j "$jobs"
