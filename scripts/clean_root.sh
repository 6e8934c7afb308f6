# A clean Debian 12 root to build and install the package in, as a build
# daemon would: `mmdebstrap --variant=apt bookworm` from this machine's Debian
# apt sources, kept as a tar file outside the source tree and made afresh
# once a week. Sourced by scripts/package.sh and the package test; needs
# root (mmdebstrap, chroot, mount).
#
#   clean_root_make DIR        DIR becomes a fresh copy of the clean root
#   clean_root_run DIR CMD...  runs CMD inside it (own /proc, no network
#                              set-up beyond the host's resolv.conf)
#
# Both return 77 and say why in one line when no Debian mirror answers.

clean_root_cache=${ZB_ROOT_CACHE:-/var/cache/zembrant}
clean_root_tar=$clean_root_cache/bookworm-apt.tar

# What apt prints when it reaches no mirror.
clean_root_offline() {
  grep -qE 'Temporary failure resolving|Could not resolve|Failed to fetch|Unable to connect|Could not connect|Network is unreachable' "$1"
}

# The machine's apt sources that name bookworm (third parties' need keys the
# root lacks); none: mmdebstrap's own default mirror.
clean_root_sources() {
  local f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [[ -f $f ]] && grep -q bookworm "$f" && echo "$f"
  done
  return 0
}

clean_root_base() {
  if [[ -f $clean_root_tar && -n $(find "$clean_root_tar" -mtime -7) ]]; then return 0; fi
  mkdir -p "$clean_root_cache"
  local log=$clean_root_cache/mmdebstrap.log sources
  mapfile -t sources < <(clean_root_sources)
  rm -rf "$clean_root_tar.new"
  if ! mmdebstrap --variant=apt --format=tar bookworm "$clean_root_tar.new" "${sources[@]}" >"$log" 2>&1; then
    if clean_root_offline "$log"; then
      echo "no Debian mirror reachable ($(grep -m1 -oE '(Temporary failure resolving|Could not resolve|Failed to fetch|Unable to connect|Could not connect|Network is unreachable)[^]]*' "$log"))"
      return 77
    fi
    tail -20 "$log"
    echo "mmdebstrap failed (the whole log is in $log)"
    return 1
  fi
  mv "$clean_root_tar.new" "$clean_root_tar"
}

clean_root_make() {
  local dir=$1
  clean_root_base || return
  rm -rf "$dir"
  mkdir -p "$dir"
  tar -x -C "$dir" -f "$clean_root_tar" || return
  cp -L /etc/resolv.conf "$dir/etc/resolv.conf" 2>/dev/null || true
}

clean_root_run() {
  local dir=$1
  shift
  env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive \
    ${DISPLAY:+DISPLAY=$DISPLAY} \
    unshare --mount --fork -- sh -c 'mount -t proc proc "$0/proc" && exec chroot "$0" "$@"' "$dir" "$@"
}
