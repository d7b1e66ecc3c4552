#!/usr/bin/env bash
# cups_fixture.sh start|stop STATE: a cups-pdf queue as the CUPS server's default printer (root);
# stop undoes exactly what start did, down to the scheduler start launched, if any.
set -euo pipefail
queue=TaviroPDF state="$2"
running() { [ "$(lpstat -r 2>/dev/null)" = "scheduler is running" ]; }
if [ "$1" = start ]; then
  pid="" existed=no
  if ! running; then
    mkdir -p /run/cups
    /usr/sbin/cupsd -f </dev/null >>"$state.log" 2>&1 &
    pid=$!
    timeout 15 bash -c "$(declare -f running); until running; do sleep 0.1; done" || { cat "$state.log" >&2; kill "$pid"; exit 1; }
  fi
  lpstat -p "$queue" >/dev/null 2>&1 && existed=yes
  printf 'pid=%q default=%q existed=%q\n' "$pid" "$(lpstat -d 2>/dev/null | sed -n 's/^system default destination: //p')" "$existed" >"$state"
  # The server-wide default, not a per-user one; pdftocairo keeps the PDF's text extractable.
  lpadmin -p "$queue" -E -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd -o pdftops-renderer-default=pdftocairo
  lpadmin -d "$queue"
elif [ "$1" = stop ] && [ -r "$state" ]; then
  source "$state"
  [ -z "$default" ] || [ "$default" = "$queue" ] || lpadmin -d "$default" || true
  [ "$existed" = yes ] || lpadmin -x "$queue" || true
  if [ -n "$pid" ] && [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = cupsd ]; then # still the scheduler start launched
    kill -TERM "$pid"
    timeout 10 tail --pid="$pid" -f /dev/null || true
  fi
  rm -f "$state" "$state.log"
fi
