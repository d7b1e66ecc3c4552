#!/usr/bin/env bash
# Under Wine in a prefix of its own (Documents links to its HOME): a silent install (files, Start-menu 摇号, uninstall
# key), then a silent uninstall that leaves only the user's files. Usage: $0 taviro-<version>-setup.exe 
set -euo pipefail
setup="$(realpath "$1")" version="$(basename "$1" | sed 's/^taviro-\(.*\)-setup\.exe$/\1/')"
tag=windows_install_test && source "$(dirname "$0")/../support/xvfb_driver.sh"
home="$(mktemp -d)" && trap 'stop_xvfb; wineserver -k 2>/dev/null || true; rm -rf "$home"' EXIT
start_xvfb # before Wine's first process in the prefix: its desktop keeps the display it started with
export HOME="$home" WINEPREFIX="$home/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
c="$WINEPREFIX/drive_c" key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Taviro' d='C:\Program Files\Taviro'
docs="$c/users/$(id -un)/Documents/Taviro"
dir="$c/Program Files/Taviro" lnk="$c/ProgramData/Microsoft/Windows/Start Menu/Programs/摇号.lnk"
# An NSIS uninstaller goes on from a copy of itself in TEMP: wait for every process of the prefix.
run() { wine "$@" >/dev/null 2>&1 && wineserver -w; }
run "$setup" /S || fail "the silent install ended with an error"
for f in taviro.exe {Qt6Core,Qt6Gui,Qt6Widgets,platforms/qwindows,styles/qwindowsvistastyle}.dll examples/bonus.txt \
  {libstdc++-6,libgcc_s_seh-1,libwinpthread-1}.dll {README,LICENSE,Qt-LGPL-NOTICE}.txt uninstall.exe; do [ -s "$dir/$f" ] || fail "no $f in $d"; done
grep -qaF "$d\\taviro.exe" "$lnk" || fail "摇号.lnk does not start taviro.exe"
values="$(wine reg query "$key" | tr -d '\r' | sed 's/^ *//; s/ \{4\}/|/g')"
# NSIS counts each installed file in whole KiB, rounded up.
kib="$(find "$dir" -type f ! -name uninstall.exe -printf '%s\n' | awk '{ k += int(($1 + 1023) / 1024) } END { printf "0x%x", k }')"
for v in "DisplayName|REG_SZ|Taviro" "DisplayVersion|REG_SZ|$version" \
  "Publisher|REG_SZ|Taviro developers" "DisplayIcon|REG_SZ|$d\\taviro.exe,0" "InstallLocation|REG_SZ|$d" \
  "UninstallString|REG_SZ|\"$d\\uninstall.exe\"" "QuietUninstallString|REG_SZ|\"$d\\uninstall.exe\" /S" \
  "NoModify|REG_DWORD|0x1" "NoRepair|REG_DWORD|0x1" "EstimatedSize|REG_DWORD|$kib"; do grep -qxF "$v" <<<"$values" || fail "the key lacks $v"; done
# The program the shortcut starts, on an Xvfb screen: it works in Documents\Taviro (a round leaves its copy there).
[ "$(wine "$dir/taviro.exe" --version 2>&1 | tr -d '\r')" = "Taviro $version" ] || fail "--version"
mkdir -p "$docs" && printf '\xbc\xd7\r\n\xd2\xd2\r\n' >"$docs/bonus.txt"  # 甲 乙
start_app wine "$d\\taviro.exe"  # the shortcut's target
keys alt+i && keys --delay 50 Return Return
for _ in $(seq 50); do ls "$docs"/摇号结果_自动保存_*.txt >/dev/null 2>&1 && break; sleep 0.1; done
ls "$docs"/摇号结果_自动保存_*.txt >/dev/null 2>&1 || fail "the installed copy kept no round in Documents\\Taviro"
kill_app
# What the user keeps: a list in Documents\Taviro, results left in the installation folder.
echo 乙 >"$dir/摇号结果.txt"
run "$dir/uninstall.exe" /S || fail "the silent uninstall ended with an error"
[ "$(cd "$dir" 2>/dev/null && find . -mindepth 1)" = ./摇号结果.txt ] || fail "$d holds more or less than the user's file"
if [ -e "$lnk" ] || wine reg query "$key" >/dev/null 2>&1; then fail "the shortcut or the uninstall key is still there"; fi
[ -s "$docs/bonus.txt" ] || fail "the uninstaller removed Documents\\Taviro\\bonus.txt"
echo "windows_install_test: passed"
