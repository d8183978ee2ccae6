# Sourced by run.sh: the about window, help and the window's services.
echo "e2e: the about window"
new_data_folder
start_program
read -r cx cy cw ch < <(window_place)
xdotool mousemove $((cx + 100)) $((cy + 100))  # without a window manager the keys go where the pointer is
xdotool key Menu; sleep 0.5
xdotool key Down Down Down Down Down Down Down Down Down Down Return
read -r ax ay aw ah < <("$WINE" "$probe" wait TFormVersionInfo 10 | tr -d '\r')
check "バージョン情報 opens the about window" test -n "${ax:-}"
sleep 0.5
import -window root "$artifacts/about.png"
xdotool mousemove $((ax + aw - 52)) $((ay + ah - 23)) click 1
"$WINE" "$probe" gone TFormVersionInfo 10
check "its button closes it" test $? -eq 0
xdotool mousemove $((cx + 100)) $((cy + 100))
xdotool key Menu; sleep 0.5
xdotool key Down Down Down Down Down Down Down Down Down Down Return
"$WINE" "$probe" wait TFormVersionInfo 10 >/dev/null
xdotool key alt+c
"$WINE" "$probe" gone TFormVersionInfo 10
check "Alt+C closes it too" test $? -eq 0
close_program
check "its place is kept in application.ini" grep -qa '^\[TFORMVERSIONINFO\]' "$data/application.ini"

echo "e2e: the window's services"
new_data_folder
printf '[OPTION]\r\nintasktray=1\r\n' > "$data/memorail.ini"
start_program
read -r cx cy cw ch < <(window_place)
xdotool mousemove $((cx + 282 + 8)) $((cy + 3 + 5)) mousedown 1; sleep 0.2
xdotool mousemove $((cx + 282 + 8)) $((cy + 3 + 6)); sleep 0.3
xdotool mousemove $((cx + 282 + 80)) $((cy + 3 + 80)); sleep 0.3
xdotool mouseup 1; sleep 0.5
read -r x y _ h < <(window_place)
check "a drag starting on the fold button does not move the window" test "$x,$y" = "$cx,$cy"
[ "$h" = "$ch" ] || { xdotool mousemove $((cx + 282 + 12)) $((cy + 3 + 7)) click 1; sleep 0.5; }  # it folded: unfold
xdotool mousemove $((cx + 100)) $((cy + 100))  # without a window manager the keys go where the pointer is
xdotool key Menu; sleep 0.5
xdotool key Up Up Return   # the last entries: 最小化, 終了
sleep 1
check "最小化 hides the window into the tray" test "$("$WINE" "$probe" visible TFmTODOmain | tr -d '\r')" = 0
read -r tx ty tw th < <("$WINE" "$probe" wait __winex11_standalone_tray 10 | tr -d '\r')
xdotool mousemove $((tx + 10)) $((ty + th / 2)) click 1
sleep 1
check "a left click on the tray icon brings it back in front" \
  test "$("$WINE" "$probe" visible TFmTODOmain | tr -d '\r')" = 1 -a "$("$WINE" "$probe" foreground | tr -d '\r')" = TFmTODOmain
xdotool mousemove $((cx + 100)) $((cy + 200)) click 1; sleep 0.3   # nothing selected
xdotool key Return   # the editor for a new item
"$WINE" "$probe" wait TFmTODOdata 10 >/dev/null
xdotool mousemove $((tx + 10)) $((ty + th / 2)) click 1
sleep 1
check "a tray click with the editor open keeps the window shown and brings the editor forward" \
  test "$("$WINE" "$probe" visible TFmTODOmain | tr -d '\r')" = 1 -a "$("$WINE" "$probe" foreground | tr -d '\r')" = TFmTODOdata
timeout 20 "$WINE" "$exe"
sleep 1
import -window root "$artifacts/second-start-under-editor.png"
check "a second start with the editor open leaves the editor in front" \
  test "$("$WINE" "$probe" foreground | tr -d '\r')" = TFmTODOdata -a "$(window_count)" = 1
xdotool mousemove $((tx + 10)) $((ty + th / 2)) click 3
sleep 0.7
import -window root "$artifacts/tray-menu-under-editor.png"
check "the tray's right button opens no menu while the editor is open" \
  test "$("$WINE" "$probe" visible '#32768' | tr -d '\r')" = 0 -a "$(count_windows TFmTODOdata)" = 1
"$WINE" "$probe" close TFmTODOdata
"$WINE" "$probe" gone TFmTODOdata 10 >/dev/null
sleep 1
xdotool mousemove $((tx + 10)) $((ty + th / 2)) click 3
sleep 0.7
import -window root "$artifacts/tray-menu.png"
xdotool key Up Return   # 終了
"$WINE" "$probe" gone TFmTODOmain 20
check "the tray icon's right button opens the menu (its 終了 ends the program)" test $? -eq 0
reap

echo "e2e: the AddPicture folder"
image=$root/build/native/memorail-image
new_data_folder
mkdir -p "$data/AddPicture"
convert -size 40x30 xc:orange "$data/orange.jpg"
"$image" jpx "$data/orange.jpg" "$data/AddPicture/one.jpx" >/dev/null
convert -size 40x30 xc:purple "$data/purple.jpg"
"$image" jpx "$data/purple.jpg" "$data/AddPicture/two.jpx" >/dev/null
convert -size 40x30 xc:teal "$data/AddPicture/three.png"
start_program
close_program
check "both .jpx pictures are moved into picture\\" test -f "$data/picture/one.jpx" -a -f "$data/picture/two.jpx"
check "AddPicture keeps only the .png" test "$(ls "$data/AddPicture")" = three.png
check "picture.lst lists all three" test "$(grep -ac -e 'one\.jpx' -e 'two\.jpx' -e 'three\.png' "$data/picture.lst")" = 3

new_data_folder
mkdir -p "$data/AddPicture/pictures" "$data/AddPicture/notes"
convert -size 8x8 xc:white "$data/p.png"
(cd "$data/AddPicture" && for i in $(seq 3000); do cp ../p.png "pictures/p$i.png"; : > "notes/n$i.txt"; done)
started=$(date +%s%N)
"$WINE" "$exe" &
pid=$!
"$WINE" "$probe" wait TFormProgress 20 >/dev/null && import -window root "$artifacts/drop-progress.png"
for _ in $(seq 20); do  # the last look while it is up: after the scan the bar moves file by file
  [ "$(count_windows TFormProgress)" = 1 ] || break
  import -window root "$artifacts/drop-progress-registering.png"
done
"$WINE" "$probe" wait TFmTODOmain 120 >/dev/null
taken=$(( ($(date +%s%N) - started) / 1000000 ))
check "3,000 pictures and 3,000 other files in AddPicture are taken in within 15 s (${taken} ms)" test "$taken" -le 15000
check "all 3,000 are listed" test "$(grep -c . "$data/picture.lst")" = 3000
close_program

echo "e2e: help"
new_data_folder
start_program
read -r cx cy _ _ < <(window_place)
xdotool mousemove $((cx + 100)) $((cy + 100)) key F1
help_viewer_open() { pgrep -af 'hh\.exe' | grep -qi 'memorail\.chm'; }
for _ in $(seq 30); do help_viewer_open && break; sleep 0.5; done
check "F1 opens memorail.chm in the help viewer" help_viewer_open
sleep 2
import -window root "$artifacts/help.png"
pkill -f 'hh\.exe' 2>/dev/null
close_program
