#!/usr/bin/env bash
# check-package.sh install|deb BUILD_DIR VERSION: validates the installed tree or the .deb.
set -uo pipefail
mode=$1 build=$2 version=$3

fail() { echo "FAILED: $*" >&2; exit 1; }
skip() { echo "SKIPPED: $* (make deps installs it)"; exit 77; }
need() { for tool in "$@"; do command -v "$tool" >/dev/null || skip "$tool is not installed"; done; }

work=$(mktemp -d)
program=
cleanup() {
  if [ -n "$program" ]; then kill "$program" 2>/dev/null; wait "$program" 2>/dev/null; fi
  rm -rf "$work"
}
trap cleanup EXIT

# Width and height from a PNG's header, as "WxH".
png_size() {
  local hex
  hex=$(od -An -tx1 -j16 -N8 "$1" | tr -d ' \n')
  echo "$((16#${hex:0:8}))x$((16#${hex:8:8}))"
}

# The maker's address as the game shows it (the help dialog's notice line), as a web address.
homepage() {
  local source
  source=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
  local line
  line=$(grep -o 'www\.[a-z0-9.-]*' "$source/shell/Help.ui" | head -1)
  echo "https://$line/"
}

check_install() {
  need desktop-file-validate appstreamcli
  local root=$work/root
  DESTDIR=$root cmake --install "$build" --prefix /usr >"$work/install.log" 2>&1 ||
    fail "cmake --install: $(cat "$work/install.log")"

  local expected=(usr/games/zelvan usr/lib/zelvan/ddraw.so usr/share/applications/zelvan.desktop
                  usr/share/metainfo/org.zelvan.zelvan.metainfo.xml usr/share/man/man6/zelvan.6.gz
                  usr/share/doc/zelvan/copyright usr/share/doc/zelvan/changelog.gz)
  for file in "${expected[@]}"; do [ -f "$root/$file" ] || fail "$file is not installed"; done
  [ -x "$root/usr/games/zelvan" ] || fail "the program is not executable"
  for size in 16 32 48 64 128 256; do
    local icon=$root/usr/share/icons/hicolor/${size}x${size}/apps/zelvan.png
    [ -f "$icon" ] || fail "no ${size}x${size} icon"
    [ "$(png_size "$icon")" = "${size}x${size}" ] || fail "the ${size}x${size} icon is $(png_size "$icon")"
  done

  echo "== desktop-file-validate"
  local out
  out=$(desktop-file-validate "$root/usr/share/applications/zelvan.desktop" 2>&1)
  [ $? -eq 0 ] && [ -z "$out" ] || fail "desktop-file-validate: $out"
  echo "== appstreamcli validate --no-net"
  appstreamcli validate --no-net --explain "$root/usr/share/metainfo/org.zelvan.zelvan.metainfo.xml" ||
    fail "appstreamcli validate"
  # The tree check also ties the metainfo to the installed menu entry and icons.
  appstreamcli validate-tree --no-net --explain "$root" || fail "appstreamcli validate-tree"
  if command -v man >/dev/null; then
    out=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z \
          "$root/usr/share/man/man6/zelvan.6.gz" 2>&1 >/dev/null)
    [ -z "$out" ] || fail "man page: $out"
  fi

  # The release named everywhere is the one being built.
  # (Each text is read whole before matching: an early-closing pipe would fail under pipefail.)
  local changelog metainfo manpage
  changelog=$(zcat "$root/usr/share/doc/zelvan/changelog.gz")
  metainfo=$(cat "$root/usr/share/metainfo/org.zelvan.zelvan.metainfo.xml")
  manpage=$(zcat "$root/usr/share/man/man6/zelvan.6.gz")
  [[ "${changelog%%$'\n'*}" == "zelvan ($version) "* ]] || fail "the changelog's latest entry is not $version"
  local release='<release version="([^"]*)"'
  [[ "$metainfo" =~ $release && "${BASH_REMATCH[1]}" == "$version" ]] ||
    fail "the metainfo's latest release is not $version"
  [[ "$manpage" == *$'\n.TH '*'"Zelvan '"$version"'"'* ]] || fail "the man page is not for $version"

  # One holder, one licence and one address wherever the package names them.
  local copyright
  copyright=$(cat "$root/usr/share/doc/zelvan/copyright")
  [[ "$metainfo" == *"<url type=\"homepage\">$(homepage)</url>"* ]] ||
    fail "the metainfo's homepage is not the game's address $(homepage)"
  [[ "$metainfo" == *"<project_license>MIT</project_license>"* && "$copyright" == *"License: Expat"* ]] ||
    fail "the metainfo and the copyright file name different licences"
  local holder
  holder=$(sed -n 's/^Copyright: [0-9]* //p' <<<"$copyright" | head -1)
  [ -n "$holder" ] || fail "no copyright holder in the copyright file"
  [[ "$metainfo" == *"<developer_name>$holder</developer_name>"* ]] || fail "the metainfo's developer is not $holder"
  [[ "$manpage" == *"2026 $holder"* ]] || fail "the man page does not name $holder"

  # Started from the installed tree, the program finds its display module in ../lib/zelvan, not
  # beside itself (nothing is installed there).
  mkdir -p "$work/config"
  XDG_CONFIG_HOME=$work/config "$root/usr/games/zelvan" >"$work/program.log" 2>&1 &
  program=$!
  local module=$root/usr/lib/zelvan/ddraw.so
  for _ in $(seq 150); do
    grep -qF "$module" "/proc/$program/maps" 2>/dev/null && break
    kill -0 "$program" 2>/dev/null || fail "the installed program ended: $(cat "$work/program.log")"
    sleep 0.1
  done
  grep -qF "$module" "/proc/$program/maps" || fail "the installed program did not load $module"
  echo "installed program loaded $module"
}

