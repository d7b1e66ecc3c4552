#!/usr/bin/env bash
# cups_fixture.sh start|printed|stop STATE (root): a cups-pdf queue as the server's default printer; printed
# waits for the job and moves its PDF's text to STATE.txt; stop undoes what start did.
set -euo pipefail
queue=TaviroPDF state="$2" pdfs="$(getent passwd "$(id -u)" | cut -d: -f6)/PDF" # cups-pdf's folder for the job's owner
running() { [ "$(lpstat -r 2>/dev/null)" = "scheduler is running" ]; }
if [ "$1" = start ]; then
  pid=""
  if ! running; then
    /usr/sbin/cupsd -f </dev/null >>"$state.log" 2>&1 &
    pid=$!
    timeout 15 bash -c "$(declare -f running); until running; do sleep 0.1; done" || { cat "$state.log" >&2; kill "$pid"; exit 1; }
  fi
  printf 'pid=%q default=%q\n' "$pid" "$(lpstat -d 2>/dev/null | sed -n 's/^system default destination: //p')" >"$state"
  ls "$pdfs" >"$state.pdfs" 2>/dev/null || true
  # The server-wide default, not a per-user one; pdftocairo keeps the PDF's text extractable.
  lpadmin -p "$queue" -E -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd -o pdftops-renderer-default=pdftocairo
  lpadmin -d "$queue"
elif [ "$1" = printed ]; then
  for _ in $(seq 600); do [ -z "$(lpstat -o)" ] && pdf="$(ls "$pdfs" | grep -vxFf "$state.pdfs" | grep '\.pdf$')" && break; sleep 0.2; done
  pdftotext -layout "$pdfs/$pdf" "$state.txt" && rm "$pdfs/$pdf"
elif [ "$1" = stop ] && [ -r "$state" ]; then
  source "$state"
  [ -z "$default" ] || [ "$default" = "$queue" ] || lpadmin -d "$default" || true
  lpadmin -x "$queue" || true
  if [ -n "$pid" ] && [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = cupsd ]; then # still the scheduler start launched
    kill -TERM "$pid" && timeout 10 tail --pid="$pid" -f /dev/null || true
  fi
  rm -f "$state" "$state.log" "$state.pdfs"
fi
