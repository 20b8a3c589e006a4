#!/usr/bin/env bash
# The Windows build, from Linux: installs MinGW-w64 and Wine, cross-builds the core, zarnik-cli.exe
# and the core tests in build-win, runs the tests as .exe files under Wine, then runs
# zarnik-cli.exe under Wine against the simulated station beside the Linux zarnik-cli (which it
# takes from ./build, building just zarnik-sim and zarnik-cli there when needed), and packs the
# Windows zip. Safe to run again: what is installed, fetched or built already is kept.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive

echo "== packages =="
PACKAGES=(
  g++-mingw-w64-x86-64 mingw-w64-tools libz-mingw-w64-dev wine64
  googletest libcli11-dev nlohmann-json3-dev
  cmake ninja-build dpkg-dev unzip ccache
)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
else
  echo "test-windows: all packages present"
fi

echo "== libxlsxwriter's sources (Debian source package) =="
SOURCES=build-win/sources
mkdir -p "$SOURCES"
XLSX_SRC=$(find "$SOURCES" -maxdepth 3 -name xlsxwriter.h -path '*/include/*' -printf '%h\n' 2>/dev/null |
  head -1 | sed 's|/include$||')
if [ -z "$XLSX_SRC" ]; then
  # apt-get source needs the archive's source lists: add them for the archive this machine
  # already uses, once.
  if ! apt-get indextargets --format '$(CREATED_BY)' 2>/dev/null | grep -q '^Sources$'; then
    . /etc/os-release
    uri=$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -1)
    uri=${uri:-http://deb.debian.org/debian}
    printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: %s\n' \
      "$uri" "$VERSION_CODENAME" /usr/share/keyrings/debian-archive-keyring.gpg |
      $SUDO tee /etc/apt/sources.list.d/zarnik-deb-src.sources >/dev/null
    $SUDO apt-get update
  fi
  (cd "$SOURCES" && apt-get source libxlsxwriter)
  XLSX_SRC=$(find "$SOURCES" -maxdepth 3 -name xlsxwriter.h -path '*/include/*' -printf '%h\n' |
    head -1 | sed 's|/include$||')
fi
XLSX_SRC=$(cd "$XLSX_SRC" && pwd)
echo "test-windows: libxlsxwriter from $XLSX_SRC"

LAUNCHER=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$PWD")}" CCACHE_NOHASHDIR=1
  LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

echo "== the Linux zarnik-sim and zarnik-cli =="
if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${LAUNCHER[@]}"
fi
cmake --build build -j2 --target zarnik-sim zarnik-cli

echo "== cross build =="
build_start=$SECONDS
cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DZARNIK_XLSXWRITER_SOURCE_DIR="$XLSX_SRC" "${LAUNCHER[@]}"
cmake --build build-win -j2
echo "test-windows: cross build took $((SECONDS - build_start)) s"

echo "== what zarnik-cli.exe imports =="
x86_64-w64-mingw32-objdump -p build-win/zarnik-cli.exe | sed -n 's/^\tDLL Name: /  /p'

echo "== core tests under Wine =="
test_start=$SECONDS
# Wine now and then fails to start a program when two start at once (no output, a few
# milliseconds): such a test gets up to two more starts. A real failure fails all three.
ctest --test-dir build-win --output-on-failure -j2 --timeout 600 --repeat until-pass:3
echo "test-windows: tests under Wine took $((SECONDS - test_start)) s"

echo "== zarnik-cli.exe under Wine against the simulated station =="
e2e_start=$SECONDS
bash tests/windows/cli_under_wine.sh build build-win
echo "test-windows: end to end took $((SECONDS - e2e_start)) s"

echo "== the Windows zip =="
(cd build-win && cpack -G ZIP >/dev/null)
zip=$(ls -t build-win/zarnik-*-win64.zip | head -1)
unzip -l "$zip"

# Wine's server for this prefix would linger a few seconds; end it now.
WINEPREFIX="$PWD/build-win/wineprefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
echo "== test-windows took $((SECONDS - start)) s =="
