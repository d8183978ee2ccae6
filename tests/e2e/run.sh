#!/usr/bin/env bash
# End-to-end tests: memorail.exe under Wine and Xvfb, each in a fresh data folder that the
# registry value points at. Ends with "e2e: N passed, N failed".
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/lib/wine.sh"
exe=$root/build/windows/memorail.exe
probe=$root/build/windows/memorail-probe.exe
artifacts=$root/artifacts/e2e
mkdir -p "$artifacts"
passed=0
failed=0
pid=""

check() {
  local what=$1; shift
  if "$@"; then passed=$((passed + 1)); echo "  ok   $what"
  else failed=$((failed + 1)); echo "  FAIL $what"; fi
}

sjis() { iconv -f UTF-8 -t CP932; }
differ() { ! cmp -s "$1" "$2"; }

# This run's own folders, so that another run beside it keeps its own.
e2e_tmp=$(mktemp -d /tmp/memorail-e2e.XXXXXX)
new_data_folder() {
  data=$(mktemp -d "$e2e_tmp/data.XXXXXX")
  "$WINE" reg add 'HKCU\software\Korvane\memorail\DATA' /v PATH /d "$(winpath "$data")" /f >/dev/null 2>&1
}

# Keys go where the X input focus is, and without a window manager nothing looks after it:
# now and then it is left on no window, and every key is lost. With the root window as the
# focus, keys go to the window under the pointer, wherever a test has moved it.
focus_pointer() { xdotool windowfocus "$(xdotool search --maxdepth 0 --name '')" 2>/dev/null; }

# The main window itself as the focus, for keys sent with the pointer elsewhere.
focus_main() { xdotool windowfocus --sync "$(xdotool search --name '^TODO$' | head -1)" 2>/dev/null; }

start_program() {
  "$WINE" "$exe" &
  pid=$!
  "$WINE" "$probe" wait TFmTODOmain 60 >/dev/null
  focus_pointer
}

# A probe under load now and then ends without a word, the close unsent: it is sent again.
# Answers the program's exit status; one that has not ended 20 s later is killed, never waited
# for without end.
close_program() {
  for wait_seconds in 10 20; do
    "$WINE" "$probe" close TFmTODOmain
    "$WINE" "$probe" gone TFmTODOmain "$wait_seconds" && break
  done
  reap
}

# Waits for the program started last to end: one still running 20 s later is killed, never
# waited for without end (a click that missed its button leaves it running).
reap() {
  [ -n "$pid" ] || return 0
  timeout 20 tail --pid="$pid" -f /dev/null || kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
}

# The main window's client area, "x y width height". A probe under load now and then ends
# without a word: it is asked again rather than taken for an answer.
window_place() {
  local answer
  for _ in 1 2 3; do
    answer=$("$WINE" "$probe" wait TFmTODOmain 10 | tr -d '\r')
    [ -n "$answer" ] && break
  done
  echo "$answer"
}

# Another program (xclip, alive in xclip_pid until killed) offers $1 on the clipboard; waits
# until the Win32 clipboard holds it, which comes a moment after the X selection.
offer_clipboard() {
  printf '%s' "$1" | xclip -quiet -selection clipboard -i 2>/dev/null &
  xclip_pid=$!
  "$WINE" "$probe" clipboard-holds "$1" 10 || echo "  the clipboard still lacks the offered text after 10 s"
}

# Every file of the folder with its size and change time, to see that nothing was touched.
snapshot() { (cd "$1" && find . -printf '%p %s %T@\n' | sort); }

# How many windows of the class there are. Now and then a probe under load ends without a
# word; it is asked again rather than taken for an answer.
count_windows() {
  local answer
  for _ in 1 2 3; do
    answer=$("$WINE" "$probe" count "$1" | tr -d '\r')
    [ -n "$answer" ] && break
    sleep 1
  done
  echo "${answer:-?}"
}
window_count() { count_windows TFmTODOmain; }

ensure_wine_prefix
ensure_display
trap 'stop_display' EXIT
"$WINESERVER" -k 2>/dev/null

echo "e2e: first start in an empty data folder"
new_data_folder
start_program
check "todo\\ and picture\\ are created" test -d "$data/todo" -a -d "$data/picture"
check "one main window" test "$(window_count)" = 1
import -window root "$artifacts/first-start.png"
close_program
check "an empty todo\\todo.txt is written at exit" test -f "$data/todo/todo.txt" -a ! -s "$data/todo/todo.txt"
check "no temporary file is left" test ! -e "$data/todo/todo.txt.tmp"

