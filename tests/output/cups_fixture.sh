#!/usr/bin/env bash
# A cups-pdf queue as the CUPS server's default printer, for the printing
# tests. Uses the running scheduler, or starts one and remembers its pid.
#
#   cups_fixture.sh start STATE   prepare the queue; STATE records what to undo
#   cups_fixture.sh stop STATE    undo exactly what start did
#
# Needs root (the queue is added with lpadmin and cups-pdf writes the PDFs
# to the home folder of the job's owner: /root/PDF for root).
set -euo pipefail

queue=TaviroPDF
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
cupsd=/usr/sbin/cupsd

action="${1:-}"
state="${2:-}"
if [ -z "$action" ] || [ -z "$state" ]; then
  echo "usage: $0 start|stop STATE" >&2
  exit 2
fi

scheduler_answers() { [ "$(lpstat -r 2>/dev/null)" = "scheduler is running" ]; }

wait_for() { # wait_for SECONDS COMMAND...: true once COMMAND succeeds
  local tries=$(( $1 * 10 )); shift
  while [ "$tries" -gt 0 ]; do
    if "$@"; then return 0; fi
    sleep 0.1
    tries=$(( tries - 1 ))
  done
  return 1
}

pid_is_our_cupsd() { # the pid still runs and is the cupsd we started
  [ -r "/proc/$1/comm" ] && [ "$(cat "/proc/$1/comm")" = cupsd ]
}

start() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "cups_fixture: must run as root to add a print queue" >&2
    exit 1
  fi
  for tool in lpstat lpadmin "$cupsd"; do
    command -v "$tool" >/dev/null || { echo "cups_fixture: $tool is missing (scripts/install-deps)" >&2; exit 1; }
  done
  [ -r "$ppd" ] || { echo "cups_fixture: $ppd is missing (printer-driver-cups-pdf)" >&2; exit 1; }

  local started_pid=""
  if ! scheduler_answers; then
    mkdir -p /run/cups
    "$cupsd" -f </dev/null >>"$state.cupsd.log" 2>&1 &
    started_pid=$!
    if ! wait_for 15 scheduler_answers; then
      echo "cups_fixture: cupsd (pid $started_pid) did not answer" >&2
      cat "$state.cupsd.log" >&2 || true
      kill "$started_pid" 2>/dev/null || true
      exit 1
    fi
  fi

  local previous_default queue_existed=0
  previous_default="$(lpstat -d 2>/dev/null | sed -n 's/^system default destination: //p')"
  if lpstat -p "$queue" >/dev/null 2>&1; then queue_existed=1; fi

  {
    echo "started_pid=$started_pid"
    echo "previous_default=$previous_default"
    echo "queue_existed=$queue_existed"
  } >"$state"

  # The server-wide default (-d), not a per-user lpoptions override; the
  # pdftocairo renderer keeps the text of the PDF extractable.
  lpadmin -p "$queue" -E -v cups-pdf:/ -P "$ppd" -o pdftops-renderer-default=pdftocairo 2>/dev/null
  lpadmin -d "$queue"
  cupsenable "$queue" 2>/dev/null || true
  cupsaccept "$queue" 2>/dev/null || true
  wait_for 10 sh -c "lpstat -d | grep -q ': $queue\$'"
}

stop() {
  [ -r "$state" ] || exit 0
  local started_pid="" previous_default="" queue_existed=1
  started_pid="$(sed -n 's/^started_pid=//p' "$state")"
  previous_default="$(sed -n 's/^previous_default=//p' "$state")"
  queue_existed="$(sed -n 's/^queue_existed=//p' "$state")"

  if scheduler_answers; then
    if [ -n "$previous_default" ] && [ "$previous_default" != "$queue" ]; then
      lpadmin -d "$previous_default" || true
    fi
    if [ "$queue_existed" = 0 ]; then
      lpadmin -x "$queue" || true
    fi
  fi

  if [ -n "$started_pid" ] && pid_is_our_cupsd "$started_pid"; then
    kill -TERM "$started_pid"
    if ! wait_for 10 sh -c "! [ -e /proc/$started_pid ]"; then
      pid_is_our_cupsd "$started_pid" && kill -KILL "$started_pid"
    fi
  fi
  rm -f "$state" "$state.cupsd.log"
}

case "$action" in
  start) start ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop STATE" >&2; exit 2 ;;
esac
