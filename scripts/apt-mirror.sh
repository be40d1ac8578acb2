# Sourced by setup.sh: the Debian mirror this host is set up for, the first archive of its own
# apt sources that is not the security archive (deb822 files or one-line entries), so that the
# entries setup adds use it and never a mirror of their own. QVL_APT_ETC stands for /etc/apt.
host_mirror() {
  local etc=${QVL_APT_ETC:-/etc/apt} f
  {
    for f in "$etc"/sources.list.d/*.sources; do
      [ -f "$f" ] && sed -n 's/^URIs: *\([^ ]*\).*/\1/p' "$f"
    done
    for f in "$etc"/sources.list "$etc"/sources.list.d/*.list; do
      [ -f "$f" ] && sed -n 's/^deb \(\[[^]]*\] *\)\{0,1\}\([^ ]*\).*/\2/p' "$f"
    done
  } | grep -v security | head -1 || true
}
