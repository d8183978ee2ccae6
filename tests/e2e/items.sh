# Sourced by run.sh: the item commands driven with the mouse, the keys and an outside clipboard.
echo "e2e: adding, editing, copying, pasting, cutting and deleting items"
new_data_folder
mkdir -p "$data/todo"
printf '[COLORS]\r\nnewtext=255\r\n' > "$data/memorail.ini"
printf '20050714,008000,"七月の牛乳","★"\r\n20301231,000000,"keep","　"\r\n' | sjis > "$data/todo/todo.txt"
printf 'written by hand\r\n20050701,000000,"old","　"' | sjis > "$data/todo/200507.txt"
cp "$data/todo/200507.txt" "$data/archive-before"
today=$(date +%Y%m%d)
no_mark=$(printf '"　"' | sjis)
start_program
read -r cx cy _ _ < <(window_place)
row() { echo $((cy + 33 + 16 * $1 + 8)); }
items_file() { cat "$data/todo/todo.txt"; }
editor() { "$WINE" "$probe" wait TFmTODOdata 10 | tr -d '\r'; }
editor_button() {  # OK or cancel of the open editor, then wait for it to close
  read -r ex ey ew eh < <(editor)
  if [ "$1" = ok ]; then xdotool mousemove $((ex + ew - 85 + 37)) $((ey + eh - 35 + 10)) click 1
  else xdotool mousemove $((ex + ew - 85 + 37)) $((ey + eh - 59 + 10)) click 1; fi
  "$WINE" "$probe" gone TFmTODOdata 10
}
menu() { xdotool key Menu; sleep 0.5; xdotool key Down Down "$@"; sleep 0.5; }  # past 元に戻す, やり直し

xdotool mousemove $((cx + 150)) "$(row 5)" click --repeat 2 --delay 80 1
check "a double-click on empty space opens the editor" test -n "$(editor)"
xdotool type --delay 60 milk
sleep 0.3
editor_button ok
check "OK adds the item with today's date and COLORS/newtext" grep -qa "^$today,0000FF,\"milk\",$no_mark" "$data/todo/todo.txt"

xdotool mousemove $((cx + 150)) "$(row 0)" click 1
sleep 0.3
xdotool key Return
editor >/dev/null
sleep 0.5
import -window root "$artifacts/editor-japanese.png"
before=$(items_file | od -An -tx1)
touch -d '2000-01-01' "$data/todo/todo.txt"
editor_button cancel
check "cancel leaves the item as it was" test "$before" = "$(items_file | od -An -tx1)"
check "and still writes todo.txt" test "$(stat -c %Y "$data/todo/todo.txt")" -gt 946684800

xdotool mousemove $((cx + 150)) "$(row 1)" click 1
sleep 0.3
xdotool key Return
editor >/dev/null
xdotool key ctrl+End BackSpace BackSpace BackSpace BackSpace
xdotool type --delay 60 tea
editor_button ok
check "Enter on an item edits it, the date kept" grep -qa "^$today,0000FF,\"tea\",$no_mark" "$data/todo/todo.txt"
check "the old text is gone" test "$(grep -ca milk "$data/todo/todo.txt")" = 0

xdotool key Menu
sleep 0.5
import -window root "$artifacts/menu-open.png"
xdotool key Down Down Down Return  # past 元に戻す and やり直し
sleep 0.5
tea_line="$today,0000FF,\"tea\",\"　\""
check "コピー puts the item's line on the clipboard" test "$(timeout 5 xclip -o -selection clipboard | tr -d '\r')" = "$tea_line"
menu Down Down Return
check "挿入 after コピー gives the same line twice" test "$(grep -ca "^$today,0000FF,\"tea\"" "$data/todo/todo.txt")" = 2

offer_clipboard abc
xdotool mousemove $((cx + 150)) "$(row 7)" click 1   # beside the items: no selection
sleep 0.3
menu Down Down Return
check "text from another program pastes as a plain item" grep -qa "^$today,0000FF,\"abc\",$no_mark" "$data/todo/todo.txt"
kill "$xclip_pid" 2>/dev/null
offer_clipboard "$(printf '定例会議 10\xe3\x80\x9c12時')"  # U+301C, as web pages send it
menu Down Down Return
check "a pasted wave dash is stored as code page 932's own (81 60)" \
  env LC_ALL=C grep -qaF "$(printf '定例会議 10' | sjis)$(printf '\x81\x60')12$(printf '時' | sjis)" "$data/todo/todo.txt"
