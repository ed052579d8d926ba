#!/usr/bin/env bash
# Builds the monitor and starts it wired to the board simulator, for a
# machine without a Varnix-S. The simulator answers the read buttons and
# stops when the monitor's window closes.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build"

"$top/tools/install-deps.sh"
cmake -S "$top" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target Varnix varnix-sim -- -j2

board="$build/varnix-board"
ini="$build/app/Varnix.ini"
# A new settings file starts as the monitor's own first start would write it.
[ -f "$ini" ] || cp "$top/tests/config/data/first-start.ini" "$ini"
if ! grep -qi '^\[PORTAS\]' "$ini"; then
  printf '[PORTAS]\r\n' >> "$ini"
  for n in 1 2 3 4 5; do printf 'COM%s=%s\r\n' "$n" "$board" >> "$ini"; done
fi

"$build/tools/varnix-sim" --link "$board" &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "$board" ] && break; sleep 0.1; done
"$build/app/Varnix"
