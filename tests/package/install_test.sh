#!/usr/bin/env bash
# As root: install, then `taviro` from PATH with a fresh HOME saves a round in Documents/Taviro; remove. Usage: $0 DEB
set -euo pipefail
deb="$(realpath "$1")"
source "$(dirname "$0")/../support/xvfb_driver.sh"
tag=install_test user=taviro-install-test home="$(mktemp -d)"
trap 'stop_xvfb; userdel "$user" 2>/dev/null || true; rm -rf "$home"; apt-get remove -y -qq taviro >/dev/null 2>&1 || true' EXIT
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq "$deb" >/dev/null
useradd --home-dir "$home" --shell /bin/sh "$user" && chown "$user:" "$home"
as_user() { runuser -u "$user" -- env -i HOME="$home" LANG=C.UTF-8 PATH=/usr/bin:/bin DISPLAY="${DISPLAY:-}" "$@"; }

[ "$(as_user taviro --version)" = "Taviro $(dpkg-deb -f "$deb" Version)" ] || fail "taviro --version"
! as_user gio mime text/plain | grep -q taviro || fail "Taviro opens text files: $(as_user gio mime text/plain)"
status=0
as_user taviro "$home/missing" 2>/dev/null || status=$?
[ "$status" = 2 ] || fail "a missing PATH ends with status $status, not 2"

start_xvfb
start_app as_user taviro
folder="$home/Documents/Taviro" results="$home/Documents/Taviro/摇号结果.txt"
[ -d "$folder" ] || fail "$folder was not created"
printf '甲\r\n乙\r\n丙\r\n' | iconv -f UTF-8 -t GBK | as_user tee "$folder/bonus.txt" >/dev/null
keys alt+i
keys --delay 50 Return Return     # one winner
save_results
[ "$(stat -c %U "$results")" = "$user" ] || fail "no results file of $user in $folder"
iconv -f GBK -t UTF-8 "$results" | grep -q $'^\\[1\\]:\t[甲乙丙]\r$' || fail "no winner in $results"
quit_app
apt-get remove -y -qq taviro >/dev/null
[ ! -e /usr/bin/taviro ] || fail "taviro is still installed"
echo "install_test: passed"
