# Shared by the end-to-end tests (sourced, not run): a private X server with a window
# manager, a fresh home for the planner, and the hands of a user — keys and clicks
# through xdotool on windows found by their titles. Every step is named first, so that
# a failure says which step it was and leaves a screenshot of that moment.
#
# The caller sets PROGRAM (the built tessel32), OUTPUT (a folder for screenshots) and
# TEST_NAME before sourcing.

set -euo pipefail

# Waits are polls with a ceiling: a slow machine takes longer, a broken step fails here
# instead of at the test's overall timeout, with its name.
readonly WINDOW_WAIT=20   # seconds for a window to appear or go
readonly FILE_WAIT=20     # seconds for a file to be written
readonly SETTLE=0.3       # seconds for a widget to take a click or a key before the next

STEP="setting up"
WORK=""
XVFB_PID=""
OWN_DISPLAY=""
WM_PID=""
PLANNER_PID=""

step() {
  STEP="$*"
  echo "-- $STEP"
}

screenshot() {
  # Only of this test's own display, never of one the environment happened to name.
  [ -n "$OWN_DISPLAY" ] || return 0
  local shot="$OUTPUT/${TEST_NAME}_failure.png"
  if DISPLAY=$OWN_DISPLAY import -window root "$shot" 2>/dev/null; then
    echo "screenshot of the failing moment: $shot" >&2
  fi
}

fail() {
  echo "FAILED at step \"$STEP\": $*" >&2
  screenshot
  exit 1
}

