#!/usr/bin/env bash
# The Debian packages as a hospital's IT meets them: built by
# scripts/package.sh from the build in $1, unpacked into a throw-away root
# with dpkg -x and installed there by the server's own maintainer script
# (DPKG_ROOT), the unit checked offline by systemd-analyze, the unit's own
# command run on a folder the packaged server made from its packaged
# reference data, the client's entry points, and a removal that keeps the
# patients' records. Arguments: the build folder and the project's version.
set -euo pipefail
build=$1
version=$2
# The maintainer script gives the data folder to the account it makes.
if [ "$(id -u)" -ne 0 ]; then echo "skipped: installing into a root needs root"; exit 77; fi
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/dalvero-packages.XXXXXX")
server_pid=
cleanup() {
  if [ -n "$server_pid" ]; then kill -9 "$server_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DALVERO_BUILD_DIR=$build "$source_dir/scripts/package.sh" "$work/debs" >/dev/null
root=$work/root
# The root stands for a Debian system with systemd, before our packages.
mkdir -p "$root/etc" "$root/usr/lib/systemd/system"
echo 'root:x:0:0:root:/root:/bin/sh' >"$root/etc/passwd"
echo 'root:x:0:' >"$root/etc/group"
cp -a /lib/systemd/system/*.target "$root/usr/lib/systemd/system/"
for package in dalvero-server dalvero-client; do
  deb=$(ls "$work/debs/${package}"_*.deb) || fail "no $package package"
  [ "$(dpkg-deb -f "$deb" Package)" = "$package" ] || fail "$deb is not $package"
  dpkg -x "$deb" "$root"
  dpkg-deb -e "$deb" "$work/control-$package"
done

# Installing: the account and its private, empty data folder.
DPKG_ROOT=$root sh "$work/control-dalvero-server/postinst" configure
uid=$(awk -F: '$1 == "dalvero" { print $3 }' "$root/etc/passwd")
[ -n "$uid" ] && [ "$uid" -ne 0 ] || fail "postinst made no unprivileged account dalvero"
folder=$root/var/lib/dalvero
[ "$(stat -c '%u %a' "$folder")" = "$uid 700" ] || fail "data folder: $(stat -c '%u %a' "$folder")"

# The unit, checked without a running systemd.
unit=dalvero-server.service
verify=$(systemd-analyze verify --root="$root" --man=no --generators=no "$unit" 2>&1) || fail "$verify"
[ -z "$verify" ] || fail "systemd-analyze verify: $verify"
systemd-analyze security --offline=yes --root="$root" --threshold=20 "$unit" >"$work/security" 2>&1 ||
  fail "the unit's exposure is above 2.0: $(tail -1 "$work/security")"

# Starting: the unit's command (paths under the root) on a folder the packaged
# server made, with the journal's stream as systemd gives it.
[ "$("$root/usr/bin/dalvero-server" --version)" = "dalvero-server $version" ] || fail "the packaged server's version"
"$root/usr/bin/dalvero-server" init "$folder" --host localhost >/dev/null
sed -i 's/^Port=87\(00\|01\)$/Port=0/' "$folder/server.ini"
read -r program command dir < <(sed -n 's/^ExecStart=//p' "$root/usr/lib/systemd/system/$unit")
[ "$dir" = /var/lib/dalvero ] || fail "the unit serves $dir"
JOURNAL_STREAM=8:1 "$root$program" "$command" "$root$dir" 2>"$work/log" &
server_pid=$!
for _ in $(seq 100); do
  "$root/usr/bin/dalvero-server" status "$folder" 2>/dev/null | grep -q '^DataServer:' && break
  sleep 0.1
done
"$root/usr/bin/dalvero-server" status "$folder" >/dev/null || fail "the unit's command serves nothing: $(cat "$work/log")"
kill -TERM "$server_pid"
wait "$server_pid" || fail "the server did not stop cleanly: $(cat "$work/log")"
server_pid=
grep -q '^<5>stopped$' "$work/log" || fail "no journal lines: $(cat "$work/log")"

# The client: its menu entry starts an installed program, with its icon.
desktop=$root/usr/share/applications/dalvero.desktop
desktop-file-validate "$desktop" || fail "desktop entry"
exec=$(sed -n 's/^Exec=//p' "$desktop")
[ "$(QT_QPA_PLATFORM=offscreen "$root/usr/bin/$exec" --version)" = "Dalvero $version" ] ||
  fail "the menu entry's program $exec"
[ -f "$root/usr/share/icons/hicolor/scalable/apps/$(sed -n 's/^Icon=//p' "$desktop").svg" ] || fail "no icon"
[ "$(readlink "$root/usr/lib/dalvero/Dalvero.ini")" = /etc/dalvero/Dalvero.ini ] && [ -d "$root/etc/dalvero" ] ||
  fail "the client's Dalvero.ini is not taken from /etc/dalvero"
"$root/usr/bin/dalvero-cli" --version >/dev/null || fail "dalvero-cli"

# Removing and purging leave the patients' records.
DPKG_ROOT=$root sh "$work/control-dalvero-server/prerm" remove
DPKG_ROOT=$root sh "$work/control-dalvero-server/postrm" purge
[ -f "$folder/dalvero.db" ] || fail "removing the package removed the database"
echo "packages pass"
