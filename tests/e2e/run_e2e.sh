#!/bin/bash
# SPDX-FileCopyrightText: Pontiva developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Drives the real program in its own X server: load a chart, calibrate, record, check the file.
#
# usage: run_e2e.sh straight|rotated|durability|undo PONTIVA MAKE_CHART SCREEN_PROBE
#   straight    axes parallel to the picture's edges, exit through File > Exit
#   rotated     the same chart turned by atan(5/12)
#   durability  straight chart, the program is killed (SIGKILL) right after its last click
#   undo        straight chart; Ctrl+Z twice, Ctrl+Shift+Z once, then SIGKILL: the file
#               holds exactly the points whose dots the screen shows
#   argument    straight chart named on the command line, no dialog
#   handoff     straight chart given to a second start, which hands it to the running window
#   keyboard    straight chart, with the keyboard alone: Ctrl+O, Tab, arrows, Space; one reading
#   twostarts   two more starts at the same moment, each with a picture: both deliver, and the
#               window ends on one of them (it never exits 0 without delivering)
set -u

VARIANT=${1:?variant}
PONTIVA=${2:?pontiva}
MAKE_CHART=${3:?make_chart}
PROBE=${4:?screen_probe}

# Visible colours: the chart's outline, then the window's marks.
FRAME=13E7C5
RED=FF0000     # point 0, and every recorded point
GREEN=00C800   # point 1
BLUE=0000FF    # point 2

for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing; scripts/deps.sh installs it"; exit 1; }
done

WORK=$(mktemp -d "${TMPDIR:-/tmp}/pontiva-e2e.XXXXXX") || exit 1
XVFB_PID=
APP_PID=
OK=0

cleanup() {
    [ -n "$APP_PID" ] && kill -9 "$APP_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    [ -n "$APP_PID" ] && wait "$APP_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && wait "$XVFB_PID" 2>/dev/null
    if [ "$OK" = 1 ]; then
        rm -rf "$WORK"
    else
        echo "kept for inspection: $WORK"
    fi
}
trap cleanup EXIT
trap 'echo "FAIL: interrupted"; exit 1' INT TERM HUP

# Prints what a person would want to see, then ends the test.
fail() {
    echo "FAIL ($VARIANT): $*"
    if [ -n "${DISPLAY:-}" ] && [ -n "$XVFB_PID" ] && kill -0 "$XVFB_PID" 2>/dev/null; then
        "$PROBE" shot "$WORK/failure.png" 2>/dev/null && echo "screenshot: $WORK/failure.png"
        echo "visible windows:"
        for w in $(visible_windows); do
            echo "  $w '$(xdotool getwindowname "$w" 2>/dev/null)' $(xdotool getwindowgeometry "$w" 2>/dev/null | tr -s '\n ' ' ')"
        done
    fi
    if [ -n "$APP_PID" ]; then
        kill -0 "$APP_PID" 2>/dev/null && echo "pontiva is running" || echo "pontiva is not running"
    fi
    echo "--- pontiva output"; cat "$WORK/pontiva.log" 2>/dev/null
    echo "--- data file (cat -A)"; cat -A "$HOME/coords.txt" 2>/dev/null || echo "(none)"
    echo "--- Xvfb output"; tail -n 20 "$WORK/xvfb.log" 2>/dev/null
    exit 1
}

# poll SECONDS COMMAND...: true once COMMAND succeeds, false after SECONDS.
poll() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -ge "$deadline" ] && return 1
        sleep 0.05
    done
}

# One design unit is a twip; the window rounds each control's position to
# whole pixels relative to its parent (15 twips a pixel).
tw() { echo $(( ($1 * 2 + 15) / 30 )); }

# ---- A private X server, home and runtime folder ----------------------------

export HOME="$WORK/home" XDG_RUNTIME_DIR="$WORK/run"
export XDG_CONFIG_HOME="$WORK/home/.config" XDG_CACHE_HOME="$WORK/home/.cache" XDG_DATA_HOME="$WORK/home/.local/share"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export LC_ALL=C.UTF-8 LANG=C.UTF-8 # "." in the readout and the file
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR QT_ENABLE_HIGHDPI_SCALING QT_FONT_DPI QT_STYLE_OVERRIDE

# -displayfd picks a free display number, so parallel runs never collide.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
XVFB_PID=$!
poll 15 test -s "$WORK/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n 1 "$WORK/display")"

