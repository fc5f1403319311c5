#!/usr/bin/env bash
# Builds the Debian package build-deb/hoxa-nivora_<version>_amd64.deb and prints
# its path as the last line.
#
# The program is built in a folder of its own (build-deb: Release, prefix /usr,
# no tests or benchmarks, Debian's hardening flags), installed with the project's
# own install rules into a staging folder, completed with the Debian files from
# packaging/deb/ and put together with Debian's tools: dpkg-shlibdeps finds the
# packages of the libraries the program links, dpkg-gencontrol writes the control
# file, dpkg-deb builds the archive.  A second run rebuilds only what changed.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"
umask 022

bash tools/deps.sh >&2

build="$repo/build-deb"
deb="$repo/packaging/deb"
version="$(sed -n 's/^project(hoxa VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
[ -n "$version" ] || { echo "package: no project version in CMakeLists.txt" >&2; exit 1; }

# The version of the newest changelog entry and of the newest AppStream release
# must be the program's.
changelog_version="$(dpkg-parsechangelog -l "$deb/changelog" -S Version)"
metainfo_version="$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' \
  src/app/res/jp.example.hoxa.nivora.metainfo.xml | head -n1)"
for pair in "packaging/deb/changelog:$changelog_version" \
            "src/app/res/jp.example.hoxa.nivora.metainfo.xml:$metainfo_version"; do
  if [ "${pair##*:}" != "$version" ]; then
    echo "package: ${pair%%:*} names version ${pair##*:}, CMakeLists.txt $version: add an entry for $version" >&2
    exit 1
  fi
done

# Debian's hardening flags (stack protector, fortify, RELRO, bind now), without
# its -g -O2: the build type gives the optimisation.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
export DEB_CFLAGS_MAINT_STRIP="-g -O2" DEB_CXXFLAGS_MAINT_STRIP="-g -O2"
cmake -S "$repo" -B "$build" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DHOXA_BUILD_TESTS=OFF -DHOXA_BUILD_BENCH=OFF \
  -DCMAKE_C_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CFLAGS)" \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >&2
cmake --build "$build" -j"$(nproc)" --target hoxa_Nivora >&2

# Staging folder: what `cmake --install` puts under /usr, stripped.
stage="$build/stage"
rm -rf "$stage"
DESTDIR="$stage" cmake --install "$build" --strip >/dev/null
strip --remove-section=.comment --remove-section=.note "$stage/usr/bin/hoxa_Nivora"

# Manual pages are compressed, links follow their targets.
man1="$stage/usr/share/man/man1"
for page in "$man1"/*.1; do
  if [ -L "$page" ]; then
    ln -s "$(readlink "$page").gz" "$page.gz"
    rm "$page"
  else
    gzip -9n "$page"
  fi
done

doc="$stage/usr/share/doc/hoxa-nivora"
install -d "$doc"
install -m 644 "$deb/copyright" "$doc/copyright"
gzip -9nc "$deb/changelog" >"$doc/changelog.gz"

# Control file: the libraries' packages, then the fixed dependencies of
# packaging/deb/control.  dpkg-shlibdeps and dpkg-gencontrol work on a debian/
# folder of their own.
work="$build/debian-work"
rm -rf "$work"
install -d "$work/debian" "$stage/DEBIAN"
cp "$deb/control" "$deb/changelog" "$work/debian/"
(
  cd "$work"
  dpkg-shlibdeps -Tdebian/substvars -e"$stage/usr/bin/hoxa_Nivora" >&2
  dpkg-gencontrol -phoxa-nivora -P"$stage" -Tdebian/substvars -fdebian/files
)
(cd "$stage" && find usr -type f -print0 | LC_ALL=C sort -z | xargs -0 md5sum) >"$stage/DEBIAN/md5sums"
chmod 644 "$stage/DEBIAN/control" "$stage/DEBIAN/md5sums"

out="$build/hoxa-nivora_${version}_amd64.deb"
rm -f "$out"
dpkg-deb --root-owner-group -Zxz --build "$stage" "$out" >&2
echo "$out"
