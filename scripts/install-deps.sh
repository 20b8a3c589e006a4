#!/usr/bin/env bash
# Installs the Debian packages Zarnik needs to build and test. Safe to run again:
# packages already present are skipped, and nothing is asked when all are there.
set -euo pipefail
PACKAGES=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev nlohmann-json3-dev
  libxlsxwriter-dev zlib1g-dev
  qt6-base-dev qt6-base-dev-tools libqt6test6
  xvfb xauth fonts-dejavu-core unzip ccache
)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends "${missing[@]}"
