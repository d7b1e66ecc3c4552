#!/usr/bin/env bash
# A cups-pdf queue as the CUPS server's default printer (root only).
#   cups_fixture.sh start STATE   uses the running cupsd, or starts one
#   cups_fixture.sh stop STATE    undoes exactly what start did
set -euo pipefail
queue=TaviroPDF state="$2"
answers() { [ "$(lpstat -r 2>/dev/null)" = "scheduler is running" ]; }
ours() { [ "$(cat "/proc/$1/comm" 2>/dev/null)" = cupsd ]; } # the pid is (still) a cupsd
wait_for() { # wait_for SECONDS COMMAND...
  local tries=$(( $1 * 10 )); shift
  until "$@"; do tries=$(( tries - 1 )); [ "$tries" -gt 0 ] || return 1; sleep 0.1; done
}

if [ "$1" = start ]; then
  [ "$(id -u)" -eq 0 ] || { echo "cups_fixture: must run as root" >&2; exit 1; }
  pid=""
  if ! answers; then
    mkdir -p /run/cups
    /usr/sbin/cupsd -f </dev/null >>"$state.log" 2>&1 &
    pid=$!
    wait_for 15 answers || { cat "$state.log" >&2; kill "$pid"; exit 1; }
  fi
  existed=0; lpstat -p "$queue" >/dev/null 2>&1 && existed=1
  printf 'pid=%s\ndefault=%s\nexisted=%s\n' "$pid" \
    "$(lpstat -d 2>/dev/null | sed -n 's/^system default destination: //p')" "$existed" >"$state"
  # The server-wide default (-d), not a per-user lpoptions override; the
  # pdftocairo renderer keeps the PDF's text extractable.
  lpadmin -p "$queue" -E -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd \
    -o pdftops-renderer-default=pdftocairo
  lpadmin -d "$queue"
elif [ "$1" = stop ] && [ -r "$state" ]; then
  get() { sed -n "s/^$1=//p" "$state"; }
  pid="$(get pid)" default="$(get default)"
  if answers; then
    [ -z "$default" ] || [ "$default" = "$queue" ] || lpadmin -d "$default" || true
    [ "$(get existed)" = 1 ] || lpadmin -x "$queue" || true
  fi
  if [ -n "$pid" ] && ours "$pid"; then # only the scheduler start launched, by its pid
    kill -TERM "$pid"
    wait_for 10 sh -c "! [ -e /proc/$pid ]" || { ours "$pid" && kill -KILL "$pid"; } || true
  fi
  rm -f "$state" "$state.log"
fi