echo "e2e: a data folder with only the old todo.txt"
new_data_folder
printf '20240305,0000ff,"牛乳を買う","★"\r\n\r\n20241231,FF0000,"表\\\\ソ","①"\nメモだけの行\r\n' | sjis > "$data/todo.txt"
cp "$data/todo.txt" "$data/old-copy"
start_program
close_program
check "the old file stays byte-identical" cmp -s "$data/todo.txt" "$data/old-copy"
expected=$(printf '20240305,0000FF,"牛乳を買う","★"\r\n20241231,FF0000,"表\\\\ソ","①"\r\n' | sjis | od -An -tx1)
got=$(head -c "$(printf '20240305,0000FF,"牛乳を買う","★"\r\n20241231,FF0000,"表\\\\ソ","①"\r\n' | sjis | wc -c)" \
  "$data/todo/todo.txt" | od -An -tx1)
check "its items are written to todo\\todo.txt" test "$expected" = "$got"
check "the plain line becomes a third item" test "$(grep -c . "$data/todo/todo.txt")" = 3
check "the plain line keeps its text" grep -q "$(printf '"メモだけの行"' | sjis)" "$data/todo/todo.txt"

echo "e2e: a second start while the first copy runs"
new_data_folder
mkdir -p "$data/todo"
printf '20240305,0000FF,"一件目","★"\r\n' | sjis > "$data/todo/todo.txt"
start_program
before=$(snapshot "$data")
started=$(date +%s)
timeout 20 "$WINE" "$exe"
second_rc=$?
elapsed=$(( $(date +%s) - started ))
check "the second copy ends by itself within a few seconds (${elapsed}s)" test "$second_rc" -eq 0 -a "$elapsed" -le 5
check "there is still one main window" test "$(window_count)" = 1
check "the first copy's window is in front" test "$("$WINE" "$probe" foreground | tr -d '\r')" = TFmTODOmain
check "the second copy touched no file" test "$before" = "$(snapshot "$data")"

echo "e2e: Alt+F4 closes the window and saves"
focus_main
xdotool key alt+F4
"$WINE" "$probe" gone TFmTODOmain 30
check "the window is gone after Alt+F4" test $? -eq 0
reap
check "the items are saved" cmp -s "$data/todo/todo.txt" <(printf '20240305,0000FF,"一件目","★"\r\n' | sjis)

echo "e2e: closing is quick"
new_data_folder
start_program
read -r gone_ms ended_ms < <("$WINE" "$probe" close-timed TFmTODOmain 30 | tr -d '\r')
reap
check "the window is gone within 1 s of WM_CLOSE (${gone_ms} ms)" test "${gone_ms:-99999}" -le 1000
check "the program has ended within 2 s of WM_CLOSE (${ended_ms} ms)" test "${ended_ms:-99999}" -le 2000

echo "e2e: a start while the first copy is ending"
start_program
first=$pid
"$WINE" "$probe" close TFmTODOmain
"$WINE" "$exe" &
pid=$!
wait "$first" 2>/dev/null
"$WINE" "$probe" wait TFmTODOmain 20 >/dev/null
check "the second copy shows its window once the first has ended" test $? -eq 0
check "it runs on, with the one main window" test -d "/proc/$pid" -a "$(window_count)" = 1
close_program

echo "e2e: a start that finds the lock but no window"
# A copy that is ending, as far as a new start can see: the lock without a main window.
# The holder itself watches for the window while it holds the lock: no probe started meanwhile
# can come too late under load.
exec 3< <("$WINE" "$probe" hold-mutex 'Global\Korvane Memorail ' 3 TFmTODOmain)
read -r _ <&3
"$WINE" "$exe" &
pid=$!
read -r seen <&3
seen=${seen%$'\r'}
check "no window while the lock is held ($seen)" test "$seen" = none
"$WINE" "$probe" wait TFmTODOmain 20 >/dev/null
check "the window shows once the lock is released" test $? -eq 0
exec 3<&-
check "it runs on, with the one main window" test -d "/proc/$pid" -a "$(window_count)" = 1
close_program

