#!/usr/bin/env bash
# The viewer as a person meets it on a laptop screen: Xvfb at the size given (1280x720,
# 1366x768), 96 dpi, openbox; xdotool moves the mouse, clicks, turns the wheel and types. The
# viewer starts without a record and asks for one; the test opens the shared K-NET record's
# conversion through that dialog and through the menu, and checks that every control lies
# inside the screen, that the readout gives the record's value at the sample under the mouse,
# that the wheel zooms time alone and a double click resets it, that the station chooser sets
# one station's three components and warns when they are mixed, that the spectra tab follows
# its smoothing and the response tab draws RotD of a chosen station, and that a file of no
# conversion is refused in the window. The window reports what it shows to a file
# (ACCPREP_VIEW_REPORT) that the test reads as a person reads the screen.
#
#   viewer_display_test.sh PROGRAM_FOLDER SOURCE_DIR SCREENSHOT_FOLDER WIDTHxHEIGHT
set -euo pipefail

if [ $# -ne 4 ]; then
  echo "usage: $0 PROGRAM_FOLDER SOURCE_DIR SCREENSHOT_FOLDER WIDTHxHEIGHT" >&2
  exit 2
fi
bin_dir=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
shots=$3
screen_size=$4
screen_width=${screen_size%x*}
screen_height=${screen_size#*x}

source "$source_dir/tests/display/display_kit.sh"
require_tools Xvfb openbox xdotool import compare

record_source=$source_dir/../shared/data/knet-aomori-2018.csv
[ -f "$record_source" ] || { echo "SKIPPED: $record_source is missing" >&2; exit 77; }

work=$(mktemp -d "${TMPDIR:-/tmp}/accprep-viewer-display.XXXXXX")
mkdir -p "$shots"
shots=$(cd "$shots" && pwd)
rm -f "$shots"/*.png
step=setup
passed=0
viewer_pid=
on_exit() {
  [ -n "$viewer_pid" ] && kill "$viewer_pid" 2>/dev/null && wait "$viewer_pid" 2>/dev/null
  stop_started_processes
  if [ "$passed" -eq 1 ]; then rm -rf "$work"; else echo "Kept for a look: $work and $shots" >&2; fi
}
trap on_exit EXIT

readonly dialog_title='^記録を開く$'
report=$work/report

# --- The conversion to look at ----------------------------------------------------------------
begin 'conversion of the shared K-NET record'
program=$work/program
mkdir -p "$program/out" "$work/records"
for file in accprep-cli accprep-integrate fftvel.bat fftdis.bat accprep-view; do
  [ -f "$bin_dir/$file" ] || fail "$bin_dir/$file is missing; build first"
  cp -p "$bin_dir/$file" "$program/"
done
cp "$record_source" "$work/records/knet.csv"
"$program/accprep-cli" --name knet "$work/records/knet.csv" >"$work/cli.log" 2>&1 ||
  fail "accprep-cli could not convert the shared record"
acc=$work/records/knet_acc.csv

# --- The display and the viewer, started without a record -------------------------------------
begin "virtual display $screen_size"
start_display "$screen_size"

value() { sed -n "s/^$1=//p" "$report" 2>/dev/null | head -n 1; }
reported() { [ -s "$report" ] && [ "$(value "$1")" = "$2" ]; }
control_lines() { grep '^control=' "$report"; }

begin 'viewer start without a record'
mkdir -m 700 "$work/runtime"
(
  cd "$work"
  exec env -u QT_QPA_PLATFORMTHEME LC_ALL=C.UTF-8 QT_QPA_PLATFORM=xcb \
    XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config" HOME="$work" \
    ACCPREP_VIEW_REPORT="$report" "$program/accprep-view"
) >>"$work/viewer.log" 2>&1 &
viewer_pid=$!
viewer_running() { kill -0 "$viewer_pid" 2>/dev/null || fail "accprep-view ended"; }

open_through_dialog() {  # open_through_dialog PATH: the dialog is up; type the path, Enter
  viewer_running
  wait_until "the open dialog" window_shown "$dialog_title"
  local dialog
  dialog=$(visible_window "$dialog_title")
  wait_until "keyboard focus on the dialog" has_keyboard "$dialog"
  [ -z "${2:-}" ] || screenshot "$2"
  xdotool type --delay 5 "$1"
  xdotool key Return
  wait_until "the dialog closing" window_gone "$dialog_title"
}
open_through_dialog "$work/records/knet.csv" open-dialog
wait_until "the record loaded" reported record "$work/records/knet.csv"
wait_until "the records drawn" reported loaded 1
window=$(visible_window '^記録ビューア - knet$')
[ -n "$window" ] || fail "no window titled 記録ビューア - knet"
screenshot loading
wait_until "every tab computed" reported settled 1
screenshot opened

# --- Every control inside the screen ----------------------------------------------------------
begin 'every control inside the screen'
# The frame (title bar and borders) is among the controls, as the window manager placed it.
while read -r name x y w h; do
  ((x >= 0 && y >= 0 && x + w <= screen_width && y + h <= screen_height)) ||
    fail "control $name (${w}x${h} at $x,$y) lies outside the ${screen_size} screen"
done < <(control_lines | sed 's/^control=//')
for name in frame reset save readout statusbar menubar channels tabs; do
  control_lines | grep -q "^control=$name " || fail "no $name reported on the screen"
done

# --- The readout at a known sample -----------------------------------------------------------
begin 'readout at a known sample'
read -r rect_x rect_y rect_w rect_h <<<"$(value time_rect)"
read -r lower upper <<<"$(value time_range)"
# A point 40 % into the acceleration panel; the time under it as the plot computes it.
mouse_x=$((rect_x + rect_w * 2 / 5))
mouse_y=$((rect_y + rect_h / 3))
xdotool mousemove "$mouse_x" "$mouse_y"
readout_shown() { [ -n "$(value readout)" ]; }
wait_until "a readout" readout_shown
sample=$(awk -v x="$mouse_x" -v l="$rect_x" -v w="$rect_w" -v lo="$lower" -v hi="$upper" \
  'BEGIN { t = lo + (x - l) / w * (hi - lo); printf "%d", t / 0.01 + 0.5 }')
# The public CSV: comment, header, then one row a sample; channel 1 is the second field.
expected=$(awk -F, -v row="$((sample + 3))" 'NR == row { sub(/\r$/, ""); print $1 " " $2 }' "$acc")
read -r expected_time expected_value <<<"$expected"
readout=$(value readout)
echo "    readout: $readout; record at sample $sample: $expected_time s, $expected_value gal"
[[ "$readout" == *"時刻 $expected_time s"* ]] ||
  fail "the readout '$readout' does not give the sample's time $expected_time s"
[[ "$readout" == *"加速度 $expected_value gal"* ]] ||
  fail "the readout '$readout' does not give the record's value $expected_value gal"
[[ "$readout" == "1ch  AOM0011801241951.EW"* ]] ||
  fail "the readout '$readout' does not name the channel"
screenshot readout

# --- Wheel zoom on time alone, double click back -----------------------------------------------
begin 'wheel zoom and double-click reset'
full_range=$(value time_range)
xdotool click 4 click 4 click 4
zoomed() { [ "$(value time_range)" != "$full_range" ]; }
wait_until "a zoom of the time axis" zoomed
read -r zoom_lower zoom_upper <<<"$(value time_range)"
awk -v a="$zoom_lower" -v b="$zoom_upper" -v c="$lower" -v d="$upper" \
  'BEGIN { exit !(b - a < 0.9 * (d - c)) }' || fail "the wheel did not narrow the time axis"
screenshot zoomed
xdotool click --repeat 2 --delay 80 1
reset_done() { [ "$(value time_range)" = "$full_range" ]; }
wait_until "the double click showing the whole record" reset_done
screenshot reset

# --- A file of no conversion is refused in the window -----------------------------------------
begin 'a file of no conversion'
printf 'nothing\n' >"$work/records/stray.txt"
xdotool key ctrl+o
open_through_dialog "$work/records/stray.txt"
refused() { [[ "$(value error)" == 開けません:* ]]; }
wait_until "the refusal in the window" refused
[[ "$(value error)" == *stray.txt* ]] || fail "the refusal does not name the file"
reported record "$work/records/knet.csv" || fail "the refused file replaced the record shown"
screenshot refused

# --- The menu opens a record: ファイル → 開く, another file of the conversion ------------------
begin 'the menu opening a record'
xdotool key alt+f
sleep 0.3
screenshot file-menu
xdotool key Return
open_through_dialog "$work/records/knet_vel.csv"
wait_until "the conversion opened through its velocity file" reported record "$work/records/knet_vel.csv"
wait_until "every tab computed again" reported settled 1
[ -z "$(value error)" ] || fail "the error stays after a good record: $(value error)"

# --- Every tab, as a person leafs through them -------------------------------------------------
click_tab() {  # click_tab INDEX: one click on the tab's title
  local tx ty tw th
  read -r tx ty tw th <<<"$(sed -n "s/^tabrect=$1 //p" "$report")"
  xdotool mousemove $((tx + tw / 2)) $((ty + th / 2)) click 1
}
begin 'every tab'
for tab in 1:fourier 2:response 3:peaks; do
  shown_tab=$(value tab)
  tab_changed() { [ "$(value tab)" != "$shown_tab" ]; }
  click_tab "${tab%%:*}"
  wait_until "tab ${tab#*:}" tab_changed
  sleep 0.3
  screenshot "tab-${tab#*:}"
done
xdotool key ctrl+s
wait_until "no picture of a table: 画像を保存 disabled" true
sleep 0.5
window_gone '^画像を保存$' || fail "画像を保存 opened on the peaks table"

# --- The station chooser ---------------------------------------------------------------------
begin 'station chooser'
click_tab 4
wait_until "the 震度・指標 tab" reported tab '震度・指標'
reported station AOM0011801241951 || fail "the chooser does not start at AOM001 ($(value station))"
reported components 1,2,3 || fail "AOM001's components are not 1,2,3 ($(value components))"
read -r sx sy sw sh <<<"$(control_lines | sed -n 's/^control=chooser-観測点 //p')"
xdotool mousemove $((sx + sw / 2)) $((sy + sh / 2)) click 1
sleep 0.5
xdotool key Down Down Return  # the third station, AOM003
wait_until "AOM003's components" reported components 7,8,9
reported warning 0 || fail "a warning for one station's three components"
wait_until "the intensity of AOM003" reported settled 1
screenshot station-chosen
read -r hx hy hw hh <<<"$(control_lines | sed -n 's/^control=chooser-水平1 //p')"
xdotool mousemove $((hx + hw / 2)) $((hy + hh / 2)) click 1
sleep 0.5
xdotool key Up Up Up Return  # 4ch, AOM002's EW, with AOM003's NS and UD
wait_until "the mixed components" reported components 4,8,9
reported warning 1 || fail "no warning for channels of two stations"
reported station '' || fail "a station is named for a mixed choice"
wait_until "the intensity of the mixed choice" reported settled 1
screenshot mixed-stations

# --- The spectra tab's smoothing and the response tab's RotD -----------------------------------
begin 'spectra smoothing and RotD'
click_tab 1
wait_until "the spectra tab" reported tab 'フーリエ振幅スペクトル'
reported smoothing none || fail "the spectra are smoothed at first ($(value smoothing))"
read -r kx ky kw kh <<<"$(control_lines | sed -n 's/^control=smoothing-平滑化 //p')"
[ -n "$kx" ] || fail "the smoothing chooser is not on the screen"
xdotool mousemove $((kx + kw / 2)) $((ky + kh / 2)) click 1
sleep 0.5
xdotool key Down Down Return  # Konno–Ohmachi, b = 40
wait_until "Konno-Ohmachi chosen" reported smoothing ko:40
wait_until "the smoothed spectra on the 1,000 centres" reported spectra_points '1000 1000 1000'
wait_until "the spectra tab settled" reported settled 1
screenshot spectra-konno-ohmachi
click_tab 2
wait_until "the response tab" reported tab '応答スペクトル'
wait_until "RotD at the 100 periods" reported rotd_points 100
reported rotd_pair 1,2 || fail "RotD is not of AOM001's EW and NS ($(value rotd_pair))"
read -r rx ry rw rh <<<"$(control_lines | sed -n 's/^control=rotd-chooser-観測点 //p')"
[ -n "$rx" ] || fail "the response tab's station chooser is not on the screen"
xdotool mousemove $((rx + rw / 2)) $((ry + rh / 2)) click 1
sleep 0.5
xdotool key Down Down Return  # the third station, AOM003
wait_until "RotD of AOM003's EW and NS" reported rotd_pair 7,8
wait_until "the response tab settled" reported settled 1
reported rotd_ordered 1 || fail "RotD100 does not bound RotD50 and the components"
screenshot response-rotd

# --- The building's response of a record with a layout ----------------------------------------
begin 'the building tab on the shipped building'
cp "$source_dir/examples/building-record.csv" "$work/records/building.csv"
cp "$source_dir/examples/building-record_layout.csv" "$work/records/building_layout.csv"
"$program/accprep-cli" --name building "$work/records/building.csv" >>"$work/cli.log" 2>&1 ||
  fail "accprep-cli could not convert the shipped building"
xdotool key ctrl+o
open_through_dialog "$work/records/building.csv"
wait_until "the building opened" reported record "$work/records/building.csv"
click_tab 5
wait_until "the 建物応答 tab" reported tab '建物応答'
wait_until "the building's analyses" reported settled 1
[[ "$(value building_layout)" == "配置: $work/records/building_layout.csv"* ]] ||
  fail "the tab does not name the layout it read: $(value building_layout)"
reported building_pair 1,6 || fail "the transfer function is not X's base to top ($(value building_pair))"
for part in 0:layout 1:profile 2:transfer 3:drift 4:tracking; do
  read -r px py pw ph <<<"$(sed -n "s/^parttabrect=${part%%:*} //p" "$report")"
  xdotool mousemove $((px + pw / 2)) $((py + ph / 2)) click 1
  sleep 0.5
  wait_until "the building's ${part#*:}" reported settled 1
  # Whatever the part shows lies inside the screen: its lists, buttons and the smoothing.
  while read -r name x y w h; do
    ((x >= 0 && y >= 0 && x + w <= screen_width && y + h <= screen_height)) ||
      fail "control $name (${w}x${h} at $x,$y) of ${part#*:} lies outside the ${screen_size} screen"
  done < <(control_lines | sed 's/^control=//')
  [ "${part#*:}" = tracking ] || control_lines | grep -q "^control=building-button " ||
    fail "no 表をコピー on the building's ${part#*:}"
  screenshot "building-${part#*:}"
done
for name in building-入力 building-出力 building-方向 building-平滑化 building-平滑化の幅; do
  control_lines | grep -q "^control=$name " || fail "no $name reported on the screen"
done

# --- Quit from the keyboard ---------------------------------------------------------------------
begin 'quit'
xdotool key ctrl+q
viewer_ended() { ! kill -0 "$viewer_pid" 2>/dev/null; }
wait_until "the viewer ending" viewer_ended
status=0
wait "$viewer_pid" || status=$?
viewer_pid=
[ "$status" -eq 0 ] || fail "accprep-view ended with status $status"
[ -s "$work/config/accprep/accprep-view.conf" ] || fail "the window's settings were not kept"

passed=1
echo "Viewer display test at $screen_size passed in $(($(now_ms) - start_ms)) ms; screenshots in $shots"
