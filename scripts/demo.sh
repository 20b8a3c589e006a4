#!/usr/bin/env bash
# The main job on a machine with no station attached: the desktop program on a simulated
# station. Where there is no display, the headless summary instead: start a simulated station,
# read it into a configuration file under "dat", and print what was read.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
MODEL="${1:-Dogwood}"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  cmake --build build -j2 --target zarnik zarnik-sim
  exec ./build/zarnik --demo "$MODEL"
fi
echo "demo: no display here (DISPLAY is not set), so the desktop program cannot open;"
echo "demo: reading a simulated $MODEL with zarnik-cli instead."
cmake --build build -j2 --target zarnik-sim zarnik-cli
link_dir="$(mktemp -d)"
./build/zarnik-sim --link "$link_dir/COM3" --model "$MODEL" --name "Офис" > "$link_dir/ready" &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null; rm -rf "$link_dir"' EXIT
for _ in $(seq 50); do grep -q ready "$link_dir/ready" 2>/dev/null && break; sleep 0.1; done
mkdir -p dat
ZARNIK_SERIAL_DIR="$link_dir" ./build/zarnik-cli --port COM3 --yes read -o "dat/station.ats"