# ---- The chart ------------------------------------------------------------

CHART_KIND=straight
[ "$VARIANT" = rotated ] && CHART_KIND=rotated
case "$VARIANT" in straight | rotated | durability | undo | argument | handoff | keyboard | twostarts) ;;
*) fail "unknown variant $VARIANT" ;; esac
CHART="$WORK/chart.png"
"$MAKE_CHART" "$CHART_KIND" "$CHART" "$WORK/manifest.txt" || fail "make_chart failed"
read -r _ CHART_W CHART_H < <(grep '^size ' "$WORK/manifest.txt")
read -r _ REF0_C REF0_R _ _ < <(grep '^ref0 ' "$WORK/manifest.txt")
read -r _ REF1_C REF1_R REF1_X _ < <(grep '^ref1 ' "$WORK/manifest.txt")
read -r _ REF2_C REF2_R _ REF2_Y < <(grep '^ref2 ' "$WORK/manifest.txt")
mapfile -t POINTS < <(grep '^point ' "$WORK/manifest.txt")

# ---- Start the program and find its window --------------------------------

if [ "$VARIANT" = argument ]; then
    "$PONTIVA" "$CHART" >"$WORK/pontiva.log" 2>&1 &
else
    "$PONTIVA" >"$WORK/pontiva.log" 2>&1 &
fi
APP_PID=$!

main_window() { MAIN=$(xdotool search --onlyvisible --name '^Pontiva$' 2>/dev/null | head -n 1) && [ -n "$MAIN" ]; }
poll 20 main_window || fail "the main window did not appear"
eval "$(xdotool getwindowgeometry --shell "$MAIN")"
WIN_X=$X WIN_Y=$Y
[ "$WIDTH" -eq "$(tw 15240)" ] || fail "window is $WIDTH pixels wide, not its design width $(tw 15240)"

# Menus carry a class but not always a name.
visible_windows() { { xdotool search --onlyvisible --name . ; xdotool search --onlyvisible --class . ; } 2>/dev/null | sort -u; }
# Waits for a window that was not visible before (a menu or a dialog).
new_window() { [ -n "$(comm -13 <(echo "$BEFORE") <(visible_windows))" ]; }
named_window() { DIALOG=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) && [ -n "$DIALOG" ]; }
gone() { ! xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }

# Opens the File menu with the mouse and picks its Nth item by keyboard
# (0: the last, Exit, reached by Up from the top).
file_menu_item() {
    BEFORE=$(visible_windows)
    # "File" is the first menu: a few pixels into the menu bar, whatever its height.
    timeout 10 xdotool mousemove --sync $((WIN_X + 15)) $((WIN_Y + 7)) click 1
    poll 10 new_window || fail "the File menu did not open"
    if [ "$1" = 0 ]; then
        xdotool key Up Return
        return
    fi
    local keys=()
    for ((i = 1; i < $1; i++)); do keys+=(Down); done
    xdotool key Down "${keys[@]}" Return
}

# ---- File > Load through the real dialog -----------------------------------

case "$VARIANT" in
argument) ;; # loaded from the command line
handoff)
    # A second start ends at once, without a window, and hands the picture over.
    (cd "$WORK" && timeout 10 "$PONTIVA" chart.png) >"$WORK/second.log" 2>&1 || fail "the second start failed: $(cat "$WORK/second.log")"
    [ "$(xdotool search --onlyvisible --name '^Pontiva$' 2>/dev/null | wc -l)" -eq 1 ] || fail "the second start opened a window of its own"
    ;;
twostarts)
    # Two pictures at once, as a file manager opening two selected files does:
    # the window shows the one handed over last, and neither start lies.
    "$MAKE_CHART" rotated "$WORK/other.png" "$WORK/other.txt" || fail "make_chart failed"
    (cd "$WORK" && timeout 10 "$PONTIVA" other.png) >"$WORK/second.log" 2>&1 &
    first=$!
    (cd "$WORK" && sleep 0.2 && timeout 10 "$PONTIVA" chart.png) >"$WORK/third.log" 2>&1 ||
        fail "the third start failed: $(cat "$WORK/third.log")"
    wait "$first" || fail "the second start failed: $(cat "$WORK/second.log")"
    ;;