# Stops what this test started, in reverse order, whatever state it is in.
cleanup() {
  local status=$?
  set +e
  if [ $status -ne 0 ] && [ -n "$WORK" ] && [ -f "$WORK/planner.log" ]; then
    echo "---- planner output ----" >&2
    tail -n 40 "$WORK/planner.log" >&2
  fi
  for pid in "$PLANNER_PID" "$WM_PID" "$XVFB_PID"; do
    [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  done
  [ -n "$WORK" ] && rm -rf "$WORK"
  exit $status
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# A screenshot left by an earlier failing run would pass for this run's.
rm -f "$OUTPUT/${TEST_NAME}_failure.png"

require_tools() {
  local missing=()
  for tool in Xvfb xdotool twm import pdftotext; do
    command -v "$tool" >/dev/null || missing+=("$tool")
  done
  [ ${#missing[@]} -eq 0 ] ||
    fail "missing ${missing[*]} (scripts/setup.sh installs xvfb, xdotool, twm, imagemagick, poppler-utils)"
  [ -x "$PROGRAM" ] || fail "the planner $PROGRAM has not been built"
}

# A fresh home with empty settings, data and runtime folders: the planner starts as
# for a new user, and nothing of the developer's own settings leaks in.
make_home() {
  WORK=$(mktemp -d "${TMPDIR:-/tmp}/tessel-${TEST_NAME}.XXXXXX")
  export HOME="$WORK/home"
  export XDG_CONFIG_HOME="$WORK/config" XDG_DATA_HOME="$WORK/data"
  export XDG_RUNTIME_DIR="$WORK/runtime" XDG_CACHE_HOME="$WORK/cache"
  mkdir -p "$HOME/Documents" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME"
  mkdir -m 700 "$XDG_RUNTIME_DIR"
}

# Xvfb chooses a free display itself, so tests in parallel and other servers on the
# machine never meet.
start_desktop() {
  local fifo="$WORK/display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" 2>"$WORK/xvfb.log" &
  XVFB_PID=$!
  local waited=0
  until [ -s "$fifo" ]; do
    kill -0 "$XVFB_PID" 2>/dev/null || fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
    [ $waited -lt $((WINDOW_WAIT * 10)) ] || fail "Xvfb named no display"
    sleep 0.1
    waited=$((waited + 1))
  done
  OWN_DISPLAY=":$(head -n 1 "$fifo")"
  export DISPLAY=$OWN_DISPLAY
  twm -f "$(dirname "${BASH_SOURCE[0]}")/twmrc" >"$WORK/twm.log" 2>&1 &
  WM_PID=$!
  # The manager is up once it has taken the root window's redirect; any window it then
  # maps has a frame. A short settle is enough for that.
  sleep 0.5
  kill -0 "$WM_PID" 2>/dev/null || fail "twm did not start: $(cat "$WORK/twm.log")"
}

# In a build under AddressSanitizer, the leak checker passes over what system libraries
# keep (lsan.supp) and still reports every leak of the planner's own.
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/lsan.supp"

start_planner() {
  QT_QPA_PLATFORM=xcb "$PROGRAM" "$@" >>"$WORK/planner.log" 2>&1 &
  PLANNER_PID=$!
}

planner_running() {
  [ -n "$PLANNER_PID" ] && kill -0 "$PLANNER_PID" 2>/dev/null
}

# A planner asked to quit ends by itself, and cleanly.
wait_planner_exit() {
  local waited=0 status=0
  while planner_running; do
    [ $waited -lt $((WINDOW_WAIT * 10)) ] || fail "the planner is still running"
    sleep 0.1
    waited=$((waited + 1))
  done
  wait "$PLANNER_PID" || status=$?
  PLANNER_PID=""
  [ $status -eq 0 ] || fail "the planner exited with status $status"
}

# The id of the visible window whose title matches the regular expression.
find_window() {
  local title=$1 id
  id=$(timeout "$WINDOW_WAIT" xdotool search --sync --onlyvisible --name "$title" 2>/dev/null |
    head -n 1) || true
  [ -n "$id" ] || fail "no window titled /$title/ appeared within ${WINDOW_WAIT}s"
  echo "$id"
}

# The planner's main window, whose title ends in the plan's name (a pattern).
main_window() { find_window "^Ostara Tessel  -  $1"; }

wait_window_gone() {
  local title=$1 waited=0
  while xdotool search --onlyvisible --name "$title" >/dev/null 2>&1; do
    [ $waited -lt $((WINDOW_WAIT * 10)) ] || fail "the window /$title/ did not close"
    sleep 0.1
    waited=$((waited + 1))
  done
}

wait_file() {
  local file=$1 waited=0
  until [ -s "$file" ]; do
    [ $waited -lt $((FILE_WAIT * 10)) ] || fail "$file was not written within ${FILE_WAIT}s"
    sleep 0.1
    waited=$((waited + 1))
  done
}

# The window manager gives the keyboard to the window under the pointer: the pointer
# goes into the window before it is given the focus.
focus() {
  local id=$1
  xdotool mousemove --window "$id" 4 4
  # Bounded: a window that never takes the focus shows in the step that needed it.
  timeout "$WINDOW_WAIT" xdotool windowfocus --sync "$id" 2>/dev/null || true
  sleep "$SETTLE"
}

# Keys to the window, as typed.
keys() {
  local id=$1
  shift
  focus "$id"
  xdotool key --delay 80 "$@"
  sleep "$SETTLE"
}

type_text() {
  local id=$1
  focus "$id"
  xdotool type --delay 30 "$2"
  sleep "$SETTLE"
}

# A left click at x, y inside the window's client area. The button is held a moment,
# as a hand does: a press and release in the same instant closes a drop-down's list
# again as soon as it has opened.
click() {
  local id=$1 x=$2 y=$3
  xdotool mousemove --window "$id" "$x" "$y"
  sleep "$SETTLE"
  xdotool mousedown 1
  sleep 0.1
  xdotool mouseup 1
  sleep "$SETTLE"
}

# The pointer moved to x, y in two steps, so that the program sees it travel there.
point() {
  local id=$1 x=$2 y=$3
  xdotool mousemove --window "$id" $((x + 20)) $((y + 20))
  sleep 0.1
  xdotool mousemove --window "$id" "$x" "$y"
  sleep "$SETTLE"
}

# Accepts the window's default button with Enter once it is there, and waits until it
# has gone.
answer() {
  local title=$1 id
  id=$(find_window "$title")
  keys "$id" Return
  wait_window_gone "$title"
}

window_width() {
  xdotool getwindowgeometry --shell "$1" | sed -n 's/^WIDTH=//p'
}

# Where things are in the main window at its start size. The toolbox sits at the right
# edge, two buttons to a row; a room is placed centred on the click, at 50 % one pixel
# per centimetre.
readonly TOOL_LEFT_FROM_RIGHT=62 TOOL_RIGHT_FROM_RIGHT=22
readonly TOOL_TOP=81 TOOL_ROW=40
readonly WALL_RECT_ROW=2 OPENING_ROW=4
readonly ROOM_CENTRE_X=450 ROOM_CENTRE_Y=330

# Clicks the toolbox button in column 0 or 1 of the given row.
tool() {
  local window=$1 column=$2 row=$3 width
  width=$(window_width "$window")
  local from_right=$TOOL_LEFT_FROM_RIGHT
  [ "$column" -eq 1 ] && from_right=$TOOL_RIGHT_FROM_RIGHT
  click "$window" $((width - from_right)) $((TOOL_TOP + row * TOOL_ROW))
}
