#!/usr/bin/env bash
# Builds the Debian package, installs it on this machine, runs the installed programs, checks
# the package with lintian and removes it again. Reuses the build folder of scripts/test.sh.
#   BUILD=build bash scripts/test-package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}
started=$(date +%s)
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive

echo "== package =="
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
rm -f "$BUILD"/zarnik_*.deb
cmake --build "$BUILD" -j2 --target package
deb=$(ls "$BUILD"/zarnik_*_amd64.deb)
echo "built $deb"
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'

echo "== install =="
$SUDO apt-get install -y --no-install-recommends "./$deb"
work=$(mktemp -d)
sim=""
cleanup() {
    [ -n "$sim" ] && kill "$sim" 2>/dev/null || true
    rm -rf "$work"
    $SUDO apt-get remove -y zarnik >/dev/null || true
}
trap cleanup EXIT
fail() { echo "test-package: $*" >&2; exit 1; }

for f in /usr/bin/zarnik /usr/bin/zarnik-cli /usr/bin/zarnik-sim \
         /usr/share/zarnik/zarnik_help.html \
         /usr/share/applications/org.zarnik.Zarnik.desktop \
         /usr/share/metainfo/org.zarnik.Zarnik.metainfo.xml \
         /usr/share/mime/packages/zarnik.xml \
         /usr/share/icons/hicolor/scalable/apps/zarnik.svg \
         /usr/share/icons/hicolor/48x48/apps/zarnik.png \
         /usr/share/man/man1/zarnik.1.gz /usr/share/man/man1/zarnik-cli.1.gz \
         /usr/share/man/man1/zarnik-sim.1.gz \
         /usr/share/bash-completion/completions/zarnik-cli; do
    [ -e "$f" ] || fail "the package did not install $f"
done
if [ -r /usr/share/mime/globs2 ]; then
    grep -q 'application/x-zarnik-configuration:\*\.ats' /usr/share/mime/globs2 ||
        fail "the MIME database does not know *.ats"
fi

echo "== installed programs =="
cd "$work"
/usr/bin/zarnik-cli --version | grep -q '^zarnik-cli [0-9]' || fail "zarnik-cli --version"
/usr/bin/zarnik-cli --dir "$work" new --model Dogwood --version 24.7 -o "$work/blank.ats"
[ -s "$work/blank.ats" ] || fail "zarnik-cli new wrote nothing"

/usr/bin/zarnik-sim --link "$work/COM3" --model Cedar --serial 6105 &
sim=$!
for _ in $(seq 50); do [ -e "$work/COM3" ] && break; sleep 0.1; done
[ -e "$work/COM3" ] || fail "zarnik-sim made no port"
/usr/bin/zarnik-cli --dir "$work" --port "$work/COM3" read -o "$work/read.ats"
/usr/bin/zarnik-cli --dir "$work" dump "$work/read.ats" --tables system >/dev/null
# The desktop program opens a file given to it, as the file manager starts it.
QT_QPA_PLATFORM=offscreen /usr/bin/zarnik --dir "$work" --port "$work/COM3" \
    --screenshots "$work/opened" "$work/read.ats"
[ -s "$work/opened/main_window.png" ] || fail "zarnik FILE.ats drew no window"
kill "$sim"
wait "$sim" 2>/dev/null || true
sim=""

# Started from the menu: in an empty home folder the files go to ~/.local/share/zarnik.
mkdir -p "$work/home"
(cd "$work/home" && env -u XDG_DATA_HOME HOME="$work/home" QT_QPA_PLATFORM=offscreen \
    /usr/bin/zarnik --demo Dogwood --fast --screenshots "$work/shots")
for png in main_window write_panel time_settings; do
    [ -s "$work/shots/$png.png" ] || fail "zarnik --screenshots did not draw $png"
done
[ -d "$work/home/.local/share/zarnik/dat" ] || fail "no dat under ~/.local/share/zarnik"
[ ! -e "$work/home/dat" ] || fail "the program filled the home folder"
man -w zarnik-cli >/dev/null || fail "man zarnik-cli finds no page"
cd - >/dev/null

echo "== lintian =="
lintian --fail-on error --no-tag-display-limit "$deb"

echo "== remove =="
$SUDO apt-get remove -y zarnik
[ ! -e /usr/bin/zarnik ] || fail "zarnik is still installed"
trap 'rm -rf "$work"' EXIT
echo "test-package: passed in $(($(date +%s) - started)) s"
