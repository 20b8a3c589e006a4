#!/usr/bin/env bash
# Every option a program's --help lists appears in its manual page, and so does every command
# of zarnik-cli with the options of that command: the pages are never out of step.
#   manual_pages_test.sh MAN_DIRECTORY PROGRAM_DIRECTORY
set -uo pipefail
man_dir=$1
export PATH="$2:$PATH"
unset DISPLAY WAYLAND_DISPLAY
export QT_QPA_PLATFORM=offscreen
failures=0

page_text() { gzip -dc "$man_dir/$1.1.gz" | sed 's/\\-/-/g'; }
options_of() { "$@" --help 2>/dev/null | grep -oE '(^|[ ,])--[a-z][a-z0-9-]*' | sed 's/^[ ,]//' | sort -u; }

check() {
    local program=$1
    shift
    local page
    if [ ! -r "$man_dir/$program.1.gz" ]; then
        echo "FAIL: no manual page for $program"
        failures=$((failures + 1))
        return
    fi
    page=$(page_text "$program")
    for option in $(options_of "$program" "$@"); do
        if ! grep -qF -- "$option" <<<"$page"; then
            echo "FAIL: $program $* --help lists $option, its manual page does not"
            failures=$((failures + 1))
        fi
    done
}

for program in zarnik zarnik-cli zarnik-sim; do
    command -v "$program" >/dev/null && check "$program"
done
if command -v zarnik-cli >/dev/null; then
    commands=$(zarnik-cli --help | sed -n '/^Subcommands:/,/^$/s/^  \([a-z][a-z0-9-]*\) .*/\1/p')
    [ -n "$commands" ] || { echo "FAIL: zarnik-cli --help lists no commands"; failures=$((failures + 1)); }
    for c in $commands; do
        grep -q "^\.SS $c\$" <(gzip -dc "$man_dir/zarnik-cli.1.gz") ||
            { echo "FAIL: the manual page has no section for the command $c"; failures=$((failures + 1)); }
        check zarnik-cli "$c"
    done
fi
if [ "$failures" -ne 0 ]; then
    echo "$failures manual page checks failed"
    exit 1
fi
echo "manual pages list every option"