keyboard)
    # The pointer stays off the window: nothing below may depend on it.
    timeout 10 xdotool mousemove --sync 1279 799
    timeout 10 xdotool windowfocus --sync "$MAIN" 2>/dev/null
    xdotool key ctrl+o
    poll 10 named_window '^File name$' || fail "Ctrl+O did not open the file dialog"
    timeout 10 xdotool windowfocus --sync "$DIALOG" 2>/dev/null
    xdotool type --delay 3 "$CHART"
    xdotool key Return
    poll 10 gone '^File name$' || fail "the file dialog did not close after typing $CHART"
    ;;
*)
    file_menu_item 1
    poll 10 named_window '^File name$' || fail "the file dialog did not open"
    timeout 10 xdotool windowfocus --sync "$DIALOG" 2>/dev/null
    xdotool type --delay 3 "$CHART"
    xdotool key Return
    poll 10 gone '^File name$' || fail "the file dialog did not close after typing $CHART"
    ;;
esac

FRAME_BOX=$("$PROBE" find $FRAME 10000) || fail "the chart's outline never appeared on the screen"
read -r PIC_X PIC_Y PIC_R PIC_B <<<"$FRAME_BOX"
[ $((PIC_R - PIC_X + 1)) -eq "$CHART_W" ] && [ $((PIC_B - PIC_Y + 1)) -eq "$CHART_H" ] ||
    fail "chart outline on screen is $FRAME_BOX, not ${CHART_W}x${CHART_H}"

# The picture's first pixel sits inside Picture1's 2-pixel border, which the
# load-time layout puts at 250, 2035 twips in the area below the menu bar.
CENTRAL_X=$((PIC_X - 2 - $(tw 250)))
MENU_H=$((PIC_Y - 2 - $(tw 2035) - WIN_Y))
CENTRAL_Y=$((WIN_Y + MENU_H))
[ "$CENTRAL_X" -eq "$WIN_X" ] || fail "picture is at x=$PIC_X; expected $((WIN_X + $(tw 250) + 2))"
[ "$MENU_H" -ge 10 ] && [ "$MENU_H" -le 60 ] || fail "implausible menu bar height $MENU_H (picture at y=$PIC_Y)"
[ "$HEIGHT" -eq $(($(tw 10710) + MENU_H)) ] || fail "window is $HEIGHT high, not design $(tw 10710) + menu $MENU_H"

# Screen position of a control: its parent group's twips, then its own.
# control GROUP_LEFT GROUP_TOP LEFT TOP WIDTH HEIGHT [DX]: DX pixels in (default: centre), half its height down.
control() {
    local w h dx
    w=$(tw "$5") h=$(tw "$6")
    dx=${7:-$((w / 2))}
    CX=$((CENTRAL_X + $(tw "$1") + $(tw "$3") + dx))
    CY=$((CENTRAL_Y + $(tw "$2") + $(tw "$4") + h / 2))
}
click_control() { control "$@"; timeout 10 xdotool mousemove --sync "$CX" "$CY" click 1; }
# Frame_Calibracao (moved to 2815 at load) and Frame_Modo (250), both at top 120.
CAL_L=2815 CAL_T=120 MODE_L=250 MODE_T=120

# Replaces a line edit's text the way a user does.
type_into() {
    click_control "$@"
    xdotool key ctrl+a
    xdotool type --delay 3 "$TYPED"
}

# Clicks picture pixel COL,ROW and waits until the window marks it in COLOUR.
click_picture() {
    local x=$((PIC_X + $1)) y=$((PIC_Y + $2))
    timeout 10 xdotool mousemove --sync "$x" "$y" click 1
    "$PROBE" wait "$3" "$x" "$y" 10000 || fail "no $3 mark at picture pixel $1,$2 after clicking it ($4)"
}

# ---- Calibration: three reference points ------------------------------------

