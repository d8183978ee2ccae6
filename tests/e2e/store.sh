# Sourced by run.sh: the items against other programs and a vanishing folder.
echo "e2e: other programs' changes to the item file"
new_data_folder
mkdir -p "$data/todo"
line() { printf '2030010%d,000000,"%s","　"\r\n' "$1" "$2" | sjis; }
{ line 1 one; line 2 two; line 3 three; line 4 four; } > "$data/todo/todo.txt"
start_program
sleep 1
line 5 outside >> "$data/todo/todo.txt"   # as a sync client brings an item
sleep 2
close_program
check "an item another program added while it ran is still in the file after it closed" \
  test "$(grep -c . "$data/todo/todo.txt")" = 5 -a "$(grep -ca outside "$data/todo/todo.txt")" = 1

start_program
sleep 1
line 9 lonely > "$data/todo/todo.txt"     # four of five items gone at once
read -r qx qy _ _ < <("$WINE" "$probe" wait TFormMessage 10 | tr -d '\r')
check "a large outside removal is asked about" test -n "${qx:-}"
sleep 0.3
import -window root "$artifacts/large-removal-question.png"
"$WINE" "$probe" close TFormMessage      # no answer keeps the program's own list
"$WINE" "$probe" gone TFormMessage 10
sleep 1
check "and without an answer the program's own list is written back" \
  test "$(grep -c . "$data/todo/todo.txt")" = 5 -a "$(grep -ca lonely "$data/todo/todo.txt")" = 0

echo "e2e: the data folder removed while the program runs"
rm -rf "$data"
close_program
check "the items are in the file again after the exit" test "$(grep -c . "$data/todo/todo.txt" 2>/dev/null)" = 5

echo "e2e: an item file that is a link into a synced folder"
new_data_folder
mkdir -p "$data/todo" "$data/synced"
{ line 1 one; line 2 two; } > "$data/synced/todo.txt"
ln -s ../synced/todo.txt "$data/todo/todo.txt"
start_program
sleep 1
line 3 outside >> "$data/synced/todo.txt"
sleep 2
check "an item the sync client brings to the file the link leads to shows at once" \
  sh -c "'$WINE' '$probe' accessible TFmTODOmain | grep -q outside"
close_program
check "the link stays a link, and the file it leads to holds every item" \
  test -L "$data/todo/todo.txt" -a "$(grep -c . "$data/synced/todo.txt")" = 3
rm "$data/todo/todo.txt"
cp "$data/synced/todo.txt" "$data/todo/todo.txt"
start_program
sleep 1
ln -sf ../synced/todo.txt "$data/todo/todo.txt"
sleep 2
line 4 later >> "$data/synced/todo.txt"
sleep 2
check "a link made while the program runs is followed as well" \
  sh -c "'$WINE' '$probe' accessible TFmTODOmain | grep -q later"
close_program

echo "e2e: the item file held open by another program at start"
new_data_folder
mkdir -p "$data/todo"
{ line 1 one; line 2 two; } > "$data/todo/todo.txt"
exec 3< <("$WINE" "$probe" hold-file "$(winpath "$data/todo/todo.txt")" 12)
read -r _ <&3
held_at=$(date +%s)
start_program
"$WINE" "$probe" wait '#32770' 10 >/dev/null
check "the unreadable file is reported" test $? -eq 0
"$WINE" "$probe" close '#32770'
"$WINE" "$probe" gone '#32770' 10
focus_main
xdotool key ctrl+n
"$WINE" "$probe" wait TFmTODOdata 10 >/dev/null
xdotool type --delay 60 meanwhile
xdotool key ctrl+Return
"$WINE" "$probe" gone TFmTODOdata 10
exec 3<&-
sleep $((held_at + 14 - $(date +%s)))    # the other program lets the file go
close_program
check "the file's items and the one added meanwhile are all in it after the exit" \
  test "$(grep -c . "$data/todo/todo.txt")" = 3 -a "$(grep -ca meanwhile "$data/todo/todo.txt")" = 1 \
    -a "$(grep -ca '"two"' "$data/todo/todo.txt")" = 1

echo "e2e: two copies on one data folder (two Wine prefixes, as two PCs)"
new_data_folder
mkdir -p "$data/todo"
line 1 one > "$data/todo/todo.txt"
first_prefix=$WINEPREFIX
second_prefix=$(mktemp -d /tmp/memorail-e2e-prefix.XXXXXX)/prefix
WINEPREFIX=$second_prefix ensure_wine_prefix >/dev/null
WINEPREFIX=$second_prefix "$WINE" reg add 'HKCU\software\Korvane\memorail\DATA' /v PATH /d "$(winpath "$data")" /f >/dev/null 2>&1
add_item() {  # in the copy whose window is on top: a double-click below the items, the text, OK
  local wx wy ww wh
  read -r wx wy ww wh < <(WINEPREFIX=$1 "$WINE" "$probe" wait TFmTODOmain 10 | tr -d '\r')
  xdotool mousemove $((wx + 150)) $((wy + wh - 30)) click --repeat 2 --delay 80 1
  read -r ex ey ew eh < <(WINEPREFIX=$1 "$WINE" "$probe" wait TFmTODOdata 10 | tr -d '\r')
  xdotool type --delay 60 "$2"
  sleep 0.3
  xdotool mousemove $((ex + ew - 85 + 37)) $((ey + eh - 35 + 10)) click 1
  WINEPREFIX=$1 "$WINE" "$probe" gone TFmTODOdata 10
  sleep 1
}
start_program
WINEPREFIX=$second_prefix "$WINE" "$exe" &
second_pid=$!
WINEPREFIX=$second_prefix "$WINE" "$probe" wait TFmTODOmain 60 >/dev/null
sleep 1
add_item "$second_prefix" fromsecond
WINEPREFIX=$second_prefix "$WINE" "$probe" close TFmTODOmain
WINEPREFIX=$second_prefix "$WINE" "$probe" gone TFmTODOmain 30
wait "$second_pid" 2>/dev/null
add_item "$first_prefix" fromfirst
close_program
check "each copy added an item and both are in the file" \
  test "$(grep -ca fromsecond "$data/todo/todo.txt")" = 1 -a "$(grep -ca fromfirst "$data/todo/todo.txt")" = 1 \
    -a "$(grep -ca '"one"' "$data/todo/todo.txt")" = 1
WINEPREFIX=$second_prefix "$WINESERVER" -k 2>/dev/null
rm -rf "$(dirname "$second_prefix")"
