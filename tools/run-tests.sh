#!/usr/bin/env bash
# Builds everything and runs every test: the window tests headless, the
# system tests on an X server of their own (Xvfb, with the window manager jwm,
# driven by xdotool and read back by tesseract).
#   tools/run-tests.sh [BUILD_DIR [extra cmake arguments...]]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="${1:-$top/build}"
shift || true

"$top/tools/install-deps.sh" xvfb xdotool jwm tesseract-ocr
cmake -S "$top" -B "$build" -G Ninja "$@" >/dev/null
cmake --build "$build" -- -j2
cd "$build"
ctest --output-on-failure -j2
