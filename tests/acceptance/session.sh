#!/usr/bin/env bash
# A whole planning session with the real program on a real X server, as a new user
# goes through it: draw a 300 x 250 room from the toolbox, add a door and a window,
# furnish it in design mode with a basin, a toilet and a bathtub from the product bar,
# save, start a new plan, reopen the saved one from the recent files, and print it to a
# PDF file through the print dialogs. Then the results are read: the plan file's
# records, the worksheet the file and the reopened plan draw against the one the plan
# drew before saving (each exported as an image), and the product list of the printed
# page.
#
# Usage: session.sh PROGRAM OUTPUT_FOLDER

PROGRAM=$1
OUTPUT=$2
TEST_NAME=acceptance_session
source "$(dirname "$0")/desktop.sh"

# The room's inner edges in layout mode (centre ± half the size) ...
readonly ROOM_BOTTOM_INSIDE=$((ROOM_CENTRE_Y + 125 - 15)) ROOM_TOP_INSIDE=$((ROOM_CENTRE_Y - 125 + 15))
# ... and in design mode, where the product bar above the plan moves it down.
readonly DESIGN_LEFT_INSIDE=310 DESIGN_TOP_INSIDE=255 DESIGN_BOTTOM_INSIDE=480
readonly DESIGN_MIDDLE_X=450 DESIGN_MIDDLE_Y=360
# The product bar: the group drop-down and the first picture button.
readonly GROUPS_X=98 GROUPS_Y=112
readonly FIRST_PRODUCT_X=249 PRODUCT_STEP=66 PRODUCT_Y=95

# What the session must leave behind: the catalogue's first products of their groups
# (the bar lists series by name, so the first series is Ostara Arco).
readonly BASIN_BITMAP=ar0137p2.bmp TOILET_BITMAP=ar0145p2.bmp TUB_BITMAP=ar0155p2.bmp
# The printed list has the series and the name in columns of their own.
readonly PRODUCT_LINES=("Ostara Arco +Washbasin 45" "Ostara Arco +Close-coupled toilet"
  "Ostara Arco +Bathtub 160 x 70")

readonly PLACING_HINT="^Placing a product$" HEIGHT_HINT="^Product height$"

# A drop-down opened with the mouse, an entry chosen by typing its first letters.
choose_group() {
  local window=$1 letters=$2
  click "$window" "$GROUPS_X" "$GROUPS_Y"
  xdotool type --delay 30 "$letters"
  xdotool key Return
  sleep "$SETTLE"
}

# A picture of the bar clicked; the windows that then come up (the hints a new user
# sees, a question) are answered with Enter in turn; the product that then hangs at the
# pointer is dropped at x, y.
place_product() {
  local window=$1 button=$2 x=$3 y=$4
  shift 4
  click "$window" $((FIRST_PRODUCT_X + button * PRODUCT_STEP)) "$PRODUCT_Y"
  for question in "$@"; do answer "$question"; done
  point "$window" "$x" "$y"
  click "$window" "$x" "$y"
}

# Project > Export as image… (its mnemonic is "i"), into a bitmap: the engine's
# worksheet as it is.
export_image() {
  local window=$1 file=$2 dialog
  keys "$window" alt+p
  xdotool key i
  dialog=$(find_window "^Export plan as image$")
  type_text "$dialog" "$file"
  xdotool key Return
  wait_file "$file"
  wait_window_gone "^Export plan as image$"
}

require_tools
make_home
start_desktop
PLAN="$HOME/Documents/bathroom.tsd"
BEFORE_SAVE="$HOME/Documents/before-save.bmp"
REOPENED="$HOME/Documents/reopened.bmp"

step "start the planner with fresh settings"
start_planner
main=$(main_window "Untitled$")
answer "^Ostara Tessel$"

step "draw a 300 x 250 room with the wall rectangle"
tool "$main" 1 "$WALL_RECT_ROW"
dialog=$(find_window "^Wall rectangle$")
type_text "$dialog" 300
xdotool key Tab
xdotool type --delay 30 250
xdotool key Return
wait_window_gone "^Wall rectangle$"
point "$main" "$ROOM_CENTRE_X" "$ROOM_CENTRE_Y"
click "$main" "$ROOM_CENTRE_X" "$ROOM_CENTRE_Y"
main=$(main_window "Untitled \\*$")

step "add a door in the bottom wall"
tool "$main" 0 "$OPENING_ROW"
answer "^Door$"
point "$main" "$ROOM_CENTRE_X" "$ROOM_BOTTOM_INSIDE"
click "$main" "$ROOM_CENTRE_X" "$ROOM_BOTTOM_INSIDE"

