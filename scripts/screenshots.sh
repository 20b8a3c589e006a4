#!/usr/bin/env bash
# Pictures of the desktop program for the README, made by the program itself on a simulated
# station without a display: docs/main_window.png, docs/write_panel.png, docs/time_settings.png.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target zarnik zarnik-sim
out="$(pwd)/docs"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
(cd "$work" && QT_QPA_PLATFORM=offscreen "$OLDPWD/build/zarnik" --demo Dogwood --screenshots "$out")
ls -l "$out"/*.png
