#!/usr/bin/env bash
# The console starts and shows the demo system's tree while Wine reports Windows VERSION for it
# (a copy named qvlswap_VERSION.exe beside the DLLs, with that version set for the name).
# Usage: console_as_version.sh VERSION BIN_DIR
set -u
version=$1 bin=$2
cd "$bin"
copy="qvlswap_$version.exe"
cp qvlswap.exe "$copy"
wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$copy" /v Version /d "$version" /f >/dev/null 2>&1
export QVLDEV_INSTANCE="console_$version" QVLDEV_SCENARIO=
wine ./qvlsim.exe reset >/dev/null 2>&1
wine "./$copy" </dev/null >/dev/null 2>&1 &
# The demo tree: the local host, 2 controllers, 6 channels, 9 devices.
wine ./tree_probe.exe "Quorvel Hot-Swap Utility" 18
status=$?
wait
rm -f "$copy"
exit $status
