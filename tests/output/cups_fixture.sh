#!/usr/bin/env bash
# cups_fixture.sh start|printed|stop STATE (root): a cups-pdf queue as the server-wide default printer, rendered
# by pdftocairo to keep its text; printed waits for the job and moves its PDF's text to STATE.txt; stop undoes start.
set -euo pipefail
queue=TaviroPDF state="$2" pid="" pdfs="$(getent passwd "$(id -u)" | cut -d: -f6)/PDF" # cups-pdf's folder for the job's owner
running() { [ "$(lpstat -r 2>/dev/null)" = "scheduler is running" ]; }
if [ "$1" = start ]; then
  if ! running; then
    /usr/sbin/cupsd -f </dev/null >>"$state.log" 2>&1 &
    pid=$!
    timeout 15 bash -c "$(declare -f running); until running; do sleep 0.1; done" || { cat "$state.log" >&2; kill "$pid"; exit 1; }
  fi
  printf 'pid=%q default=%q\n' "$pid" "$(lpstat -d 2>/dev/null | sed -n 's/^system default destination: //p')" >"$state"
  lpadmin -p "$queue" -E -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd -o pdftops-renderer-default=pdftocairo
  lpadmin -d "$queue"
elif [ "$1" = printed ]; then
  for _ in $(seq 300); do [ -z "$(lpstat -o)" ] && pdf="$(find "$pdfs" -name '*.pdf' -newer "$state")" && [ -n "$pdf" ] && break; sleep 0.2; done
  pdftotext -layout "$pdf" "$state.txt" && rm "$pdf"
elif [ "$1" = stop ] && [ -r "$state" ]; then
  source "$state"
  [ -z "$default" ] || [ "$default" = "$queue" ] || lpadmin -d "$default" || true
  lpadmin -x "$queue" || true
  [ -z "$pid" ] || [ "$(cat "/proc/$pid/comm" 2>/dev/null)" != cupsd ] || { kill -TERM "$pid" && timeout 10 tail --pid="$pid" -f /dev/null; } || true
  rm -f "$state" "$state.log"
fi
