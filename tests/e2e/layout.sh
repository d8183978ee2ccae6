# Sourced by run.sh: a long list keeps its place and its selection through renderings, resizes,
# the menu and the item commands; and a report of the layout's times with 10,000 items.
echo "e2e: a long list keeps its place"
new_data_folder
mkdir -p "$data/todo"
for i in $(seq 0 99); do
  printf '%s,000000,"item %03d","　"\r\n' "$(date -d "2024-01-01 + $i days" +%Y%m%d)" "$i"
done | sjis > "$data/todo/todo.txt"
start_program
read -r cx cy cw ch < <(window_place)
sleep 1
scroll_pos() { "$WINE" "$probe" scrollpos TFmTODOmain | tr -d '\r'; }
copied() {  # コピー from the menu: the selected item's line, or what the clipboard held before
  xdotool key Menu; sleep 0.5; xdotool key Down Down Down Return; sleep 0.5
  timeout 5 xclip -o -selection clipboard | tr -d '\r'
}
item_line() { printf '%s,000000,"%s","　"' "$(date -d "2024-01-01 + $1 days" +%Y%m%d)" "$2"; }
xdotool mousemove $((cx + 150)) $((cy + 33 + 8)) click 1
sleep 0.3
# Twelve presses reach the partial row under the whole rows, then every other one scrolls.
for _ in $(seq 40); do xdotool key Down; sleep 0.05; done
sleep 0.5
check "40 Down presses select item 26 and scroll by 14 lines ($(scroll_pos))" test "$(scroll_pos)" = 14
"$WINE" "$probe" reset TFmTODOmain >/dev/null  # as every finished rendering does
check "a window reset keeps the place ($(scroll_pos))" test "$(scroll_pos)" = 14
"$WINE" "$probe" resize TFmTODOmain "$cw" 300 >/dev/null
"$WINE" "$probe" resize TFmTODOmain "$cw" "$ch" >/dev/null
check "a resize keeps it ($(scroll_pos))" test "$(scroll_pos)" = 14
check "and the selection: コピー copies item 26" test "$(copied)" = "$(item_line 26 'item 026')"
check "opening the menu kept the place too ($(scroll_pos))" test "$(scroll_pos)" = 14

pasted_line='20991231,000000,"pasted","　"'
offer_clipboard "$pasted_line"
xdotool key Menu; sleep 0.5; xdotool key Down Down Down Down Return; sleep 0.5
kill "$xclip_pid" 2>/dev/null
check "挿入 far down scrolls just enough to show the pasted item ($(scroll_pos))" test "$(scroll_pos)" = 89
check "and selects it" test "$(copied)" = "$pasted_line"
for _ in 1 2 3 4 5; do xdotool key Up; sleep 0.05; done
xdotool key Return
editor >/dev/null
xdotool key ctrl+End
xdotool type --delay 60 x
editor_button ok
check "編集 keeps the edited item in view ($(scroll_pos))" test "$(scroll_pos)" = 89
check "and selected" test "$(copied)" = "$(item_line 95 'item 095x')"
close_program

echo "e2e: layout times with many items (a report)"
many_items() {  # $1 items, $2 text
  for i in $(seq 0 $(($1 - 1))); do
    printf '2024%02d%02d,000000,"%s %d","　"\r\n' $((i % 12 + 1)) $((i % 28 + 1)) "$2" "$i"
  done
}
report_times() {  # $1 label: starts the program on the data folder made, changes its size and reports
  local shown times
  # Into a file: the program started inherits the output, and a pipe would stay open with it.
  "$WINE" "$probe" start-timed "$(winpath "$exe")" TFmTODOmain 60 > "$data/shown.txt"
  shown=$(tr -d '\r' < "$data/shown.txt")
  pid=""
  sleep 1
  times=$("$WINE" "$probe" layout-times TFmTODOmain 5 | tr -d '\r')
  echo "  report $1: shown and painted ${shown} ms after the start; medians of 5, ms until answered and" \
    "painted: $times"
  check "$1: the window shows and answers" test -n "$shown" -a -n "$times"
  close_program
}
new_data_folder
report_times "no items (the start's own time)"
new_data_folder
mkdir -p "$data/todo"
long_text="歯医者の予約 10:30 保険証を忘れずに持っていくこと、それから帰りに牛乳を買うこと"
many_items 10000 "$long_text" | sjis > "$data/todo/todo.txt"
printf '[SORT]\r\ntype=2\r\n' > "$data/memorail.ini"  # by text: the slowest sort
report_times "10,000 items cut with .., sorted by text"
new_data_folder
mkdir -p "$data/todo"
many_items 10000 "$long_text" | sjis > "$data/todo/todo.txt"
printf '[OPTION]\r\nwordwrap=1\r\n[SORT]\r\ntype=2\r\n' > "$data/memorail.ini"
report_times "10,000 wrapped items, sorted by text"
new_data_folder
mkdir -p "$data/todo"
{ printf '20240101,000000,"'; head -c 65000 /dev/zero | tr '\0' 'x'; printf '","　"\r\n'; } > "$data/todo/todo.txt"
printf '[OPTION]\r\nwordwrap=1\r\n' > "$data/memorail.ini"
report_times "one wrapped 65,000-character item"
