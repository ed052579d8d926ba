#!/usr/bin/env bash
# Builds the monitor and renders its pages to PNG files after a short
# simulated run, without a display: screenshots/leitores.png,
# configuracoes.png and grafico.png.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build"
"$top/tools/install-deps.sh"
cmake -S "$top" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target varnix-screenshot -- -j2
"$build/tools/varnix-screenshot" "${1:-$top/screenshots}" "${2:-12}"
