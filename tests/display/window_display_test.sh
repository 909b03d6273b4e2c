#!/usr/bin/env bash
# The window as a person drives it, on a real (virtual) display: Xvfb at 1280x800, 96 dpi, with
# the openbox window manager; xdotool moves the mouse, clicks once and types, as a user would.
# The offscreen Qt tests never pass through a window system, so they cannot see what this sees
# (the first click after the file dialog used to be lost to its completion list).
#
#   window_display_test.sh PROGRAM_FOLDER SOURCE_DIR SCREENSHOT_FOLDER
#
# PROGRAM_FOLDER holds accprep, accprep-cli, accprep-integrate, fftvel.bat and fftdis.bat; they
# are copied into a throw-away program folder, so the test never writes into the build and can
# run beside other tests. SCREENSHOT_FOLDER receives a picture of each step (emptied first, kept
# afterwards). Exits 77 (skipped) when Xvfb, openbox, xdotool or ImageMagick is missing.
set -euo pipefail

if [ $# -ne 3 ]; then
  echo "usage: $0 PROGRAM_FOLDER SOURCE_DIR SCREENSHOT_FOLDER" >&2
  exit 2
fi
bin_dir=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
shots=$3

source "$source_dir/tests/display/display_kit.sh"
require_tools Xvfb openbox xdotool import convert compare

# --- Where the window stands (pixels at 96 dpi, relative to the client area) ----------------
readonly client_width=631 client_height=329
readonly command1_x=376 command1_y=32   # ファイルを選択: 344, 16, 65 x 33
readonly command2_x=380 command2_y=160  # はじめ: 344, 144, 73 x 33
readonly command3_x=380 command3_y=288  # 終了: 344, 272, 73 x 33
readonly text2_x=188 text2_y=100        # コメント: Frame4 48, 72 + Text2 24, 16, 233 x 25
readonly text1_x=176 text1_y=164        # 保存ファイル名: Frame1 40, 136 + Text1 24, 16, 225 x 25
readonly label2_crop=84x15+64+240       # 現在の状況: Frame3 40, 224 + Label2 24, 16, 84 x 15

readonly window_title='^待機中$'
readonly box_title='^accprep$'  # the message boxes carry the program's title
readonly dialog_title='^開く$'  # Qt's own open-file dialog, in Qt's Japanese translation
readonly comment='accprep-display-test-comment'

# --- Scratch space, processes, failure report ----------------------------------------------
work=$(mktemp -d "${TMPDIR:-/tmp}/accprep-display.XXXXXX")
mkdir -p "$shots"
shots=$(cd "$shots" && pwd)
rm -f "$shots"/*.png
app_pid=
step=setup

passed=0
on_exit() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
  stop_started_processes
  if [ "$passed" -eq 1 ]; then
    rm -rf "$work"
  else
    echo "Kept for a look: $work (program folder, logs) and $shots (screenshots)" >&2
  fi
}
trap on_exit EXIT

app_running() { kill -0 "$app_pid" 2>/dev/null; }
app_ended() { ! app_running; }

click() {  # click X Y: one left click at a point of the main window's client area
  xdotool mousemove --window "$window" "$1" "$2" click 1
}

# The status label as pixels, once two captures in a row agree (a closed box may have left a
# region still to repaint).
status_picture() {
  local out=$1 previous="$work/status-previous.png" since
  since=$(now_ms)
  import -window "$window" -crop "$label2_crop" +repage "$previous"
  while :; do
    sleep 0.1
    import -window "$window" -crop "$label2_crop" +repage "$out"
    same_picture "$out" "$previous" && return 0
    (($(now_ms) - since > wait_limit * 1000)) && fail "the status label never settled"
    cp "$out" "$previous"
  done
}

# A message box is up and has the keyboard: Enter closes it, as its OK button is the default.
close_box_with_enter() {
  wait_until "message box" window_shown "$box_title"
  local box
  box=$(visible_window "$box_title")
  wait_until "keyboard focus on the message box" has_keyboard "$box"
  screenshot "$1"
  xdotool key Return
  wait_until "message box closing" window_gone "$box_title"
}

first_line() { head -n 1 "$1" | tr -d '\r'; }

# --- The throw-away program folder and the reference folder ---------------------------------
begin 'program folders'
for folder in "$work/program" "$work/reference"; do
  mkdir -p "$folder/out"
  for file in accprep accprep-cli accprep-integrate fftvel.bat fftdis.bat; do
    [ -f "$bin_dir/$file" ] || fail "$bin_dir/$file is missing; build first"
    cp -p "$bin_dir/$file" "$folder/"
  done
  cp "$source_dir/examples/example-record.csv" "$folder/example-record.csv"
done
program=$work/program
record=$program/example-record.csv

# --- The display, the window manager, the program --------------------------------------------
begin 'virtual display and window manager'
start_display 1280x800

runtime_dir="$work/runtime"
mkdir -m 700 "$runtime_dir"
main_window_up() { app_running || fail "accprep ended"; window_shown "$window_title"; }
start_program() {
  (
    cd "$program"
    exec env -u QT_QPA_PLATFORMTHEME LC_ALL=C.UTF-8 QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$runtime_dir" \
      ./accprep
  ) >>"$work/app.log" 2>&1 &
  app_pid=$!
  wait_until "window titled 待機中" main_window_up
  window=$(visible_window "$window_title")
  wait_until "keyboard focus on the window" has_keyboard "$window"
}

# ファイルを選択, type the record's full path, Enter.
choose_record() {
  click "$command1_x" "$command1_y"
  wait_until "open-file dialog" window_shown "$dialog_title"
  dialog=$(visible_window "$dialog_title")
  wait_until "keyboard focus on the dialog" has_keyboard "$dialog"
  [ -z "${1:-}" ] || screenshot "$1"
  xdotool type "$record"
  [ -z "${2:-}" ] || screenshot "$2"
  xdotool key Return
  wait_until "dialog closing" window_gone "$dialog_title"
  wait_until "keyboard focus back on the window" has_keyboard "$window"
}

begin 'program start'
start_program

begin 'client area'
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH" -eq "$client_width" ] && [ "$HEIGHT" -eq "$client_height" ] ||
  fail "client area ${WIDTH} x ${HEIGHT}, expected ${client_width} x ${client_height} at 96 dpi"
screenshot start
status_picture "$work/status-waiting.png"

# --- Choose the record: ファイルを選択, type its full path, Enter --------------------------
begin 'file dialog'
choose_record dialog dialog-path-typed
screenshot file-chosen

# --- One click into each text box, then type: the first click after the dialog must count ----
begin 'typing the comment and the name'
click "$text2_x" "$text2_y"
xdotool type "$comment"
click "$text1_x" "$text1_y"
xdotool type gui
screenshot typed

# --- はじめ: the run, its "done" box, status 終了 ---------------------------------------------
begin 'first run'
click "$command2_x" "$command2_y"
close_box_with_enter done-box
app_running || fail "the window closed after the run"
window_shown "$window_title" || fail "the window is gone after the run"
screenshot finished
status_picture "$work/status-finished.png"

begin 'first run outputs'
for output in out/gui_accmat.prn out/gui_velmat.prn out/gui_dismat.prn example-record_acc.csv \
  example-record_vel.csv example-record_velAmp.csv example-record_dis.csv \
  example-record_disAmp.csv; do
  file_exists "$program/$output" || fail "the run left no $output"
done
line=$(first_line "$program/example-record_acc.csv")
[ "$line" = "$comment" ] ||
  fail "the public CSV starts with '$line', not the typed comment '$comment' (the click into コメント was lost?)"
(
  cd "$work/reference"
  LC_ALL=C.UTF-8 ./accprep-cli --name gui --comment "$comment" "$work/reference/example-record.csv"
) >"$work/cli.log" 2>&1 || fail "accprep-cli failed on the same record: $(tail -n 3 "$work/cli.log")"
cmp -s "$program/out/gui_accmat.prn" "$work/reference/out/gui_accmat.prn" ||
  fail "out/gui_accmat.prn differs from what accprep-cli writes for the same inputs"
same_picture "$work/status-finished.png" "$work/status-waiting.png" &&
  fail "the status label still shows what it showed at start"

# --- A failing run: the out folder is gone ----------------------------------------------------
begin 'failing run'
mv "$program/out" "$program/out-away"
click "$text1_x" "$text1_y"  # an edit of 保存ファイル名 arms Start: the name becomes gui2
xdotool type 2
click "$command2_x" "$command2_y"
close_box_with_enter failure-box
app_running || fail "the window closed after the failed run"
window_shown "$window_title" || fail "the window is gone after the failed run"
screenshot failed
status_picture "$work/status-failed.png"
same_picture "$work/status-failed.png" "$work/status-finished.png" &&
  fail "the status label shows the same after the failure as after the complete run"
same_picture "$work/status-failed.png" "$work/status-waiting.png" &&
  fail "the status label shows 待機中's picture after the failure"
[ -e "$program/out" ] && fail "the failed run created an out folder"
mv "$program/out-away" "$program/out"

# A run that has ended leaves Start disarmed: a click on はじめ starts nothing.
begin 'start disarmed after a run'
click "$command2_x" "$command2_y"
sleep 1
window_gone "$box_title" || fail "はじめ started a run although no selection or edit armed it"

# --- ファイルを選択 again, cancel: a cancelled selection arms Start too ----------------------
begin 'cancelled selection'
click "$command1_x" "$command1_y"
wait_until "open-file dialog" window_shown "$dialog_title"
dialog=$(visible_window "$dialog_title")
wait_until "keyboard focus on the dialog" has_keyboard "$dialog"
screenshot dialog-again
xdotool key Escape
wait_until "dialog closing" window_gone "$dialog_title"
wait_until "keyboard focus back on the window" has_keyboard "$window"
screenshot cancelled-start-armed

# The cancel kept the chosen record: one click on はじめ converts it again, named gui2.
begin 'run after the cancel'
click "$command2_x" "$command2_y"
close_box_with_enter done-box-again
file_exists "$program/out/gui2_accmat.prn" || fail "the run after the cancel left no out/gui2_accmat.prn"
cmp -s "$program/out/gui2_accmat.prn" "$work/reference/out/gui_accmat.prn" ||
  fail "out/gui2_accmat.prn differs from what accprep-cli writes for the same record"
screenshot finished-again
status_picture "$work/status-finished-again.png"
same_picture "$work/status-finished-again.png" "$work/status-finished.png" ||
  fail "the status label after the second complete run differs from after the first (終了)"

# --- 終了 ends the program ---------------------------------------------------------------------
begin 'exit'
click "$command3_x" "$command3_y"
wait_until "the program ending" app_ended
app_status=0
wait "$app_pid" || app_status=$?
app_pid=
[ "$app_status" -eq 0 ] || fail "accprep ended with status $app_status"

# --- A desktop logout's SIGTERM during a run: the job stops, nothing is left behind -----------
begin 'terminated during a job'
mv "$program/fftvel.bat" "$program/fftvel-shipped.bat"
printf '%s\n' '#!/bin/sh' 'here=$(dirname "$0")' 'sleep 60 &' 'echo $! > "$here/sleeper.pid"' \
  'wait' >"$program/fftvel.bat"
chmod +x "$program/fftvel.bat"
start_program
choose_record
click "$text1_x" "$text1_y"
xdotool type term
click "$command2_x" "$command2_y"
wait_until "the velocity job" file_exists "$program/sleeper.pid"
screenshot running-job
kill -TERM "$app_pid"
wait_until "the program ending on SIGTERM" app_ended
app_status=0
wait "$app_pid" || app_status=$?
app_pid=
[ "$app_status" -eq 143 ] || fail "accprep ended with status $app_status on SIGTERM, not 143"
leftovers=$(find "$program" -name '*.part-*')
[ -z "$leftovers" ] || fail "temporary files left after SIGTERM: $leftovers"
for exchange in outacc.csv velout.csv disout.csv amp3.csv; do
  [ ! -e "$program/$exchange" ] || fail "$exchange left after SIGTERM"
done
sleeper=$(cat "$program/sleeper.pid")
sleeper_gone() { ! kill -0 "$sleeper" 2>/dev/null || grep -q '^[0-9]* ([^)]*) Z' "/proc/$sleeper/stat"; }
wait_until "the job's own child ending" sleeper_gone
[ -f "$program/out/term_accmat.prn" ] || fail "the complete acceleration matrix was not kept"

passed=1
echo "Display test passed in $(( ($(now_ms) - start_ms) )) ms; screenshots in $shots"