echo "e2e: settings and colour scheme"
new_data_folder
printf '; 手で書いた設定\r\n\r\n[OPTION]\r\n  startup = 1\r\nmine=keep me\r\n\r\n[MINE]\r\nx=1\r\n' | sjis > "$data/memorail.ini"
cp "$data/memorail.ini" "$data/ini-before"
# A dark blue window with a yellow title ($00BBGGRR).
printf '<ウィンドウ>\r\n\t<背景>$603010</背景>\r\n\t<アクティブタイトル>$00FFFF</アクティブタイトル>\r\n\t<インアクティブタイトル>$00FFFF</インアクティブタイトル>\r\n</ウィンドウ>\r\n' | sjis > "$data/default.clr"
startup_link="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/StartUp/Memorail.lnk"
rm -f "$startup_link"
start_program
read -r cx cy cw ch < <(window_place)
sleep 1
import -window root "$artifacts/colour-scheme.png"
pixel() { convert "$artifacts/colour-scheme.png" -format "%[fx:int(255*p{$1,$2}.r)],%[fx:int(255*p{$1,$2}.g)],%[fx:int(255*p{$1,$2}.b)]" info:; }
check "the window background follows default.clr" test "$(pixel $((cx + 220)) $((cy + 8)))" = "16,48,96"
yellow=$(convert "$artifacts/colour-scheme.png" -crop "160x30+$cx+$cy" +repage -fill black +opaque '#FFFF00' -fill white -opaque '#FFFF00' -format '%[fx:int(mean*w*h)]' info:)
check "the title is drawn in the scheme's title colour ($yellow yellow pixels)" test "$yellow" -gt 50
check "OPTION/startup=1 creates Memorail.lnk in the Startup folder" test -f "$startup_link"
check "the shortcut points at the program" grep -qa 'memorail.exe' "$startup_link"
close_program
check "comments, blank lines and unknown keys survive start and exit" \
  test "$(tr -d '\r' < "$data/memorail.ini" | grep -av '^normalheight=' | grep -av '^\[FORM\]$')" = "$(tr -d '\r' < "$data/ini-before")"
check "FORM/normalheight is written at exit (the last unfolded height)" grep -q '^normalheight=248' "$data/memorail.ini"
sed -i 's/startup = 1/startup = 0/' "$data/memorail.ini"
start_program
close_program
check "OPTION/startup=0 removes the shortcut" test ! -e "$startup_link"

echo "e2e: the list"
# Four items sorted by date: the file the program writes back is the same.
list_items() {
  printf '20240228,000000,"Call Bob about the report","　"\r\n'
  printf '20240301,008000,"歯医者の予約 10:30\\n保険証を忘れずに","①"\r\n'
  printf '20240305,0000FF,"牛乳を買う","★"\r\n'
  printf '20240310,FF0000,"とても長いテキストの項目です。ウィンドウの幅に入りきらないので、折り返すか点々で切られます","☆"\r\n'
}
shot() { import -window root -crop "$((cw + 20))x$((ch + 20))+$((cx - 10))+$((cy - 10))" +repage "$artifacts/$1.png"; }
pixel_at() { convert "$artifacts/$1.png" -format "%[fx:int(255*p{$(($2 + 10)),$(($3 + 10))}.r)],%[fx:int(255*p{$(($2 + 10)),$(($3 + 10))}.g)],%[fx:int(255*p{$(($2 + 10)),$(($3 + 10))}.b)]" info:; }
count_colour() {  # pixels of one colour inside a rectangle of a screenshot
  convert "$artifacts/$1.png" -crop "$4x$5+$(($2 + 10))+$(($3 + 10))" +repage -fill black +opaque "$6" -fill white -opaque "$6" \
    -format '%[fx:int(mean*w*h)]' info:
}
start_list() {  # $1: extra settings lines for memorail.ini
  new_data_folder
  mkdir -p "$data/todo"
  list_items | sjis > "$data/todo/todo.txt"
  printf '[OPTION]\r\n%s\r\n' "$1" | sjis > "$data/memorail.ini"
  printf '[PICTURE]\r\nalpha=100\r\n' > "$data/default.ini"  # the picture fully faded: plain white
  start_program
  read -r cx cy cw ch < <(window_place)
  sleep 1
}

