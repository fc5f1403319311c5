#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need.
# Quick when everything is there already: apt-get runs only for what is missing.
set -euo pipefail

PACKAGES=(
  cmake g++ make pkg-config python3
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-translations-l10n
  libcups2-dev libgtest-dev libgmock-dev libbenchmark-dev
  # the journal: its local file and its server (the tests start a private server)
  libsqlite3-dev libpq-dev postgresql
  fonts-ipafont-gothic fonts-ipafont-mincho fonts-dejavu-core fontconfig
  xvfb xauth openbox x11-utils
  cups cups-client cups-daemon cups-filters cups-ppdc ghostscript poppler-utils
  qt6-translations-l10n
  # the Debian package (tools/package.sh) and its check
  dpkg-dev lintian appstream x11-utils xdotool
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
