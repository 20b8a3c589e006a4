#!/usr/bin/env bash
# Makes a program's manual page from its own --help with help2man, so the page always lists
# what the program accepts. A program with commands (zarnik-cli) gets a COMMANDS section made
# from each command's --help.
#   make-manpage.sh PROGRAM_DIR PROGRAM VERSION "SHORT DESCRIPTION" OUTPUT
set -euo pipefail
dir=$1 program=$2 version=$3 name=$4 out=$5
export PATH="$dir:$PATH"
# The program sees no display: the desktop program answers --help without one.
unset DISPLAY WAYLAND_DISPLAY
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8

include=$(mktemp)
trap 'rm -f "$include"' EXIT
{
    echo '[FILES]'
    echo 'The base folder holds \fBdat\fR (configuration files \fI*.ats\fR, the backup'
    echo '\fIats.bak\fR, automatic backups under \fBdat/auto\fR and the name files) and'
    echo '\fBZarnik_M.cfg\fR (the serial port). It is the folder given with \fB\-\-dir\fR, else'
    echo 'the current folder.'
    if [ "$program" = zarnik ]; then
        echo 'Started in the home folder (as from the desktop menu) with none of these files'
        echo 'there, the desktop program uses \fI$XDG_DATA_HOME/zarnik\fR (by default'
        echo '\fI~/.local/share/zarnik\fR) and creates it on first start.'
    fi
    echo '[SEE ALSO]'
    echo '.BR zarnik (1),'
    echo '.BR zarnik\-cli (1),'
    echo '.BR zarnik\-sim (1)'
} >"$include"

commands=$("$program" --help | sed -n '/^Subcommands:/,/^$/s/^  \([a-z][a-z0-9-]*\) .*/\1/p')
if [ -n "$commands" ]; then
    {
        echo '[COMMANDS]'
        for c in $commands; do
            echo ".SS $c"
            echo '.nf'
            # Everything after the command's own usage line, without the common footer.
            "$program" "$c" --help | sed -e '/^Exit codes:/,$d' -e "s/^Usage: [^ ]*/Usage: $program/" |
                sed -e 's/\\/\\e/g' -e "s/^\\([.']\\)/\\\\\\&\\1/"
            echo '.fi'
        done
    } >>"$include"
fi

help2man --no-info --locale=C.UTF-8 --section=1 --version-string="$version" --name="$name" \
    --include="$include" --output="$out" "$program"