start_list ""
shot list-default
check "the outer frame is drawn in its colour" test "$(pixel_at list-default 100 0)" = "192,192,192"
check "the inner frame is drawn in its colour" test "$(pixel_at list-default 4 100)" = "0,0,0"
rule=$(pixel_at list-default 200 $((33 + 15)))
check "a rule lies under the first row ($rule)" test "$rule" != "255,255,255" -a "${rule%%,*}" -ge 225
check "the red item's text is red" test "$(count_colour list-default 8 65 300 16 '#FF0000')" -gt 20
check "the green item's text is green" test "$(count_colour list-default 8 49 300 16 '#008000')" -gt 20
check "nothing is drawn under the last item" test "$(pixel_at list-default 200 $((33 + 16 * 5 - 1)))" = "255,255,255"
xdotool mousemove $((cx + 100)) $((cy + 33 + 16 * 2 + 5)) click 1
sleep 1
shot list-selected-invert
check "a left click selects: style 0 inverts the row" test "$(pixel_at list-selected-invert 250 $((33 + 16 * 2 + 2)))" = "0,0,0"
xdotool mousemove $((cx + 282 + 12)) $((cy + 3 + 7)) click 1
read -r _ _ _ folded < <(window_place)
check "the fold button folds the window to 41 pixels ($folded)" test "$folded" = 41
sleep 0.5
import -window root -crop "$((cw + 20))x80+$((cx - 10))+$((cy - 10))" +repage "$artifacts/list-folded.png"
xdotool mousemove $((cx + 282 + 12)) $((cy + 3 + 7)) click 1
sleep 0.5
read -r _ _ _ unfolded < <(window_place)
check "clicking it again restores the height ($unfolded)" test "$unfolded" = 248
xdotool mousemove $((cx + 282 + 12)) $((cy + 3 + 7)) click --repeat 2 --delay 80 1
sleep 0.5
read -r _ _ _ twice < <(window_place)
check "a double click on it folds and unfolds ($twice)" test "$twice" = 248
xdotool mousemove $((cx + 306 + 12)) $((cy + 3 + 7)) click 1
"$WINE" "$probe" gone TFmTODOmain 20
check "the close button ends the program" test $? -eq 0
reap
check "the items are saved at exit" cmp -s "$data/todo/todo.txt" <(list_items | sjis)

start_list "wordwrap=1"
shot list-wordwrap
check "with word wrap the long item continues on further lines" \
  test "$(count_colour list-wordwrap 60 $((33 + 16 * 4)) 240 16 '#0000FF')" -gt 20
close_program

for style in 1 2 3 4 5; do
  start_list "selected=$style"
  xdotool mousemove $((cx + 100)) $((cy + 33 + 16 * 2 + 5)) click 1
  sleep 1
  shot "list-style-$style"
  close_program
done
check "style 1 (colour invert) marks the row" test "$(pixel_at list-style-1 250 $((33 + 16 * 2 + 2)))" = "255,255,0"
check "style 4 (box) lays a bar across the row" test "$(pixel_at list-style-4 250 $((33 + 16 * 2 + 7)))" != "255,255,255"

