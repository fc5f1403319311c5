#!/usr/bin/env bash
# Checks the Debian package that tools/package.sh builds:
#
#   check_package.sh PACKAGE.deb INSTALL_TREE
#
# its file list (data files under usr/share/hoxa-nivora/ exactly as INSTALL_TREE,
# the staging folder of the install rules, has them), its dependencies, lintian
# (no errors), appstreamcli, the launcher's choice of folder, and that the
# extracted program starts under Xvfb and maps its main window.  Everything
# happens in a folder from mktemp -d; the machine's own /usr, CUPS and home are
# never touched.  Ends with "package: N passed, N failed".
set -uo pipefail
export LC_ALL=C.UTF-8   # window titles are read as UTF-8 whatever the caller's locale

MAIN_TITLE='hoxa　送り状印刷　< ニボラ　> ver1.10'
APP_TITLE='◇hoxa_Nivora'   # the program's message boxes
START_TIMEOUT=30            # seconds until the main window must be mapped

# ------------------------------------------------------------------ under Xvfb
# Runs the extracted launcher on the virtual display: waits for the main window,
# answers the program's first-start message boxes (no printer, no sender file)
# with Enter, checks the folder the program runs in, then ends it.
if [ "${1:-}" = "--start" ]; then
  tmp=$2
  data_home="$tmp/home/data"
  env -i PATH=/usr/bin:/bin DISPLAY="$DISPLAY" XAUTHORITY="${XAUTHORITY:-}" LANG=C.UTF-8 \
    HOME="$tmp/home" XDG_DATA_HOME="$data_home" XDG_CONFIG_HOME="$tmp/home/config" \
    XDG_CACHE_HOME="$tmp/home/cache" XDG_RUNTIME_DIR="$tmp/run" TMPDIR="$tmp" \
    CUPS_SERVER="$tmp/no-cups.sock" QT_QPA_PLATFORM=xcb \
    "$tmp/launcher" >"$tmp/program.log" 2>&1 &
  pid=$!
  trap 'kill -TERM $pid 2>/dev/null' EXIT

  viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
  # Ids of the windows titled exactly $1 (xwininfo shows titles as the program set them).
  windows_titled() { xwininfo -root -tree | awk -v t="\"$1\":" 'index($0, t) { print $1 }'; }
  main=""
  deadline=$((SECONDS + START_TIMEOUT))
  while [ $SECONDS -lt $deadline ]; do
    kill -0 $pid 2>/dev/null || { echo "the program ended before its window was shown"; cat "$tmp/program.log"; exit 1; }
    for w in $(windows_titled "$MAIN_TITLE"); do viewable "$w" && main=$w; done
    [ -n "$main" ] && break
    for box in $(windows_titled "$APP_TITLE"); do
      if viewable "$box"; then
        timeout 5 xdotool windowfocus --sync "$box" key Return 2>/dev/null
        break
      fi
    done
    sleep 0.2
  done
  [ -n "$main" ] || { echo "no main window \"$MAIN_TITLE\" mapped within ${START_TIMEOUT}s"; xwininfo -root -tree; cat "$tmp/program.log"; exit 1; }
  echo "main window $main mapped after ${SECONDS}s"

  cwd=$(readlink "/proc/$pid/cwd")
  [ "$cwd" = "$data_home/hoxa-nivora" ] || { echo "the program runs in $cwd, not in $data_home/hoxa-nivora"; exit 1; }
  exe=$(readlink "/proc/$pid/exe")
  [ "$exe" = "$tmp/root/usr/bin/hoxa_Nivora" ] || { echo "the running program is $exe"; exit 1; }
  mode=$(stat -c %a "$data_home/hoxa-nivora")
  [ "$mode" = 700 ] || { echo "the launcher made its folder with mode $mode"; exit 1; }

  kill -TERM $pid
  for _ in $(seq 1 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  kill -KILL $pid 2>/dev/null
  exit 0
fi

# ------------------------------------------------------------------ the checks
[ $# -eq 2 ] && [ -f "$1" ] && [ -d "$2" ] || { echo "usage: $0 PACKAGE.deb INSTALL_TREE" >&2; exit 2; }
deb=$(realpath "$1")
tree=$(realpath "$2")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
started=$SECONDS

tmp=$(mktemp -d /tmp/hoxa-package.XXXXXX) || exit 1
trap 'rm -rf "$tmp"' EXIT
root="$tmp/root"
dpkg-deb -x "$deb" "$root" || exit 1

passed=0
failed=0
exec 3>&1
# check NAME COMMAND...: runs COMMAND, prints its output under NAME when it fails.
check() {
  local name=$1 out
  shift
  if out=$("$@" 2>&1); then
    passed=$((passed + 1))
    echo "ok   $name"
  else
    failed=$((failed + 1))
    echo "FAIL $name"
    printf '%s\n' "$out" | sed 's/^/     /'
  fi
}

files() {
  local expected got
  expected=$(
    printf '%s\n' \
      usr/bin/hoxa-nivora \
      usr/bin/hoxa_Nivora \
      usr/share/applications/hoxa-nivora.desktop \
      usr/share/doc/hoxa-nivora/changelog.gz \
      usr/share/doc/hoxa-nivora/copyright \
      usr/share/icons/hicolor/256x256/apps/hoxa-nivora.png \
      usr/share/icons/hicolor/48x48/apps/hoxa-nivora.png \
      usr/share/icons/hicolor/scalable/apps/hoxa-nivora.svg \
      usr/share/man/man1/hoxa-nivora.1.gz \
      usr/share/man/man1/hoxa_Nivora.1.gz \
      usr/share/metainfo/jp.example.hoxa.nivora.metainfo.xml
    # The program's data files, as the install rules put them.
    if [ -d "$tree/usr/share/hoxa-nivora" ]; then
      (cd "$tree" && find usr/share/hoxa-nivora ! -type d)
    fi
  )
  got=$(cd "$root" && find . ! -type d | sed 's|^\./||')
  diff <(LC_ALL=C sort <<<"$expected") <(LC_ALL=C sort <<<"$got") || return 1
  [ -x "$root/usr/bin/hoxa_Nivora" ] && [ -x "$root/usr/bin/hoxa-nivora" ] || { echo "programs not executable"; return 1; }
  [ "$(readlink "$root/usr/share/man/man1/hoxa-nivora.1.gz")" = hoxa_Nivora.1.gz ] || { echo "hoxa-nivora(1) is not a link to hoxa_Nivora(1)"; return 1; }
  grep -qx 'Exec=hoxa-nivora %f' "$root/usr/share/applications/hoxa-nivora.desktop" || { echo "the menu entry does not start the launcher"; return 1; }
}

# Package names of a control field, without versions and alternatives' bars.
field_names() { dpkg-deb -f "$deb" "$1" | tr ',|' '\n\n' | sed 's/(.*)//; s/ //g' | sed '/^$/d'; }

dependencies() {
  local depends lib path pkg missing=0
  depends=$(field_names Depends)
  # Fonts and Qt's translations, which no library check can see.
  for pkg in fonts-ipafont-gothic fonts-ipafont-mincho qt6-translations-l10n; do
    grep -qx "$pkg" <<<"$depends" || { echo "Depends lacks $pkg"; missing=1; }
  done
  # Every library the program links comes from a package it depends on.
  for lib in $(readelf -d "$root/usr/bin/hoxa_Nivora" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
    path=$(ldconfig -p | awk -v l="$lib" '$1 == l && /x86-64/ { print $NF; exit }')
    pkg=$(dpkg -S "$(realpath "$path")" 2>/dev/null | head -n1 | cut -d: -f1)
    [ -n "$pkg" ] || pkg=$(dpkg -S "$path" 2>/dev/null | head -n1 | cut -d: -f1)
    if [ -z "$pkg" ]; then echo "no package holds $lib ($path)"; missing=1
    elif ! grep -qx "$pkg" <<<"$depends"; then echo "Depends lacks $pkg for $lib"; missing=1
    fi
  done
  [ "$(field_names Recommends)" = cups ] || { echo "Recommends: $(dpkg-deb -f "$deb" Recommends), not cups"; missing=1; }
  # Every dependency is installed here (tools/deps.sh), so the start below runs
  # with what the package asks for, and a misspelt name shows up.
  for pkg in $depends; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' \
      || { echo "Depends names $pkg, which is not installed here"; missing=1; }
  done
  return $missing
}

# Lintian's tags are shown whether it passes or not.
run_lintian() {
  local out rc
  out=$(lintian --fail-on error --display-info "$deb" 2>&1)
  rc=$?
  printf '%s\n' "$out" | grep -v 'running with root privileges' | sed '/^$/d; s/^/     lintian: /' >&3
  return $rc
}

appstream() {
  appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml
}

# The launcher's folder for each form of XDG_DATA_HOME: its program is replaced
# by pwd, so that it only shows where it would start the program.
launcher_folder() {
  local launcher="$tmp/launcher-pwd" xdg want got rc=0
  grep -q '^exec /usr/bin/hoxa_Nivora "\$@"$' "$root/usr/bin/hoxa-nivora" || { echo "the launcher does not exec /usr/bin/hoxa_Nivora"; return 1; }
  sed 's|^exec /usr/bin/hoxa_Nivora "\$@"$|exec pwd -P|' "$root/usr/bin/hoxa-nivora" >"$launcher"
  while IFS='|' read -r xdg want; do
    if [ "$xdg" = "(unset)" ]; then
      got=$(cd / && env -i PATH=/usr/bin:/bin HOME="$tmp/h" sh "$launcher")
    else
      got=$(cd / && env -i PATH=/usr/bin:/bin HOME="$tmp/h" XDG_DATA_HOME="$xdg" sh "$launcher")
    fi || { echo "XDG_DATA_HOME='$xdg': the launcher failed"; rc=1; continue; }
    [ "$got" = "$want" ] || { echo "XDG_DATA_HOME='$xdg': started in $got, want $want"; rc=1; }
  done <<EOF
(unset)|$tmp/h/.local/share/hoxa-nivora
|$tmp/h/.local/share/hoxa-nivora
relative/data|$tmp/h/.local/share/hoxa-nivora
$tmp/x y/data|$tmp/x y/data/hoxa-nivora
EOF
  return $rc
}

starts() {
  mkdir -p "$tmp/home" "$tmp/run" && chmod 700 "$tmp/run"
  # The extracted launcher, starting the extracted program.
  sed "s|^exec /usr/bin/hoxa_Nivora |exec $root/usr/bin/hoxa_Nivora |" "$root/usr/bin/hoxa-nivora" >"$tmp/launcher"
  chmod 755 "$tmp/launcher"
  xvfb-run -a -s "-screen 0 1024x768x24" "$here/check_package.sh" --start "$tmp"
}

check "file list" files
check "dependencies" dependencies
check "lintian reports no errors" run_lintian
check "appstreamcli validate" appstream
check "launcher folder" launcher_folder
check "program starts under Xvfb" starts

echo "package check took $((SECONDS - started))s"
echo "package: $passed passed, $failed failed"
[ $failed -eq 0 ]
