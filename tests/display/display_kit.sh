# Shared by the display tests: a virtual display with a window manager, waiting for what a
# person would wait for, screenshots and a failure report. Sourced, not run. The sourcing
# script sets `work` (a scratch folder), `shots` (the screenshot folder) and `step`, and lists
# ends the program it drives itself; the kit ends the display and the window manager.

readonly wait_limit=${wait_limit:-20}  # seconds for any one thing to happen
started_pids=()

now_ms() { local t=${EPOCHREALTIME/./}; echo $((10#$t / 1000)); }
start_ms=$(now_ms)

# Ends the display and the window manager this test started, newest first, each by its id.
stop_started_processes() {
  local i pid
  for ((i = ${#started_pids[@]} - 1; i >= 0; i--)); do
    pid=${started_pids[i]}
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  done
  for pid in "${started_pids[@]}"; do
    [ -n "$pid" ] && wait "$pid" 2>/dev/null || true
  done
}

fail() {
  echo "FAILED at step '$step': $*" >&2
  if [ -n "${DISPLAY:-}" ]; then
    import -window root "$shots/failure.png" 2>/dev/null || true
    echo "Windows on the display:" >&2
    local id
    for id in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
      echo "  $id '$(xdotool getwindowname "$id" 2>/dev/null)'" >&2
    done
  fi
  local log
  for log in "$work"/*.log; do
    [ -s "$log" ] && { echo "--- $log" >&2; tail -n 30 "$log" >&2; }
  done
  exit 1
}

# wait_until WHAT COMMAND...: polls COMMAND until it succeeds, for at most wait_limit seconds.
wait_until() {
  local what=$1 since
  shift
  since=$(now_ms)
  until "$@"; do
    if (($(now_ms) - since > wait_limit * 1000)); then
      fail "no $what within $wait_limit s"
    fi
    sleep 0.05
  done
}

# The first visible window whose title matches, or nothing.
visible_window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
window_shown() { [ -n "$(visible_window "$1")" ]; }
window_gone() { [ -z "$(visible_window "$1")" ]; }
has_keyboard() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }
file_exists() { [ -f "$1" ]; }

shot_number=0
screenshot() {  # screenshot NAME: the whole screen, numbered in step order
  shot_number=$((shot_number + 1))
  import -window root "$shots/$(printf '%02d' "$shot_number")-$1.png"
}
same_picture() { compare -metric AE "$1" "$2" null: >/dev/null 2>&1; }

begin() {  # begin STEP: names the step for a failure report and tells when it starts
  step=$1
  printf '%6d ms  %s\n' "$(($(now_ms) - start_ms))" "$step"
}

# start_display WIDTHxHEIGHT: Xvfb at 96 dpi and openbox managing it; exports DISPLAY.
start_display() {
  exec 3>"$work/display-number"
  Xvfb -displayfd 3 -screen 0 "$1x24" -dpi 96 -nolisten tcp >"$work/xvfb.log" 2>&1 &
  local xvfb_pid=$!
  started_pids+=("$xvfb_pid")
  exec 3>&-
  display_ready() {
    [ -s "$work/display-number" ] || { kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb ended"; false; }
  }
  wait_until "display from Xvfb" display_ready
  export DISPLAY=":$(tr -d '\n' <"$work/display-number")"
  openbox --sm-disable >"$work/openbox.log" 2>&1 &
  local openbox_pid=$!
  started_pids+=("$openbox_pid")
  openbox_ready() {
    kill -0 "$openbox_pid" 2>/dev/null || fail "openbox ended"
    xdotool get_num_desktops >/dev/null 2>&1
  }
  wait_until "openbox managing the display" openbox_ready
}

# require_tools TOOL...: exits 77 (skipped) when one is missing.
require_tools() {
  local tool
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null 2>&1; then
      echo "SKIPPED: $tool is not installed (scripts/common.sh installs xvfb, openbox, xdotool" \
        "and imagemagick)" >&2
      exit 77
    fi
  done
}
