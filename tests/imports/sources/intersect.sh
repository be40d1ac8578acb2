#!/usr/bin/env bash
# Prints, sorted, the names found in every table given (tables: '#' comment lines, then names
# separated by blanks or newlines). Used once by hand to write the lists one level up; the check
# itself reads only those lists.
set -eu
names() { grep -v '^#' "$1" | tr -s ' \t' '\n\n' | grep . | sort -u; }
out=$(names "$1"); shift
for t in "$@"; do out=$(comm -12 <(echo "$out") <(names "$t")); done
echo "$out"
