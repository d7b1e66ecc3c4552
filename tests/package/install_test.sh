#!/usr/bin/env bash
# Installs the package and runs `taviro` from PATH as a user with a fresh HOME: --version, a bad PATH, and on a
# virtual screen a list in Documents/Taviro, one round, Save, 摇号结果.txt there; then removes the package.
# Needs root.  Usage: tests/package/install_test.sh taviro_1.0.2_amd64.deb
set -euo pipefail
deb="$(realpath "$1")"
source "$(dirname "$0")/../xvfb_driver.sh"
tag=install_test user=taviro-install-test home="$(mktemp -d)"
trap 'stop_xvfb; userdel "$user" 2>/dev/null || true; rm -rf "$home"; apt-get remove -y -qq taviro >/dev/null 2>&1 || true' EXIT
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq "$deb" >/dev/null
useradd --home-dir "$home" --shell /bin/sh "$user" && chown "$user:" "$home"
as_user() { runuser -u "$user" -- env -i HOME="$home" LANG=C.UTF-8 PATH=/usr/bin:/bin DISPLAY="${DISPLAY:-}" "$@"; }

[ "$(as_user taviro --version)" = "Taviro 1.0.2" ] || fail "taviro --version"
status=0
as_user taviro "$home/missing" 2>/dev/null || status=$?
[ "$status" = 2 ] || fail "a missing PATH ends with status $status, not 2"

start_xvfb
start_app as_user taviro
folder="$home/Documents/Taviro"
[ -d "$folder" ] || fail "$folder was not created"
printf '甲\r\n乙\r\n丙\r\n' | iconv -f UTF-8 -t GBK | as_user tee "$folder/bonus.txt" >/dev/null
keys alt+i
keys --delay 50 Return Return     # one winner
keys alt+s
answer_box Taviro
results="$folder/摇号结果.txt"
[ "$(stat -c %U "$results")" = "$user" ] || fail "no results file of $user in $folder"
iconv -f GBK -t UTF-8 "$results" | grep -q $'^\\[1\\]:\t[甲乙丙]\r$' || fail "no winner in $results"
quit_app
apt-get remove -y -qq taviro >/dev/null
[ ! -e /usr/bin/taviro ] || fail "taviro is still installed"
echo "install_test: passed"