kill "$xclip_pid" 2>/dev/null

july=$(printf '20050714,008000,"七月の牛乳","★"' | sjis)
xdotool mousemove $((cx + 150)) "$(row 0)" click 1
sleep 0.3
menu Down Down Down Return
check "切り取り･削除 appends the item to todo\\200507.txt, keeping what it held" \
  cmp -s "$data/todo/200507.txt" <(cat "$data/archive-before"; printf '\r\n%s\r\n' "$july")
check "and removes it from todo.txt" test "$(grep -ca "$july" "$data/todo/todo.txt")" = 0
check "the clipboard holds its line" test "$(timeout 5 xclip -o -selection clipboard)" = '20050714,008000,"七月の牛乳","★"'

count_before=$(grep -c . "$data/todo/todo.txt")
before=$(snapshot "$data/todo")
xdotool mousemove $((cx + 150)) "$(row 0)" click 1
sleep 0.3
xdotool key Delete
read -r bx by _ _ < <("$WINE" "$probe" wait TFormMessage 10 | tr -d '\r')
sleep 0.3
import -window root "$artifacts/delete-question.png"
xdotool mousemove $((bx + 168 + 37)) $((by + 60 + 12)) click 1
"$WINE" "$probe" gone TFormMessage 10
sleep 0.3
check "Delete + いいえ changes nothing" test "$before" = "$(snapshot "$data/todo")"
sums() { for f in todo.txt "${today:0:6}.txt"; do { md5sum < "$data/todo/$f"; } 2>/dev/null || echo "no $f"; done; }
sums_before=$(sums)
xdotool key Delete
read -r bx by _ _ < <("$WINE" "$probe" wait TFormMessage 10 | tr -d '\r')
xdotool mousemove $((bx + 85 + 37)) $((by + 60 + 12)) click 1
"$WINE" "$probe" gone TFormMessage 10
sleep 0.3
check "Delete + はい archives the item" test "$(grep -c . "$data/todo/todo.txt")" = $((count_before - 1)) -a \
  -s "$data/todo/${today:0:6}.txt"
xdotool key ctrl+z
sleep 0.5
check "Ctrl+Z brings it back, and the archive is as it was" test "$(sums)" = "$sums_before"
xdotool key Menu
sleep 0.5
import -window root "$artifacts/menu-undo-redo.png"
xdotool key Escape
sleep 0.3
xdotool key ctrl+y
sleep 0.5
check "Ctrl+Y removes it again" test "$(grep -c . "$data/todo/todo.txt")" = $((count_before - 1))

sort_by_date() { menu Down Down Down Down Down Down Right Down Return; }
save_now() { xdotool key Return; editor >/dev/null; editor_button cancel; }  # the editor's cancel saves
sort_by_date
save_now
check "日付 sorts by date in the other direction" test "$(head -c 8 "$data/todo/todo.txt")" = 20301231
sort_by_date
save_now
check "日付 again sorts the first way back" test "$(head -c 8 "$data/todo/todo.txt")" = "$today"

before=$(snapshot "$data/todo")
xdotool mousemove $((cx + 150)) "$(row 0)" click 1
sleep 0.3
xdotool key Up Delete
"$WINE" "$probe" wait TFormMessage 2 >/dev/null
check "Up on the first item clears the selection: Delete then asks nothing" test $? -ne 0
check "and no file changes" test "$before" = "$(snapshot "$data/todo")"
close_program

echo "e2e: the clipboard in an English session"
new_data_folder
mkdir -p "$data/todo"
printf '20240305,0000FF,"牛乳と表","★"\r\n' | sjis > "$data/todo/todo.txt"
LANG=C.UTF-8 LC_ALL=C.UTF-8 start_program
read -r cx cy _ _ < <(window_place)
xdotool mousemove $((cx + 150)) "$(row 0)" click 1
sleep 0.3
menu Down Return
check "a copy reaches other programs as Japanese text" \
  test "$(timeout 5 xclip -o -selection clipboard)" = '20240305,0000FF,"牛乳と表","★"'
offer_clipboard 牛乳
xdotool mousemove $((cx + 150)) "$(row 5)" click 1
sleep 0.3
menu Down Down Return
kill "$xclip_pid" 2>/dev/null
check "Japanese text from another program pastes as it is" grep -qa "$(printf ',000000,"牛乳",' | sjis)" "$data/todo/todo.txt"
close_program
