#!/usr/bin/env bash
# Pictures of the desktop program for the README, made by the program itself on a simulated
# station without a display: the main window and the write panel by `zarnik --screenshots`,
# the other windows by the GUI tests that draw them when ZARNIK_SCREENSHOT_DIR is set.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target zarnik zarnik-sim zarnik_gui_tests
out="$(pwd)/docs"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
(cd "$work" && QT_QPA_PLATFORM=offscreen "$OLDPWD/build/zarnik" --demo Dogwood --screenshots "$out")
(cd "$work" && QT_QPA_PLATFORM=offscreen ZARNIK_SCREENSHOT_DIR="$out" \
   "$OLDPWD/build/zarnik_gui_tests" --gtest_filter='*Screenshot*:*Pictured*:-TrunkLinePanel.Screenshot' >/dev/null)
ls -l "$out"/*.png
