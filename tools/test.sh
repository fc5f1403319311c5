#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test: the normal
# build first, then the Debian package (built in build-deb/ and checked), then the
# AddressSanitizer + UndefinedBehaviorSanitizer build.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"
jobs="$(nproc)"

bash tools/deps.sh

cmake --preset default >/dev/null
cmake --build --preset default -j"$jobs"
ctest --preset default -j"$jobs"

deb="$(bash tools/package.sh | tail -n1)"
bash tests/package/check_package.sh "$deb" build-deb/stage

cmake --preset asan >/dev/null
cmake --build --preset asan -j"$jobs"
ctest --preset asan -j"$jobs"
