#!/usr/bin/env bash
# Installs what is needed, builds the program and starts it in the current folder
# (its files hoxa_NIVORA.ini, hoxa_q310.ini and my0.txt ... my9.txt live there).
set -euo pipefail
here="$(pwd)"
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

bash "$repo/tools/deps.sh"
cmake -S "$repo" --preset default >/dev/null
cmake --build "$repo/build" --target hoxa_Nivora -j"$(nproc)"

cd "$here"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display is available, so the window cannot be shown."
  echo "Start the program under a virtual display instead:"
  echo "  xvfb-run -a $repo/build/hoxa_Nivora"
  exit 1
fi
exec "$repo/build/hoxa_Nivora"
