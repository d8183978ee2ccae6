# Sourced by run.sh: due dates marked in the list, an item without a date, the reminder from the
# tray, and a removed item restored from "削除した項目...".
echo "e2e: due dates"
new_data_folder
mkdir -p "$data/todo"
yesterday=$(date -d yesterday +%Y%m%d)
today=$(date +%Y%m%d)
later=$(date -d '+2 days' +%Y%m%d)
dated_items() {
  printf '%s,000000,"overdue","　"\r\n%s,000000,"due today","　"\r\n%s,000000,"later","　"\r\n' "$yesterday" "$today" "$later"
  printf ',000000,"someday","　"\r\n'
}
dated_items | sjis > "$data/todo/todo.txt"
printf '[OPTION]\r\nnotify=0\r\n' > "$data/memorail.ini"
printf '[PICTURE]\r\nalpha=100\r\n' > "$data/default.ini"  # plain white behind the list
start_program
read -r cx cy cw ch < <(window_place)
sleep 1
import -window root -crop "$((cw + 20))x$((ch + 20))+$((cx - 10))+$((cy - 10))" +repage "$artifacts/dates-list.png"
date_pixels() {  # pixels of a colour in the date column of a row (magenta stands in for it)
  convert "$artifacts/dates-list.png" -crop "30x16+$((10 + 6))+$((10 + 33 + 16 * $1))" +repage \
    -fill '#FF00FF' -opaque "$2" -fill black +opaque '#FF00FF' -fill white -opaque '#FF00FF' -format '%[fx:int(mean*w*h)]' info:
}
check "the overdue date is drawn in the overdue colour" test "$(date_pixels 0 '#E00000')" -gt 5
check "today's date is drawn in today's colour" test "$(date_pixels 1 '#FF8000')" -gt 5
check "the future date in neither" test "$(date_pixels 2 '#E00000')" = 0 -a "$(date_pixels 2 '#FF8000')" = 0
check "the later date is drawn in the item's colour" test "$(date_pixels 2 '#000000')" -gt 5
check "the item without a date shows no date" test "$(date_pixels 3 '#000000')" = 0
close_program
check "the item without a date is saved with an empty date field" \
  grep -qa '^,000000,"someday",' "$data/todo/todo.txt"
check "and the whole file is as it was read" cmp -s "$data/todo/todo.txt" <(dated_items | sjis)

echo "e2e: the editor's 期日なし"
start_program
xdotool mousemove $((cx + 150)) $((cy + 33 + 16 * 8)) click --repeat 2 --delay 80 1
read -r ex ey ew eh < <("$WINE" "$probe" wait TFmTODOdata 10 | tr -d '\r')
xdotool type --delay 60 nodate
xdotool mousemove $((ex + 160)) $((ey + eh - 170 + 104)) click 1
sleep 0.5
import -window root "$artifacts/dates-editor-no-date.png"
xdotool mousemove $((ex + ew - 85 + 37)) $((ey + eh - 35 + 10)) click 1
"$WINE" "$probe" gone TFmTODOdata 10
sleep 0.5
check "an item added with 期日なし is stored without a date" grep -qa '^,[0-9A-F]*,"nodate",' "$data/todo/todo.txt"
close_program
start_program
close_program
check "and is still without one after the next start" grep -qa '^,[0-9A-F]*,"nodate",' "$data/todo/todo.txt"

echo "e2e: the reminder"
new_data_folder
mkdir -p "$data/todo"
dated_items | sjis > "$data/todo/todo.txt"
start_program
read -r tx ty tw th < <("$WINE" "$probe" wait __winex11_standalone_tray 10 | tr -d '\r')
check "without the tray option a temporary icon carries the reminder" test -n "$tx"
sleep 1
import -window root "$artifacts/dates-balloon.png"
close_program

echo "e2e: removed items restored"
new_data_folder
mkdir -p "$data/todo"
printf '20260110,000000,"keep","　"\r\n' | sjis > "$data/todo/todo.txt"
archive_lines() {  # $1: with the line that goes back
  printf 'written by hand\r\n20200105,000000,"first","★"\r\n'
  [ -n "$1" ] && printf '20200107,0000FF,"bring back","　"\r\n'
  printf '20200199,damaged\n20200108,000000,"last","　"'
}
archive_lines 1 | sjis > "$data/todo/202001.txt"
printf '20191201,000000,"older","　"\r\n' | sjis > "$data/todo/201912.txt"
printf '[OPTION]\r\nnotify=0\r\n' > "$data/memorail.ini"
start_program
xdotool key Menu; sleep 0.5; xdotool key Up Up Up Return   # 削除した項目..., above 最小化 and 終了
read -r ax ay aw ah < <("$WINE" "$probe" wait TFmArchive 10 | tr -d '\r')
check "削除した項目... opens the archive window" test -n "$ax"
sleep 0.5
import -window root "$artifacts/dates-archive.png"
xdotool mousemove $((ax + 300)) $((ay + 8 + 10)) click 1   # the search box
xdotool type --delay 60 'bring'
sleep 0.5
xdotool mousemove $((ax + 40)) $((ay + 38 + 28)) click 1   # the one row left
sleep 0.3
import -window root "$artifacts/dates-archive-chosen.png"
xdotool mousemove $((ax + aw - 2 * (8 + 84) + 42)) $((ay + ah - 8 - 12)) click 1   # 元に戻す
sleep 1
xdotool key Escape
"$WINE" "$probe" gone TFmArchive 10
check "the archive window closes with Esc" test $? -eq 0
close_program
check "the restored item is back in todo\\todo.txt" grep -qa '"bring back"' "$data/todo/todo.txt"
check "and its line alone is gone from its archive" cmp -s "$data/todo/202001.txt" <(archive_lines "" | sjis)
check "the other month is untouched" grep -qa '"older"' "$data/todo/201912.txt"
grep -qa '^\[TFMARCHIVE\]' <(tr -d '\r' < "$data/application.ini" | tr a-z A-Z)
check "application.ini keeps the archive window's place" test $? -eq 0