new_data_folder
mkdir -p "$data/todo"
for i in $(seq -w 1 50); do printf '202403%02d,%06X,"項目 %s 番","★"\r\n' $(( (10#$i - 1) % 28 + 1 )) $(( 10#$i * 40000 )) "$i"; done | sjis > "$data/todo/todo.txt"
start_program
read -r cx cy cw ch < <(window_place)
sleep 1
shot list-50-top
for _ in 1 2 3 4 5 6 7; do xdotool mousemove $((cx + 310 + 8)) $((cy + 240 - 8)) click 1; sleep 0.2; done
sleep 0.5
shot list-50-scrolled
check "the scroll bar scrolls the list" differ "$artifacts/list-50-top.png" "$artifacts/list-50-scrolled.png"
close_program

echo "e2e: nothing can be saved at exit"
new_data_folder
mkdir -p "$data/todo/todo.txt" "$data/memorail.ini"  # folders where both files belong
start_program
"$WINE" "$probe" close TFmTODOmain
reports=0
while "$WINE" "$probe" wait '#32770' 10 >/dev/null; do
  reports=$((reports + 1))
  [ "$reports" -eq 1 ] && import -window root "$artifacts/exit-report.png"
  "$WINE" "$probe" close '#32770'
  "$WINE" "$probe" gone '#32770' 10
  [ "$reports" -ge 5 ] && break
done
check "each failure is reported once ($reports reports)" test "$reports" -eq 2
# This checkout's copy only: others may run on the machine.
timeout 10 tail --pid="$(pgrep -f "^$exe" | head -1)" -f /dev/null 2>/dev/null
check "then the program ends" test -z "$(pgrep -f "^$exe")"
reap
new_data_folder
start_program
check "and the next start shows its window" test "$(window_count)" = 1
close_program

echo "e2e: the window behaves like a gadget"
place() { window_place; }
# drag_top TOP: drags the window by its list area so that its top would land at TOP.
drag_top() {
  local x y w h
  read -r x y w h < <(place)
  xdotool mousemove $((x + 100)) $((y + 100)) mousedown 1; sleep 0.2
  xdotool mousemove $((x + 100)) $((y + 101)); sleep 0.3   # the system's move loop starts here
  xdotool mousemove $((x + 100)) $((y + 101 + $1 - y)); sleep 0.3
  xdotool mouseup 1; sleep 0.5
  place | cut -d' ' -f2
}
new_data_folder
start_program
read -r x0 y0 w0 h0 < <(place)
xdotool mousemove $((x0 + 100)) $((y0 + 100)) mousedown 1; sleep 0.2
for _ in 1 2 3 4 5; do xdotool mousemove_relative -- 20 10; sleep 0.1; done
xdotool mouseup 1; sleep 0.5
read -r x1 y1 _ _ < <(place)
check "a drag in the list moves the window ($x0,$y0 -> $x1,$y1)" test "$x1" -gt "$x0" -a "$y1" -gt "$y0"
check "dragged to 20 pixels below the top it snaps to the top" test "$(drag_top 20)" = 0
check "at 32 pixels it stays" test "$(drag_top 32)" = 32
read -r x2 y2 w2 h2 < <(place)
xdotool mousemove $((x2 + w2 - 2)) $((y2 + 100)) mousedown 1; sleep 0.2
xdotool mousemove_relative -- 30 0; sleep 0.2; xdotool mousemove_relative -- 30 0; sleep 0.2
xdotool mouseup 1; sleep 0.5
read -r x3 y3 w3 h3 < <(place)
check "a press 2 pixels inside the right edge and a drag widen it ($w2 -> $w3)" test "$w3" -gt "$w2" -a "$x3" = "$x2"
read -r kind _ _ _ _ _ corners _ inner < <("$WINE" "$probe" region TFmTODOmain | tr -d '\r')
check "its corners are cut ($corners, inside $inner)" test "$corners" = 0000 -a "$inner" = 1
import -window root -crop "24x24+$x3+$y3" +repage png:- | convert - -scale 400% "$artifacts/window-corner-4x.png"
check "it is not topmost by default" test "$("$WINE" "$probe" topmost TFmTODOmain | tr -d '\r')" = 0
close_program
check "application.ini keeps its place and size" \
  grep -q "^LEFT=$x3" <(tr -d '\r' < "$data/application.ini")
start_program
check "the next start brings it back there ($(place))" test "$(place)" = "$x3 $y3 $w3 $h3"
xdotool mousemove $((x3 + w3 - 52 + 12)) $((y3 + 3 + 7)) click 1
sleep 0.5
close_program
start_program
read -r _ _ _ hf < <(place)
xdotool mousemove $((x3 + w3 - 52 + 12)) $((y3 + 3 + 7)) click 1
sleep 0.5
read -r _ _ _ hu < <(place)
check "folded at exit it comes back folded ($hf) and unfolds to its height ($hu)" test "$hf" = 41 -a "$hu" = "$h3"
close_program

printf '[TFMTODOMAIN]\r\nTOP=5000\r\nLEFT=-9000\r\nWIDTH=100000\r\nHEIGHT=0\r\n' > "$data/application.ini"
start_program
read -r x4 y4 w4 h4 < <(place)
check "a place on no monitor and absurd sizes come back centred and usable ($x4 $y4 $w4 $h4)" \
  test "$w4" -le 1024 -a "$h4" -ge 41 -a "$x4" -eq $(( (1024 - w4) / 2 )) -a "$y4" -eq $(( (768 - h4) / 2 ))
close_program
printf '[TFMTODOMAIN]\r\nTOP=100\r\nLEFT=100\r\nWIDTH=0\r\nHEIGHT=0\r\n' > "$data/application.ini"
start_program
read -r _ _ w6 h6 < <(place)
check "WIDTH=0 HEIGHT=0 bring back the default size ($w6 x $h6)" test "$w6" = 334 -a "$h6" = 248
close_program

new_data_folder
printf '[OPTION]\r\nwindowontop=1\r\nfitscreenpx=0\r\n' > "$data/memorail.ini"
start_program
check "with windowontop=1 the window is topmost" test "$("$WINE" "$probe" topmost TFmTODOmain | tr -d '\r')" = 1
check "with fitscreenpx=0 it does not snap" test "$(drag_top 20)" = 20
drag_top 150 >/dev/null
read -r x5 y5 _ _ < <(place)
"$WINE" wineboot -e >/dev/null 2>&1
"$WINE" "$probe" gone TFmTODOmain 20
reap
check "Windows ending the session closes the window" test -z "$(pgrep -f "^$exe")"
check "and its new place is stored" grep -q "^TOP=$y5" <(tr -d '\r' < "$data/application.ini" 2>/dev/null)
check "and the settings are saved" grep -q '^normalheight=' <(tr -d '\r' < "$data/memorail.ini")

echo "e2e: the tray icon"
new_data_folder
printf '[OPTION]\r\nintasktray=1\r\n' > "$data/memorail.ini"
start_program
sleep 1
check "with intasktray=1 the taskbar button is gone" test "$("$WINE" "$probe" visible TApplication | tr -d '\r')" = 0
read -r tx ty tw th < <("$WINE" "$probe" wait __winex11_standalone_tray 10 | tr -d '\r')
check "and the icon is in the notification area (Wine's own tray at $tx,$ty)" test -n "$tx"
import -window root -crop "${tw:-160}x${th:-20}+${tx:-0}+${ty:-0}" +repage "$artifacts/tray-icon.png"
xdotool mousemove $((tx + 10)) $((ty + th / 2)) click 1
sleep 1
check "a click on the icon hides the window" test "$("$WINE" "$probe" visible TFmTODOmain | tr -d '\r')" = 0
xdotool mousemove $((tx + 10)) $((ty + th / 2)) click 1
sleep 1
check "another click shows it again" test "$("$WINE" "$probe" visible TFmTODOmain | tr -d '\r')" = 1
xdotool mousemove $((tx + 10)) $((ty + th / 2)) click 1
sleep 1
timeout 20 "$WINE" "$exe"
# The second start only asks: the first copy shows itself when it next reads its messages.
"$WINE" "$probe" wait TFmTODOmain 10 >/dev/null
check "a second start shows the hidden first window" test $? -eq 0
close_program

source "$root/tests/e2e/items.sh"
source "$root/tests/e2e/store.sh"
source "$root/tests/e2e/access.sh"
source "$root/tests/e2e/keys.sh"
source "$root/tests/e2e/layout.sh"
source "$root/tests/e2e/pictures.sh"
source "$root/tests/e2e/options.sh"
source "$root/tests/e2e/dpi.sh"
source "$root/tests/e2e/services.sh"
source "$root/tests/e2e/dates.sh"
source "$root/tests/e2e/installer.sh"

echo "e2e: killed during the exit save, the item file is whole"
new_data_folder
mkdir -p "$data/todo"
# Lower-case colours: the program writes them in upper case, so old and new differ.
awk 'BEGIN { for (i = 0; i < 100000; i++) printf "20240305,00a0ff,\"項目 %d の説明テキスト\",\"★\"\r\n", i }' \
  | sjis > "$data/old"
sed 's/00a0ff/00A0FF/' "$data/old" > "$data/new"
saw_old=0; saw_new=0; torn=0
for round in $(seq 1 16); do
  cp "$data/old" "$data/todo/todo.txt"
  rm -f "$data/todo/todo.txt.tmp"
  start_program
  linux_pid=$(pgrep -f "^$exe" | head -1)  # this checkout's copy, not another one's on the machine
  # Kill at varied moments around the save: it starts when the temporary file appears. The
  # close is sent again should the probe have ended without sending it.
  for _ in 1 2 3; do
    "$WINE" "$probe" close TFmTODOmain
    until_time=$((SECONDS + 10))
    while [ ! -e "$data/todo/todo.txt.tmp" ] && kill -0 "$linux_pid" 2>/dev/null && [ "$SECONDS" -lt "$until_time" ]; do :; done
    [ "$SECONDS" -lt "$until_time" ] && break
  done
  [ $((round % 4)) -ne 0 ] && sleep "0.00$(( round % 10 ))"
  kill -9 "$linux_pid" 2>/dev/null
  reap
  "$WINE" "$probe" gone TFmTODOmain 10
  if cmp -s "$data/todo/todo.txt" "$data/old"; then saw_old=$((saw_old + 1))
  elif cmp -s "$data/todo/todo.txt" "$data/new"; then saw_new=$((saw_new + 1))
  else torn=$((torn + 1)); cp "$data/todo/todo.txt" "$artifacts/torn-$round.txt"; fi
done
check "16 kills: whole old file $saw_old times, whole new file $saw_new times, torn $torn times" test "$torn" -eq 0
rm -rf "$e2e_tmp"

"$WINE" reg delete 'HKCU\software\Korvane\memorail' /f >/dev/null 2>&1
echo "e2e: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
