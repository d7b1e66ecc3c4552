# Drives Taviro on a virtual X screen for the scripts that source it; they set `tag`, their name in messages.
app_pid="" main_window="" xvfb_pid=""

fail() {
  echo "$tag: FAILED: $*" >&2
  if [ -n "${DISPLAY:-}" ] && import -window root "/tmp/taviro-$tag-failure.png" 2>/dev/null; then
    echo "$tag: the screen is in /tmp/taviro-$tag-failure.png" >&2
  fi
  exit 1
}

# -noreset: else the X server resets when its last client leaves and refuses whoever connects meanwhile (the program
# restarting Qt at a scale that fits, say); a desktop never does, its window manager stays connected.
start_xvfb() { # [WxH], 1280x1024 by default
  local display=99
  while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
  Xvfb ":$display" -screen 0 "${1:-1280x1024}x24" -nolisten tcp -noreset >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$display"
  for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && return; sleep 0.1; done
  fail "Xvfb did not start"
}
stop_xvfb() { # and the program, if it still runs, and Wine's server, which knows this screen's size
  [ -z "$app_pid" ] || kill "$app_pid" 2>/dev/null || true
  [ -z "${wine:-}" ] || wineserver -k 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
}
kill_app() { kill "${1:--TERM}" "$app_pid"; wait "$app_pid" 2>/dev/null || true; app_pid=""; } # [signal]
# The first visible window whose title matches, within $2 seconds. Polled rather than `search --sync`, which ends
# with an X error when a window goes while it looks at it, as Wine's first start makes some do.
find_window() {
  local id
  for _ in $(seq $(($2 * 10))); do
    id="$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)" && [ -n "$id" ] && echo "$id" && return
    sleep 0.1
  done
  return 1
}
start_app() { # runs the command that starts the program and waits for its window
  "$@" &
  app_pid=$!
  main_window="$(find_window '^Taviro V[0-9]' 30)" || fail "no window"
}

# Without a window manager keys go to the window under the pointer (no --sync: it never returns if already there).
# Wine without a window manager activates a window on a click only: a click on its edge, where nothing reacts.
point_at() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  [ -z "${wine:-}" ] || xdotool mousemove $((X + 2)) $((Y + 2)) click 1
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) sleep 0.1
  xdotool windowfocus --sync "$1" 2>/dev/null || true
}
keys() { point_at "$main_window"; xdotool key "$@"; sleep 0.3; }
save_results() { keys alt+s; answer_box Taviro; }

answer_box() { # waits for the message box with this title and answers it with Enter
  local box
  box="$(find_window "^$1\$" 10)" || fail "no box titled $1"
  point_at "$box"
  xdotool key Return sleep 0.3
}

quit_app() { # leaves through both confirmations: the program must end, and end well
  keys alt+x
  answer_box 退出
  answer_box 确认退出
  timeout 5 tail --pid="$app_pid" -f /dev/null || fail "the program did not end after both confirmations"
  wait "$app_pid" || fail "the program ended with status $?"
  app_pid=""
}