if [ "$VARIANT" = keyboard ]; then
    # With no window manager, the keyboard goes back to the window by hand.
    timeout 10 xdotool windowfocus --sync "$MAIN" 2>/dev/null
    # Tab until the picture has the keyboard: its focus frame then runs down
    # the viewport's left edge, below the chart.
    EDGE_Y=$((PIC_B + 40))
    UNFOCUSED=$("$PROBE" pixel "$PIC_X" "$EDGE_Y")
    focus_picture() {
        local i
        for ((i = 0; i < 20; i++)); do
            [ "$("$PROBE" pixel "$PIC_X" "$EDGE_Y")" != "$UNFOCUSED" ] && return
            xdotool key Tab
            sleep 0.1
        done
        fail "Tab never showed the picture's focus frame ($1)"
    }
    focus_picture "after the load"
    # The fine position starts at the centre of what is in view: the whole
    # chart here. Space places point 0 there first; from that mark,
    # Shift+arrows go a pixel a step.
    AT_X= AT_Y=
    place_by_keys() { # COL ROW COLOUR WHAT
        if [ -z "$AT_X" ]; then
            AT_X=$((CHART_W / 2)) AT_Y=$((CHART_H / 2))
            xdotool key space
            "$PROBE" wait $RED $((PIC_X + AT_X)) $((PIC_Y + AT_Y)) 10000 ||
                fail "Space did not place point 0 at the centre of the view"
        fi
        local dx=$(($1 - AT_X)) dy=$(($2 - AT_Y)) keys=() k
        for ((k = 0; k < ${dx#-}; k++)); do keys+=("shift+$([ $dx -lt 0 ] && echo Left || echo Right)"); done
        for ((k = 0; k < ${dy#-}; k++)); do keys+=("shift+$([ $dy -lt 0 ] && echo Up || echo Down)"); done
        [ ${#keys[@]} -gt 0 ] && xdotool key --delay 2 "${keys[@]}"
        xdotool key space
        AT_X=$1 AT_Y=$2
        "$PROBE" wait "$3" $((PIC_X + $1)) $((PIC_Y + $2)) 10000 || fail "no $3 mark at picture pixel $1,$2 ($4)"
    }
    # Counted back from the picture; only the selected point's fields, and
    # Read data only once calibrated, take the keyboard (the log boxes and the
    # storage group show only while reading).
    backtab() { local k; for ((k = 0; k < $1; k++)); do xdotool key shift+Tab; done; }
    place_by_keys "$REF0_C" "$REF0_R" $RED "point 0"
    backtab 2 # Point 2, Point 1
    xdotool key space Tab ctrl+a # point 1's X field: its Y is point 0's
    xdotool type --delay 3 "$REF1_X"
    focus_picture "point 1"
    place_by_keys "$REF1_C" "$REF1_R" $GREEN "point 1"
    backtab 1 # Point 2
    xdotool key space Tab ctrl+a # point 2's Y field: its X is point 0's
    xdotool type --delay 3 "$REF2_Y"
    focus_picture "point 2"
    place_by_keys "$REF2_C" "$REF2_R" $BLUE "point 2"
    backtab 5 # point 2's Y field, Points 2, 1 and 0, Read data
    xdotool key space
    focus_picture "reading"
    read -r _ col row _ _ <<<"${POINTS[0]}"
    POINTS=("${POINTS[0]}")
    place_by_keys "$col" "$row" $RED "data point 0"
else
# After the load Point 0 is selected and its fields read 0 and 0.
click_picture "$REF0_C" "$REF0_R" $RED "point 0"
click_control $CAL_L $CAL_T 1710 360 915 195 6    # Option_Canto1
TYPED=$REF1_X type_into $CAL_L $CAL_T 1710 660 975 315 # Text_X1
click_picture "$REF1_C" "$REF1_R" $GREEN "point 1"
click_control $CAL_L $CAL_T 2940 360 915 195 6    # Option_Canto2
TYPED=$REF2_Y type_into $CAL_L $CAL_T 2940 1080 975 315 # Text_Y2
click_picture "$REF2_C" "$REF2_R" $BLUE "point 2"
click_control $MODE_L $MODE_T 180 810 1695 195 6  # Option_LeituraDados
fi

# ---- Reading: record the known points ---------------------------------------

last=$((${#POINTS[@]} - 1))
for i in "${!POINTS[@]}"; do
    [ "$VARIANT" = keyboard ] && break # recorded above
    read -r _ col row _ _ <<<"${POINTS[$i]}"
    if [ "$VARIANT" = durability ] && [ "$i" -eq "$last" ]; then
        # No waiting: the process dies while, or before, it handles this click.
        timeout 10 xdotool mousemove --sync $((PIC_X + col)) $((PIC_Y + row)) click 1
        kill -9 "$APP_PID"
        wait "$APP_PID" 2>/dev/null
        status=$?
        APP_PID=
        [ "$status" -eq 137 ] || fail "pontiva ended with status $status before the kill"
    else
        # The red dot is drawn only after the line is synced to disk.
        click_picture "$col" "$row" $RED "data point $i"
    fi
done

# ---- Undo and redo by keyboard, then a kill ------------------------------------

if [ "$VARIANT" = undo ]; then
    dot_of() { read -r _ col row _ _ <<<"${POINTS[$1]}"; DOT_X=$((PIC_X + col)) DOT_Y=$((PIC_Y + row)); }
    # A dot goes only once its line is cut off the file and synced, and comes
    # back only once the line is written and synced again.
    xdotool key ctrl+z
    dot_of "$last"
    "$PROBE" waitnot $RED "$DOT_X" "$DOT_Y" 10000 || fail "Ctrl+Z left the last dot"
    xdotool key ctrl+z
    dot_of $((last - 1))
    "$PROBE" waitnot $RED "$DOT_X" "$DOT_Y" 10000 || fail "a second Ctrl+Z left the dot before it"
    xdotool key ctrl+shift+z
    "$PROBE" wait $RED "$DOT_X" "$DOT_Y" 10000 || fail "Ctrl+Shift+Z did not bring the dot back"
    kill -9 "$APP_PID"
    wait "$APP_PID" 2>/dev/null
    APP_PID=
fi

# ---- Leaving -----------------------------------------------------------------

if [ "$VARIANT" != durability ] && [ "$VARIANT" != undo ]; then
    file_menu_item 0 # Exit
    poll 10 named_window '^Warning !$' || fail "Exit asked nothing"
    timeout 10 xdotool windowfocus --sync "$DIALOG" 2>/dev/null
    xdotool key Return # Yes is the default button
    app_ended() { ! kill -0 "$APP_PID" 2>/dev/null; }
    poll 10 app_ended || fail "pontiva did not end after Exit and Yes"
    wait "$APP_PID"
    status=$?
    APP_PID=
    [ "$status" -eq 0 ] || fail "pontiva ended with status $status"
fi

# ---- The data file -----------------------------------------------------------

DATA="$HOME/coords.txt"
[ -f "$DATA" ] || fail "no data file $DATA"
expected=${#POINTS[@]}
optional=0
if [ "$VARIANT" = durability ]; then
    expected=$last # acknowledged by its dot before the kill
    optional=1     # the killed click: whole or absent
fi
[ "$VARIANT" = undo ] && expected=$last # all but the last, exactly
[ -s "$DATA" ] || fail "the data file is empty"
[ "$(tail -c 2 "$DATA" | od -An -tx1 | tr -d ' ')" = 0d0a ] || fail "the data file does not end in CR LF"

# Every line: two readings like 4.0000E+00, one TAB, CR LF; the values within
# one pixel's worth of the known data, in the order clicked.
report=$(LC_ALL=C awk -v expected="$expected" -v optional="$optional" '
    function abs(v) { return v < 0 ? -v : v }
    FNR == NR {
        if ($1 == "point") { wantX[++n] = $4; wantY[n] = $5 }
        if ($1 == "tolerance") { tolX = $2 * 1.0001; tolY = $3 * 1.0001 }
        next
    }
    {
        lines++
        num = "-?[0-9][.][0-9][0-9][0-9][0-9]E[-+][0-9][0-9][0-9]?"
        if ($0 !~ ("^" num "\t" num "\r$")) { printf "line %d is malformed: %s\n", FNR, $0; bad++; next }
        sub(/\r$/, "")
        split($0, f, "\t")
        if (abs(f[1] - wantX[FNR]) > tolX || abs(f[2] - wantY[FNR]) > tolY) {
            printf "line %d reads %s %s, expected %s %s (+-%g, +-%g)\n", FNR, f[1], f[2], wantX[FNR], wantY[FNR], tolX, tolY
            bad++
        }
    }
    END {
        if (lines < expected || lines > expected + optional) { printf "%d lines, expected %d%s\n", lines, expected, optional ? " or one more" : ""; bad++ }
        exit bad > 0
    }' "$WORK/manifest.txt" "$DATA") || fail "data file content is wrong:
$report"

OK=1
echo "PASS ($VARIANT): $(wc -l <"$DATA") points read back; menu bar ${MENU_H} px, picture at $PIC_X,$PIC_Y"
