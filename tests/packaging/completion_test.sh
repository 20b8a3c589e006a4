#!/usr/bin/env bash
# The bash completion of zarnik-cli completes commands, options, table keys after --tables
# (also after a comma), models, and configuration files.
#   completion_test.sh COMPLETION_FILE DIRECTORY_OF_ZARNIK_CLI
set -uo pipefail
completion=$1
export PATH="$2:$PATH"
bc=/usr/share/bash-completion/bash_completion
if [ ! -r "$bc" ]; then
    echo "bash-completion is not installed; skipped"
    exit 77
fi
# shellcheck source=/dev/null
source "$bc"
# shellcheck source=/dev/null
source "$completion"

failures=0
# Completes the words of a command line (a trailing space starts a new word).
complete_line() {
    COMP_LINE=$1
    read -ra COMP_WORDS <<<"$1"
    [[ $1 == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _zarnik_cli zarnik-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' '
}
expect() {
    local got
    got=$(complete_line "$1")
    if [ "$got" != "$2" ]; then
        echo "FAIL: '$1' completed to '$got', expected '$2'"
        failures=$((failures + 1))
    fi
}
expect_contains() {
    local got
    got=$(complete_line "$1")
    for word in $2; do
        if [[ " $got " != *" $word "* ]]; then
            echo "FAIL: '$1' completed to '$got', which lacks '$word'"
            failures=$((failures + 1))
        fi
    done
}

expect_contains "zarnik-cli " "info clock read write report dump new clear diff"
expect_contains "zarnik-cli --" "--port --dir --yes --trace --version --help"
expect "zarnik-cli read --tables tr" "trunks "
expect "zarnik-cli read --tables time,gr" "time,groupbooks time,groups "
expect_contains "zarnik-cli info --tables " "time system book redirect progn flash routing trunks lines groups doors groupbooks ggs buttons conf bwlist"
expect_contains "zarnik-cli dump --" "--json --tables --port"
expect "zarnik-cli new --model " "Alder Birch Cedar Dogwood "
expect "zarnik-cli --port COM" "COM1 COM2 COM3 COM4 "

# Configuration files: .ats files and folders, nothing else.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/dat"
touch "$work/office.ats" "$work/notes.txt"
cd "$work" || exit 1
expect "zarnik-cli dump " "dat office.ats "
expect "zarnik-cli write --tables time " "dat office.ats "

if [ "$failures" -ne 0 ]; then
    echo "$failures completion checks failed"
    exit 1
fi
echo "completion checks passed"
