#!/usr/bin/env bash
# The planner killed without warning keeps the user's work: a room is drawn, the
# program saves its recovery copy by itself, and is then killed with SIGKILL. Started
# again, it offers the plan; accepted, the plan is shown as changed, and saved under a
# new name it gives the records the recovery copy had before the kill.
#
# Then the saved plan is opened, changed and the planner killed again, and its file is
# touched as a backup tool or a sync client would: a time says nothing about content,
# so the next start still offers the copy, and Save writes it into the plan's file.
#
# Usage: recovery.sh PROGRAM OUTPUT_FOLDER

PROGRAM=$1
OUTPUT=$2
TEST_NAME=acceptance_recovery
source "$(dirname "$0")/desktop.sh"

# The program writes its recovery copy a few seconds after the last change, and never
# later than ten seconds after the first unsaved one.
readonly RECOVERY_WAIT=15

# Waits until the recovery copy holds a `record` line; `what` names it in the failure.
wait_recovery() {
  local record=$1 what=$2 waited=0
  until [ -s "$RECOVERY" ] && grep -q "=$record," "$RECOVERY"; do
    planner_running || fail "the planner has ended"
    [ $waited -lt $((RECOVERY_WAIT * 10)) ] ||
      fail "no recovery copy with $what at $RECOVERY within ${RECOVERY_WAIT}s"
    sleep 0.1
    waited=$((waited + 1))
  done
}

# Ends the planner without warning, as a crash or a power cut does.
kill_planner() {
  kill -KILL "$PLANNER_PID"
  wait "$PLANNER_PID" 2>/dev/null || true
  PLANNER_PID=""
}

require_tools
make_home
start_desktop
RECOVERY="$XDG_DATA_HOME/tessel32/recovery.tsd"
SAVED="$HOME/Documents/recovered.tsd"

step "start the planner with fresh settings"
start_planner
main=$(main_window "Untitled$")
answer "^Ostara Tessel$"

step "draw a 250 x 200 room: a change not yet saved"
tool "$main" 1 "$WALL_RECT_ROW"
dialog=$(find_window "^Wall rectangle$")
type_text "$dialog" 250
xdotool key Tab
xdotool type --delay 30 200
xdotool key Return
wait_window_gone "^Wall rectangle$"
point "$main" "$ROOM_CENTRE_X" "$ROOM_CENTRE_Y"
click "$main" "$ROOM_CENTRE_X" "$ROOM_CENTRE_Y"
main=$(main_window "Untitled \\*$")

step "wait for the recovery copy"
wait_recovery WALLRECT "the room"
# Written whole and then renamed into place, so what is there now is the plan.
cp "$RECOVERY" "$WORK/before-kill.tsd"

step "kill the planner with SIGKILL"
kill_planner
wait_window_gone "^Ostara Tessel  -  "
[ -f "$RECOVERY" ] || fail "the recovery copy went with the killed planner"

step "start again: the plan is offered and accepted with Enter"
start_planner
answer "^Recovered plan$"
answer "^Ostara Tessel$"
# Shown as changed: the plan is in no file yet.
main=$(main_window "Untitled \\*$")

step "save the recovered plan under a new name with Save As"
keys "$main" ctrl+u
dialog=$(find_window "^Save plan$")
type_text "$dialog" "$SAVED"
xdotool key Return
wait_file "$SAVED"
main=$(main_window "$SAVED$")

step "quit with Ctrl+Q"
keys "$main" ctrl+q
wait_planner_exit
[ ! -e "$RECOVERY" ] || fail "the recovery copy is still there after saving and a clean exit"

step "compare the saved plan with the copy taken before the kill"
grep -Eq '^[0-9]+=WALLRECT,[0-9]+,[0-9]+,250,200,' "$SAVED" ||
  fail "no 250 x 200 wall rectangle in $SAVED:"$'\n'"$(cat "$SAVED")"
diff "$WORK/before-kill.tsd" "$SAVED" >&2 ||
  fail "the recovered plan's records differ from those before the kill"
QT_QPA_PLATFORM=offscreen "$PROGRAM" --export "$WORK/before-kill.tsd" "$WORK/before.bmp" ||
  fail "--export of the copy failed"
QT_QPA_PLATFORM=offscreen "$PROGRAM" --export "$SAVED" "$WORK/after.bmp" ||
  fail "--export of $SAVED failed"
cmp -s "$WORK/before.bmp" "$WORK/after.bmp" ||
  fail "the recovered plan draws another worksheet than the plan before the kill"

step "open the saved plan and add a rectangle: a change not yet saved"
start_planner "$SAVED"
main=$(main_window "$SAVED$")
answer "^Ostara Tessel$"
# The rectangle tool has its place in the toolbox of the room layout.
keys "$main" F2
tool "$main" 0 1
dialog=$(find_window "^Rectangle$")
xdotool key Return
wait_window_gone "^Rectangle$"
point "$main" $((ROOM_CENTRE_X - 40)) $((ROOM_CENTRE_Y - 30))
click "$main" $((ROOM_CENTRE_X - 40)) $((ROOM_CENTRE_Y - 30))
main=$(main_window "$SAVED \\*$")

step "wait for the copy with the rectangle"
wait_recovery USERRECT "the rectangle"
cp "$RECOVERY" "$WORK/before-second-kill.tsd"

step "kill the planner with SIGKILL and touch the plan's file"
kill_planner
wait_window_gone "^Ostara Tessel  -  "
touch -d "+1 hour" "$SAVED"

step "start again: the copy of the touched plan is still offered, and accepted"
start_planner
answer "^Recovered plan$"
answer "^Ostara Tessel$"
main=$(main_window "$SAVED \\*$")

step "save with Ctrl+S into the plan's own file and quit"
keys "$main" ctrl+s
main=$(main_window "$SAVED$")
keys "$main" ctrl+q
wait_planner_exit
[ ! -e "$RECOVERY" ] || fail "the recovery copy is still there after saving and a clean exit"
diff "$WORK/before-second-kill.tsd" "$SAVED" >&2 ||
  fail "the plan saved after the second kill differs from the copy before it"

step "done"
echo "PASSED"
