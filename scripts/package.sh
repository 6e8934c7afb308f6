#!/usr/bin/env bash
# Builds the Debian package build/package/zembrant_<version>_<arch>.deb with
# dpkg-buildpackage (debian/), from a copy of the source in build/package,
# and checks it with lintian --pedantic: any error or warning fails.
# The version is the one of project() in CMakeLists.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh test

version=$(sed -n 's/^project(zembrant VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[[ -n $version ]] || { echo "package: no version in CMakeLists.txt" >&2; exit 1; }
out=build/package
stage=$out/zembrant-$version
rm -rf "$out"
mkdir -p "$stage"
tar -c --exclude=./build --exclude=./.git --exclude=./.cache . | tar -x -C "$stage"

# debian/changelog names the version: written here, dated like the last commit.
maintainer=$(sed -n 's/^Maintainer: //p' debian/control)
date=$(git log -1 --format=%aD 2>/dev/null || date -R)
cat >"$stage/debian/changelog" <<EOF
zembrant ($version) unstable; urgency=medium

  * Version $version.

 -- $maintainer  $date
EOF

echo "package: building zembrant $version (log: $out/build.log)" >&2
if ! (cd "$stage" && DEB_BUILD_OPTIONS="noddebs parallel=2" dpkg-buildpackage -b -us -uc) \
    >"$out/build.log" 2>&1; then
  tail -40 "$out/build.log" >&2
  echo "package: dpkg-buildpackage failed (the whole log is in $out/build.log)" >&2
  exit 1
fi
deb=$out/zembrant_${version}_$(dpkg --print-architecture).deb
[[ -f $deb ]] || { echo "package: $deb was not made" >&2; exit 1; }

lintian --pedantic "$deb" | tee "$out/lintian.log"
if grep -q '^[EW]: ' "$out/lintian.log"; then
  echo "package: lintian reports errors or warnings" >&2
  exit 1
fi
echo "$deb"
