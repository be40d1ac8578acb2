#!/usr/bin/env bash
# The mirror that setup.sh writes into the sources it adds is the host's own, whatever form the
# host's apt sources take; a host without one gets none (and setup stops with a reason).
# Usage: check_apt_mirror.sh PROJECT_DIR
set -u
. "$1/scripts/apt-mirror.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0

# label | file | its text | the mirror expected
while IFS='|' read -r label file text want; do
  rm -rf "$work/etc" && mkdir -p "$work/etc/sources.list.d"
  [ -n "$file" ] && printf '%b' "$text" >"$work/etc/$file"
  got=$(QVL_APT_ETC="$work/etc" host_mirror)
  if [ "$got" = "$want" ]; then passed=$((passed + 1)); else
    echo "FAIL: $label: got '$got', want '$want'"; failed=$((failed + 1)); fi
done <<'CASES'
deb822 file|sources.list.d/debian.sources|Types: deb\nURIs: http://mirror.example.net/debian\nSuites: bookworm\n|http://mirror.example.net/debian
deb822, security first|sources.list.d/debian.sources|Types: deb\nURIs: http://sec.example.net/debian-security\nSuites: bookworm-security\n\nTypes: deb\nURIs: http://ftp.example.org/debian\n|http://ftp.example.org/debian
one-line sources.list|sources.list|# comment\ndeb http://local.example.com/debian bookworm main\n|http://local.example.com/debian
one-line with options|sources.list.d/x.list|deb [arch=amd64 signed-by=/k.gpg] http://opt.example.com/debian bookworm main\n|http://opt.example.com/debian
only deb-src lines|sources.list|deb-src http://src.example.com/debian bookworm main\n|
no sources at all|||
CASES

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
