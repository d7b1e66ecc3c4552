#!/usr/bin/env bash
# Usage: tests/e2e.sh [taviro | taviro-*-win64.zip]. The built program on a real X server by real keys; then a run
# killed after a reveal, and carried on. The Windows program runs from its zip under Wine, the same keys and the same bytes.
set -euo pipefail
cd "$(dirname "$0")/.."
bin="$(realpath "${1:-build/taviro}")"
source tests/support/xvfb_driver.sh
tag=e2e work="$(mktemp -d)"
trap 'stop_xvfb; rm -rf "$work"' EXIT
unset QT_QPA_PLATFORM
printf 'leak:libdbus-1.so\n' > "$work/lsan"  # the system's D-Bus library leaks on a real X display, not Taviro
export LSAN_OPTIONS="suppressions=$work/lsan"
start_xvfb

# The draw's list as today's editors write it: UTF-8 without a mark, LF line ends, names that GBK cannot hold
# (䶮 and 𠮷, CJK Extension A and B); the killed run's list as Notepad's ANSI writes it: GBK with CR LF.
candidates=(候选人{1..21} "  王 小二  " 李堃喆 刘䶮 𠮷田)  # blanks around one name
mkdir "$work/draw" "$work/killed"
printf '%s\n' "${candidates[@]}" > "$work/draw/bonus.txt"
printf '%s\r\n' 甲一 乙二 丙三 丁四 | iconv -f UTF-8 -t GBK > "$work/killed/bonus.txt"
if [[ "$bin" == *.zip ]]; then      # a portable copy unzipped; the killed run is given its folder
  export WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= wine=1
  wineserver -k 2>/dev/null || true # a wineserver left from another X screen would keep its size
  unzip -q "$bin" -d "$work/zip"
  cp -rn "$work"/zip/*/. "$work/draw/"  # keeps the generated bonus.txt
  run=(wine draw/taviro.exe) installed=(wine "$work/draw/taviro.exe") killed="$(winepath -w "$work/killed")"
else
  cp "$bin" "$work/draw/taviro"
  run=(./draw/taviro) installed=("$bin") killed="$work/killed" status=0  # Windows always has a display
  env -u DISPLAY -u WAYLAND_DISPLAY "$bin" 2>"$work/err" || status=$?  # one line, not Qt's abort
  [ "$status" = 1 ] && [ "$(cat "$work/err")" = "taviro: no display found (DISPLAY is not set); start it on a desktop" ] || fail "no display: $status"
fi

copy_in() { find "$1" -maxdepth 1 -name '摇号结果_自动保存_*.txt'; }
record_of() { local name; name="$(basename "$1")"; echo "$(dirname "$1")/摇号记录${name#摇号结果}"; }
wait_entries() { # until the recovery copy in the folder holds at least this many entries, and its record copy follows
  for _ in $(seq 100); do
    copy="$(copy_in "$1")"
    [ -n "$copy" ] && [ "$(grep -ac '^\[' "$copy")" -ge "$2" ] && [ -e "$(record_of "$copy")" ] \
      && ! [ "$(record_of "$copy")" -ot "$copy" ] && return
    sleep 0.05
  done
  fail "the recovery copy in $1 never held $2 entries"
}

seed="07 23 41 (audience)"
start_app env -C "$work" "${run[@]}" --seed "$seed"  # its folder, not the current one
keys alt+i Return  # one call: the Enter comes 12 ms after Alt+I
! xdotool search --onlyvisible --name '^Taviro$' >/dev/null || fail "Alt+I then Enter opened a box, not a round"
keys Return
wait_entries "$work/draw" 1
point_at "$main_window"             # Enter held 1.5 s, repeats and all, toggles once
xdotool keydown Return sleep 1.5 keyup Return
keys Return
wait_entries "$work/draw" 2
[ "$(grep -ac '^\[' "$copy")" = 2 ] || fail "a held Enter drew more than one winner"
# Rounds of 5 typed into Txt_Num (2400,4680 twips): four take 20, the fifth takes the last group, in a box.
xdotool mousemove $((X + 2400 / 15 + 10)) $((Y + 4680 / 15 + 9)) click 1 sleep 0.2 key ctrl+a 5
for round in 1 2 3 4; do xdotool key --delay 50 Return Return; wait_entries "$work/draw" $((2 + 5 * round)); done
results=draw/摇号结果.txt
if [ -z "${wine:-}" ]; then
  xdotool key Return
  answer_box Taviro
  keys Return
  answer_box Taviro                   # everyone has been drawn
  save_results
  # Widened, the window shows CmdAbout (9487,4927 twips), which opens 关于.
  keys alt+h
  xdotool mousemove $((X + 9487 / 15)) $((Y + 4927 / 15)) click 1
  about="$(find_window '^关于$' 10)" || fail "CmdAbout opened no 关于"
  point_at "$about"
  xdotool key Escape                  # closed, or Alt+X finds no 退出 box
  quit_app
else # Wine without a window manager loses keys and clicks meant for its boxes: its draw is checked in the
  kill_app                          # recovery copy, which holds Save's bytes; boxes are the Windows tests' (offscreen)
  results="draw/$(basename "$(copy_in "$work/draw")")"
fi

# At --scale 4 the window is made as large as fits the 1280x1024 screen, and says so. One winner, Save (the copy
# goes), one more winner, then SIGKILL.
start_app sh -c 'out="$1"; shift; exec "$@" 2>"$out"' _ "$work/scale" "${installed[@]}" --scale 4 "$killed"
eval "$(xdotool getwindowgeometry --shell "$main_window")"
((X >= 0 && Y >= 0 && X + WIDTH <= 1280 && Y + HEIGHT <= 1024 && WIDTH > 2 * 476)) || fail "--scale 4: $WIDTH x $HEIGHT at $X,$Y"
grep -q '^taviro: at scale 4 the window does not fit the screen (1280x1024); scale 2.56 is' "$work/scale" || fail "no line on scale 4"
keys alt+i
keys --delay 50 Return Return
wait_entries "$work/killed" 1
cp "$copy" "$work/first"
save_results
[ -z "$(copy_in "$work/killed")" ] || fail "the recovery copy outlived a Save of the same text"
keys --delay 50 Return Return
wait_entries "$work/killed" 2
kill_app -9
killed_copy="$copy"

# The draws check out from their records: the first as saved (under Wine its record copy: it was killed), the
# killed run's copy up to its last revealed round.
verify() { # each record checks out: status 0 and the sentence that says so
  local record out
  for record; do
    [ -z "${wine:-}" ] || record="$(winepath -w "$record")"
    out="$("${installed[@]}" --verify "$record" 2>&1)" && [[ "$out" == 核对无误* ]] || fail "--verify $record: $out"
  done
}
verify "$(record_of "$work/$results")" "$(record_of "$killed_copy")"
grep -aq $'^种子类型\t公开\r$' "$(record_of "$work/$results")" || fail "the public seed is not in the record"

# Started again after the kill, Initialise offers to carry the draw on (上次的摇号在第2轮后中断…, 是 by Enter): one
# more round and Save. The results are the killed copy's and one more entry, and the draw checks out as one.
cp "$killed_copy" "$work/last"
start_app "${installed[@]}" "$killed"
keys alt+i
answer_box Taviro
keys --delay 50 Return Return
wait_entries "$work/killed" 3
keys alt+s
answer_box Taviro
kill_app
[ -z "$(copy_in "$work/killed")" ] || fail "the carried-on copy outlived its Save"
head -c "$(stat -c %s "$work/last")" "$work/killed/摇号结果.txt" | cmp -s - "$work/last" \
  && [ "$(grep -ac '^\[' "$work/killed/摇号结果.txt")" = 3 ] || fail "the draw carried on is not the killed one's"
verify "$work/killed/摇号记录.txt"

# A third run where the killed one left its stale lock: it starts, and a second start in the same folder only says
# so; it draws by a prize plan of three prizes, the first prize's winner forfeited (the mouse in the results box, Ctrl+End
# to the last line, Delete, 是 by Alt+Y) and replaced under it, and its Save keeps the second run's results and record
# under their dated names.
printf '%s\r\n' "三等奖 1" "二等奖 1" "一等奖 1" | iconv -f UTF-8 -t GBK >"$work/killed/奖项.txt"
start_app "${installed[@]}" "$killed"
windows="$(xdotool search --onlyvisible --name '^Taviro V' | wc -l)" # Wine may show more than one X window for one
"${installed[@]}" "$killed" &
second=$!
box="$(find_window '^Taviro$' 20)" || fail "a second start showed no box"
if [ -z "${wine:-}" ]; then
  answer_box Taviro
  timeout 10 tail --pid="$second" -f /dev/null || fail "the second start did not end"
else
  kill "$second" # Wine's boxes do not take keys without a window manager
fi
sleep 1
[ "$(xdotool search --onlyvisible --name '^Taviro V' | wc -l)" = "$windows" ] || fail "two windows in one folder"
keys alt+i
for prize in 1 2 3; do
  keys --delay 50 Return Return
  sleep 0.5
  if [ "$prize" = 1 ] && [ -z "${wine:-}" ]; then # Wine's boxes take no keys without a window manager
    xdotool mousemove $((X + 3000 / 15)) $((Y + 2000 / 15)) click 1 sleep 0.2 key ctrl+End Delete
    box="$(find_window '^弃奖$' 10)" || fail "Delete on a winner's line asked nothing"
    point_at "$box"
    xdotool key alt+y sleep 0.3
    keys --delay 50 Return Return # the replacement, under the same prize
    sleep 0.5
  fi
done
save_results
kill_app
dated=("$work"/killed/摇号结果_20??-??-??_????.txt)
[ -f "${dated[0]}" ] && [ -f "$(record_of "${dated[0]}")" ] || fail "the second run's results were not kept: $(ls "$work/killed")"
verify "$(record_of "${dated[0]}")" "$work/killed/摇号记录.txt"

# Under Wine with the Linux build beside it, records cross over: the Windows program's checks out on Linux, and a
# record made by the Linux program checks out under Wine.
if [ -n "${wine:-}" ] && [ -x build/taviro ]; then
  out="$(build/taviro --verify "$work/killed/摇号记录.txt" 2>&1)" || fail "Linux --verify of a Windows record: $out"
  mkdir "$work/linux" && cp "$work/killed/bonus.txt" "$work/linux/"
  wine='' start_app build/taviro --seed "$seed" "$work/linux"
  wine='' keys alt+i
  wine='' keys --delay 50 Return Return
  sleep 0.5
  wine='' save_results
  kill_app
  verify "$work/linux/摇号记录.txt"
fi

# A staff workbook with a heading row (工号 as text with its zeros, 姓名, 部门), drawn and saved: 摇号结果.xlsx, as
# openpyxl reads it by Excel's rules, holds the winners of 摇号结果.txt in their order, one column per cell, under the
# heading's titles. Natively: Wine's boxes take no keys without a window manager, and the heading is asked in one.
if [ -z "${wine:-}" ]; then
  mkdir "$work/sheet"
  /usr/bin/python3 - "$work/sheet/bonus.xlsx" <<'PY'
import sys, xlsxwriter
book = xlsxwriter.Workbook(sys.argv[1])
sheet = book.add_worksheet('名单')
sheet.write_row(0, 0, ['工号', '姓名', '部门'])
for n in range(1, 9):
    sheet.write_row(n, 0, ['%06d' % n, '员工%d' % n, '研发部' if n % 2 else '𠮷田部'])
book.close()
PY
  start_app "${installed[@]}" "$work/sheet"
  keys alt+i
  answer_box Taviro # 第1行像表头: yes, it takes no part
  for _ in 1 2 3; do keys --delay 50 Return Return; sleep 0.5; done
  save_results
  kill_app
  verify "$work/sheet/摇号记录.txt"
  /usr/bin/python3 - "$work/sheet" <<'PY' || fail "the workbook is not the results"
import os, subprocess, sys
folder = sys.argv[1]
rows = subprocess.run(['/usr/bin/python3', 'tests/data/results_workbook.py', os.path.join(folder, '摇号结果.xlsx')],
                      check=True, capture_output=True, encoding='utf-8').stdout.splitlines()
raw = open(os.path.join(folder, '摇号结果.txt'), 'rb').read()  # a workbook's results: UTF-8 with its mark
text = raw.decode('utf-8-sig' if raw.startswith(b'\xef\xbb\xbf') else 'gbk').split('\r\n')[2:-1]
entries = [line.split('\t') for line in text]
assert rows[0].split('\t') == ['序号', '轮次', '工号', '姓名', '部门', '中奖时间', '备注'], rows[0]
cells = [row.split('\t') for row in rows[1:]]
assert len(entries) == 3 and [[c[0]] + c[2:5] for c in cells] == [[e[0][1:-2]] + e[1:] for e in entries], (rows, text)
assert all(c[1] == '第%d轮' % n for n, c in enumerate(cells, 1)) and all(e[1].startswith('0000') for e in entries)
PY
fi

python3 - "$work" "$killed_copy" "$results" "${wine:-}" "${candidates[@]}" <<'PY' || fail "the results files' bytes"
import os, re, sys
work, copy, results, wine, candidates = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5:]
read = lambda name: open(os.path.join(work, name), 'rb').read()
entries = lambda names, first=1, code='gbk': ''.join('[%d]:\t%s\r\n' % (n, s) for n, s in enumerate(names, first)).encode(code)
heading, killed = '摇号结果\r\n\r\n'.encode('gbk'), '甲一 乙二 丙三 丁四'.split()
text = read(results)
names = [line.split('\t', 1)[1] for line in text.decode('utf-8-sig').split('\r\n')[2:-1]]
expected = len(candidates) if results.endswith('/摇号结果.txt') else 22  # Wine: the copy of the first 22
assert len(set(names)) == len(names) == expected and set(names) <= set(candidates), 'every candidate once'
assert text == '\ufeff摇号结果\r\n\r\n'.encode() + entries(names, code='utf-8'), 'UTF-8 with its mark, numbered, CR LF'
first, last = read('first'), read('last')
dated = sorted(n for n in os.listdir(os.path.join(work, 'killed')) if re.fullmatch(r'摇号结果_\d{4}-\d\d-\d\d_\d{4}\.txt', n))
saved = read(os.path.join('killed', dated[0]))  # the earliest, the first Save's: later Saves may date theirs a minute on
assert re.fullmatch(r'摇号结果_自动保存_\d{8}-\d{6}\.txt', os.path.basename(copy)), copy
assert first in [heading + entries([n]) for n in killed] and saved == first, first
assert last in [saved + entries([n], 2) for n in killed if n.encode('gbk') not in first], last
plan = read('killed/摇号结果.txt').decode('gbk')
forfeit = '' if wine else '\t（弃奖）\r\n\\[2]:\t(.*)'  # natively the first winner forfeited and replaced under 三等奖
won = re.fullmatch('摇号结果\r\n\r\n三等奖\r\n\\[1]:\t(.*)' + forfeit + '\r\n二等奖\r\n\\[\\d]:\t(.*)\r\n'
                   '一等奖\r\n\\[\\d]:\t(.*)\r\n', plan)
assert won and len(set(won.groups()) & set(killed)) == len(won.groups()), plan  # every winner once
PY
[ -n "${wine:-}" ] && what="22 winners by keys, under Wine" || what="25 winners by keys, About, exit; a staff workbook's draw saved as a workbook"
echo "e2e: passed ($what; a UTF-8 list saved in UTF-8; the killed GBK run kept both winners as Save writes them and was carried on; every record verified; one window per folder; earlier results kept)"
