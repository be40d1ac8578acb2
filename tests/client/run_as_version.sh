#!/usr/bin/env bash
# Runs a test program as Wine reports Windows VERSION: a copy named NAME_VERSION.exe, with
# that version set for the name.  Usage: run_as_version.sh VERSION PROGRAM [ARGS...]
set -eu
version=$1 program=$2
shift 2
dir=$(dirname "$program")
base=$(basename "$program" .exe)
copy="$dir/${base%_test}_$version.exe"
cp "$program" "$copy"
wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$(basename "$copy")" /v Version /d "$version" /f >/dev/null 2>&1
export QVLDEV_INSTANCE="serverinfo_$version"
cd "$dir"
exec wine "$copy" "$@"
