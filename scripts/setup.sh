#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12, idempotently and quietly.
# Run as root. Safe to run again: it only acts on what is missing.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
log=$(mktemp)
policy_made=
trap 'rm -f "$log"; [ -z "$policy_made" ] || rm -f "$policy_made"' EXIT

quiet() { "$@" >"$log" 2>&1 || { cat "$log" >&2; echo "setup: failed: $*" >&2; exit 1; }; }

packages=(g++-mingw-w64-i686 mingw-w64-tools binutils-mingw-w64-i686 wine wine32:i386 wine64
          fonts-wine xvfb xauth xdotool imagemagick cmake make googletest dpkg-dev
          libimage-exiftool-perl icoutils x11-utils nsis fp-utils jq python3 python3-prometheus-client
          python3-jsonschema curl monitoring-plugins-basic libmonitoring-plugin-perl
          mailutils) # the mailx nagios4-common needs, without the mail server bsd-mailx brings
# The monitoring systems the tests start themselves, on free loopback ports (package:service).
# Their packages start and enable a system-wide service; those that setup installs are kept
# stopped and disabled, so that nothing of theirs runs unasked beside the tests.
daemons=(prometheus:prometheus prometheus-node-exporter:prometheus-node-exporter
         prometheus-alertmanager:prometheus-alertmanager nagios4-core:nagios4 icinga2-bin:icinga2)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
missing_daemons=() units=()
for d in "${daemons[@]}"; do
  installed "${d%%:*}" || { missing_daemons+=("${d%%:*}"); units+=("${d#*:}"); }
done

need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  quiet dpkg --add-architecture i386
  need_update=1
fi
. "$here/scripts/apt-mirror.sh"

# apt-get source needs a deb-src entry (libjpeg is built from Debian's sources for mingw).
if ! grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  mirror=$(host_mirror)
  [ -n "$mirror" ] || { echo "setup: no Debian mirror found in the host's apt sources" >&2; exit 1; }
  cat >/etc/apt/sources.list.d/qvl-deb-src.sources <<SRC
Types: deb-src
URIs: $mirror
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  need_update=1
fi
if ((${#missing[@]})) || ((${#missing_daemons[@]})) || ((need_update)); then
  what=("${missing[@]}" "${missing_daemons[@]}")
  echo "setup: installing ${what[*]:-package lists}"
  export DEBIAN_FRONTEND=noninteractive
  quiet apt-get update
  ((${#missing[@]})) && quiet apt-get install -y --no-install-recommends "${missing[@]}"
fi
if ((${#missing_daemons[@]})); then
  # policy-rc.d is Debian's switch that keeps maintainer scripts from starting services
  # (invoke-rc.d and deb-systemd-invoke ask it); one already there is left as it is.
  if [ ! -e /usr/sbin/policy-rc.d ]; then
    policy_made=/usr/sbin/policy-rc.d
    printf '#!/bin/sh\nexit 101\n' >"$policy_made"
    chmod 755 "$policy_made"
  fi
  quiet apt-get install -y --no-install-recommends "${missing_daemons[@]}"
  [ -z "$policy_made" ] || { rm -f "$policy_made"; policy_made=; }
  for unit in "${units[@]}"; do
    if [ -d /run/systemd/system ]; then
      systemctl disable --now --quiet "$unit.service" >"$log" 2>&1 || true
    elif [ -x "/etc/init.d/$unit" ]; then
      update-rc.d "$unit" disable >"$log" 2>&1 || true
    fi
  done
fi

# libjpeg-turbo built for i686 mingw (win32 thread model, like the programs that link it),
# static, into a cache folder of the checkout.
jpeg_prefix="$here/.deps/libjpeg-turbo-win32"
if [ ! -f "$jpeg_prefix/lib/cmake/libjpeg-turbo/libjpeg-turboConfig.cmake" ]; then
  echo "setup: building libjpeg-turbo for mingw"
  src="$here/.deps/src"
  rm -rf "$src" && mkdir -p "$src"
  (cd "$src" && quiet apt-get source --download-only libjpeg-turbo)
  tarball=$(ls "$src"/libjpeg-turbo_*.orig.tar.gz | head -1)
  quiet tar -xzf "$tarball" -C "$src"
  dir=$(find "$src" -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -1)
  quiet cmake -S "$dir" -B "$src/build" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-i686-win32.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DENABLE_SHARED=OFF -DWITH_TURBOJPEG=OFF -DWITH_SIMD=OFF \
    -DCMAKE_INSTALL_PREFIX="$jpeg_prefix"
  quiet cmake --build "$src/build" -j2 --target install
  rm -rf "$src"
fi

# Some hosts execute 64-bit user code only: every i386 program, Wine's 32-bit side among them,
# fails there with "Exec format error". On such a host the kernel is told to run i386 programs
# through qemu's user-mode emulator (binfmt_misc). Bookworm's qemu 7.2 cannot give Wine the
# address ranges it reserves at start; the backports' qemu 10 can.
if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  qemu=/usr/bin/qemu-i386
  if [ ! -x "$qemu" ]; then
    echo "setup: this host runs no 32-bit programs; installing qemu's i386 emulator"
    mirror=$(host_mirror)
    [ -n "$mirror" ] || { echo "setup: no Debian mirror found in the host's apt sources" >&2; exit 1; }
    if ! grep -rqs 'bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d/; then
      cat >/etc/apt/sources.list.d/qvl-backports.sources <<SRC
Types: deb
URIs: $mirror
Suites: bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    fi
    export DEBIAN_FRONTEND=noninteractive
    quiet apt-get update
    quiet apt-get install -y --no-install-recommends -t bookworm-backports qemu-user
  fi
  binfmt=/proc/sys/fs/binfmt_misc
  [ -f "$binfmt/register" ] || quiet mount -t binfmt_misc binfmt_misc "$binfmt"
  if [ ! -f "$binfmt/qvl-i386" ]; then
    printf '%s' ':qvl-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$qemu"':F' \
      >"$binfmt/register"
  fi
  /lib/ld-linux.so.2 --version >/dev/null 2>&1 ||
    { echo "setup: i386 programs still do not run on this host" >&2; exit 1; }
fi