check_deb() {
  need cpack dpkg-deb dpkg-shlibdeps lintian
  cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
    fail "cpack: $(cat "$work/cpack.log")"
  local debs=("$work"/zelvan_"$version"_*.deb)
  local deb=${debs[0]}
  [ -f "$deb" ] || fail "no zelvan_${version}_*.deb made: $(cat "$work/cpack.log")"
  dpkg-deb -I "$deb"
  [ "$(dpkg-deb -f "$deb" Section)" = games ] || fail "section is not games"
  local address='^[^<>]+ <[^@<> ]+@[^@<> ]+\.[a-z]+>$'
  [[ "$(dpkg-deb -f "$deb" Maintainer)" =~ $address ]] ||
    fail "maintainer is not a name and an address"
  [[ "$(dpkg-deb -f "$deb" Depends)" == *libqt6widgets6* ]] || fail "Depends lacks the libraries the program links"
  # The fonts the game substitutes for its old font names, and Wayland's platform plugin.
  local recommends
  recommends=$(dpkg-deb -f "$deb" Recommends)
  for package in fonts-quicksand fonts-liberation qt6-wayland; do
    [[ "$recommends" == *"$package"* ]] || fail "Recommends lacks $package: $recommends"
  done
  [ "$(dpkg-deb -f "$deb" Homepage)" = "$(homepage)" ] ||
    fail "Homepage '$(dpkg-deb -f "$deb" Homepage)' is not the game's address $(homepage)"
  [[ "$(dpkg-deb -c "$deb")"$'\n' == *' ./usr/share/doc/zelvan/copyright'$'\n'* ]] || fail "no copyright file"
  [ -z "$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -E 'post|pre')" ] ||
    fail "the package has maintainer scripts it does not need"
  echo "== lintian"
  # Run as root in CI; the notice about it is not a finding.
  lintian --fail-on error --info "$deb" 2>&1 | grep -v 'running with root privileges'
  [ "${PIPESTATUS[0]}" -eq 0 ] || fail "lintian found errors"
}

case $mode in
  install) check_install ;;
  deb) check_deb ;;
  *) fail "unknown check $mode" ;;
esac
echo "PASSED: $mode"
