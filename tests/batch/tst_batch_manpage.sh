#!/bin/sh
# The manual page of lumigrove-batch says what its --help says: groff renders the page
# without a warning, and its body, from SYNOPSIS to SEE ALSO without the headings, holds
# every word of the help text in order and nothing else (a value name set in italics there
# rather than in angle brackets).
#
#   tst_batch_manpage.sh PROGRAM PAGE.1.gz
set -eu
program=$1 page=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

ASAN_OPTIONS=detect_leaks=0 "$program" --help |
    sed -e 's/^Usage: //' -e '/^Options:$/d' -e '/^Arguments:$/d' -e 's/^Exit status: //' \
        -e 's/<\([^<> ]*\)>/\1/g' |
    tr -s ' \n' '\n\n' > "$work/help"

gzip -dc "$page" | groff -man -Tascii -P-cbou -rLL=200n -ww > "$work/rendered" 2> "$work/warnings"
if [ -s "$work/warnings" ]; then
    echo "groff warns about $page:" >&2
    cat "$work/warnings" >&2
    exit 1
fi
awk '/^SYNOPSIS$/ { body = 1; next } /^SEE ALSO$/ { body = 0 } body && !/^[A-Z][A-Z ]*$/' \
    "$work/rendered" | tr -s ' \n' '\n\n' | sed '/^$/d' > "$work/page"
sed -i '/^$/d' "$work/help"

if ! diff -u "$work/help" "$work/page" > "$work/diff"; then
    echo "$page differs from $program --help (- help, + page):" >&2
    cat "$work/diff" >&2
    exit 1
fi