step "add a window in the top wall"
tool "$main" 1 "$OPENING_ROW"
answer "^Window$"
point "$main" "$ROOM_CENTRE_X" "$ROOM_TOP_INSIDE"
click "$main" "$ROOM_CENTRE_X" "$ROOM_TOP_INSIDE"

step "switch to design mode with F3"
point "$main" "$DESIGN_MIDDLE_X" "$DESIGN_MIDDLE_Y"
keys "$main" F3

step "place a washbasin from the product bar"
choose_group "$main" "Washb"
# The catalogue knows no height of this basin: the height hint does not come.
place_product "$main" 1 "$DESIGN_LEFT_INSIDE" "$DESIGN_MIDDLE_Y" "$PLACING_HINT"

step "place a toilet from the product bar"
choose_group "$main" "Toi"
# Each hint is seen once: the placing hint came with the basin.
place_product "$main" 0 "$DESIGN_MIDDLE_X" "$DESIGN_TOP_INSIDE" "$HEIGHT_HINT"

step "place a bathtub from the product bar"
choose_group "$main" "Bathtubs"
# A rectangular tub asks which side it stands against; the default is taken. Both
# hints have been seen.
place_product "$main" 0 "$DESIGN_MIDDLE_X" "$DESIGN_BOTTOM_INSIDE" "^Mounting side$"

step "export the plan as an image from the Project menu before saving"
export_image "$main" "$BEFORE_SAVE"

step "save the plan with Ctrl+S"
keys "$main" ctrl+s
dialog=$(find_window "^Save plan$")
type_text "$dialog" "$PLAN"
xdotool key Return
wait_file "$PLAN"
main=$(main_window "$PLAN$")

step "start a new plan with Ctrl+N"
keys "$main" ctrl+n
main=$(main_window "Untitled$")

step "reopen the plan from the recent files in the Project menu"
# The recent files end the menu; Up from its top wraps to the first of them, since the
# empty places after it are disabled.
keys "$main" alt+p
xdotool key Up Return
main=$(main_window "$PLAN$")

step "export the reopened plan as an image"
export_image "$main" "$REOPENED"

step "print to a PDF file through the print dialogs"
keys "$main" ctrl+p
answer "^Print plan$"
answer "^Print scale$"
# The preview's default button prints what it shows, with no second printer dialog.
answer "^Print preview$"
# The file the print dialog proposed: the plan's own name in its folder.
PDF="${PLAN%.tsd}.pdf"
wait_file "$PDF"

step "quit with Ctrl+Q"
keys "$main" ctrl+q
wait_planner_exit

step "check the saved plan's records"
records=$(cat "$PLAN")
grep -Eq '^[0-9]+=WALLRECT,[0-9]+,[0-9]+,300,250,' <<<"$records" ||
  fail "no 300 x 250 wall rectangle in $PLAN:"$'\n'"$records"
[ "$(grep -c '=DOOR,' <<<"$records")" -eq 1 ] || fail "not one door in $PLAN:"$'\n'"$records"
[ "$(grep -c '=WINDOW,' <<<"$records")" -eq 1 ] || fail "not one window in $PLAN:"$'\n'"$records"
[ "$(grep -c '=PRODUCT,' <<<"$records")" -eq 3 ] ||
  fail "not three products in $PLAN:"$'\n'"$records"
for bitmap in "$BASIN_BITMAP" "$TOILET_BITMAP" "$TUB_BITMAP"; do
  grep -q "=PRODUCT,.*/$bitmap," <<<"$records" ||
    fail "no product drawn from $bitmap in $PLAN:"$'\n'"$records"
done

step "compare the worksheet of the saved file with the plan before saving"
QT_QPA_PLATFORM=offscreen "$PROGRAM" --export "$PLAN" "$WORK/saved.bmp" ||
  fail "--export of $PLAN failed"
cmp -s "$BEFORE_SAVE" "$WORK/saved.bmp" ||
  fail "the saved file draws another worksheet than the plan before saving"
cmp -s "$BEFORE_SAVE" "$REOPENED" ||
  fail "the reopened plan draws another worksheet than the plan before saving"

step "check the printed product list"
text=$(pdftotext -layout "$PDF" -) || fail "pdftotext cannot read $PDF"
grep -q "bathroom.tsd" <<<"$text" || fail "the page does not name the plan:"$'\n'"$text"
for line in "${PRODUCT_LINES[@]}"; do
  grep -Eq "$line" <<<"$text" || fail "the product list lacks \"$line\":"$'\n'"$text"
done

step "done"
echo "PASSED"
