#!/usr/bin/env bash
# Builds the Debian package build/package/zembrant_<version>_<arch>.deb with
# dpkg-buildpackage from the committed tree (`git archive` of HEAD: what is
# not committed is left out), and checks it with lintian --pedantic where
# lintian is installed: any error or warning fails.
#
#   scripts/package.sh               builds on this machine, installing the
#                                    Build-Depends of debian/control first
#                                    (apt-get build-dep) when some are missing
#   scripts/package.sh --clean-root  builds in a clean Debian 12 root, as a
#                                    build daemon would (scripts/clean_root.sh;
#                                    root only); status 77 when no Debian
#                                    mirror answers
#
# The version is the one of project() in CMakeLists.txt, and debian/changelog
# must name it.
set -euo pipefail
cd "$(dirname "$0")/.."
say() { echo "package: $*" >&2; }

clean=false
case ${1:-} in
  "") ;;
  --clean-root) clean=true ;;
  *) echo "usage: scripts/package.sh [--clean-root]" >&2; exit 2 ;;
esac

version=$(sed -n 's/^project(zembrant VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[[ -n $version ]] || { say "no version in CMakeLists.txt"; exit 1; }
logged=$(sed -n '1s/^zembrant (\([^)]*\)).*/\1/p' debian/changelog)
[[ $logged == "$version" ]] ||
  { say "debian/changelog's last entry is $logged, CMakeLists.txt says $version: add an entry (dch -v $version)"; exit 1; }
command -v git >/dev/null && git rev-parse --git-dir >/dev/null 2>&1 ||
  { say "not a git checkout: run dpkg-buildpackage -b in the source tree instead"; exit 1; }
[[ -z $(git status --porcelain --untracked-files=no) ]] ||
  say "uncommitted changes are left out: the package is built from the last commit"

out=build/package
source=zembrant-$version
rm -rf "$out"
mkdir -p "$out"
git archive --format=tar --prefix="$source/" HEAD | tar -x -C "$out"
deb=zembrant_${version}_$(dpkg --print-architecture 2>/dev/null || echo unknown).deb
log=$out/build.log

if $clean; then
  [[ $(id -u) == 0 ]] || { say "--clean-root needs root (mmdebstrap, chroot)"; exit 1; }
  command -v mmdebstrap >/dev/null || { say "--clean-root needs mmdebstrap (apt-get install mmdebstrap)"; exit 1; }
  # shellcheck source=scripts/clean_root.sh
  source scripts/clean_root.sh
  root=$out/root
  trap 'rm -rf "$root"' EXIT
  say "making a clean Debian 12 root in $root"
  status=0
  why=$(clean_root_make "$root") || status=$?
  if ((status)); then say "$why"; exit "$status"; fi
  mv "$out/$source" "$root/build-$source"
  say "installing the build dependencies and building zembrant $version there (log: $log)"
  if ! clean_root_run "$root" sh -c "apt-get update -qq && apt-get build-dep -y -qq --no-install-recommends /build-$source" \
      >"$log" 2>&1; then
    tail -20 "$log" >&2
    if clean_root_offline "$log"; then say "no Debian mirror reachable: the build dependencies could not be fetched"; exit 77; fi
    say "apt-get build-dep failed in the clean root (the whole log is in $log)"
    exit 1
  fi
  if ! clean_root_run "$root" sh -c "cd /build-$source && DEB_BUILD_OPTIONS='noddebs parallel=2' dpkg-buildpackage -b -us -uc" \
      >>"$log" 2>&1; then
    tail -40 "$log" >&2
    say "dpkg-buildpackage failed in the clean root (the whole log is in $log)"
    exit 1
  fi
  mv "$root/$deb" "$out/"
else
  command -v dpkg-buildpackage >/dev/null || { say "needs Debian's dpkg-dev (dpkg-buildpackage)"; exit 1; }
  if ! unmet=$(cd "$out/$source" && dpkg-checkbuilddeps 2>&1); then
    sudo=()
    if [[ $(id -u) != 0 ]]; then
      command -v sudo >/dev/null || { say "${unmet#dpkg-checkbuilddeps: error: }; as root, run: apt-get build-dep ./"; exit 1; }
      sudo=(sudo)
    fi
    say "installing the build dependencies (apt-get build-dep)"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get build-dep -y -qq --no-install-recommends \
      -o DPkg::Lock::Timeout=600 "./$out/$source" >"$log" 2>&1 ||
      { cat "$log" >&2; say "apt-get build-dep failed"; exit 1; }
  fi
  say "building zembrant $version (log: $log)"
  if ! (cd "$out/$source" && DEB_BUILD_OPTIONS="noddebs parallel=2" dpkg-buildpackage -b -us -uc) >>"$log" 2>&1; then
    tail -40 "$log" >&2
    say "dpkg-buildpackage failed (the whole log is in $log)"
    exit 1
  fi
fi
[[ -f $out/$deb ]] || { say "$out/$deb was not made"; exit 1; }

if command -v lintian >/dev/null; then
  lintian --pedantic "$out/$deb" | tee "$out/lintian.log"
  if grep -q '^[EW]: ' "$out/lintian.log"; then
    say "lintian reports errors or warnings"
    exit 1
  fi
else
  say "lintian is not installed: the package is not checked"
fi
echo "$out/$deb"
