# Sourced by run.sh: the main window from the keyboard alone.
echo "e2e: the keys of the main window"
new_data_folder
mkdir -p "$data/todo"
for i in $(seq 10 39); do printf '203001%02d,000000,"key%d","　"\r\n' $((i - 9)) "$i"; done | sjis > "$data/todo/todo.txt"
start_program
focus_main
selected() { "$WINE" "$probe" accessible TFmTODOmain | tr -d '\r' | grep ' selected' | grep -o 'key[0-9]*'; }
shown() { "$WINE" "$probe" accessible TFmTODOmain | tr -d '\r' | grep ' selected' | grep -vc offscreen; }
xdotool key End; sleep 0.3
check "End selects the last item and shows it" test "$(selected)" = key39 -a "$(shown)" = 1
xdotool key Home; sleep 0.3
check "Home selects the first" test "$(selected)" = key10
xdotool key Next Next; sleep 0.3
page=$(selected)
check "PageDown twice moves on by pages and keeps the selection in view ($page)" \
  test "${page#key}" -gt 20 -a "$(shown)" = 1
xdotool key Home ctrl+c; sleep 0.5
check "Ctrl+C puts the selected item's line on the clipboard" \
  test "$(timeout 5 xclip -o -selection clipboard | tr -d '\r')" = '20300101,000000,"key10","　"'
offer_clipboard '20300301,000000,"pasted","　"'
xdotool key ctrl+v; sleep 0.5
kill "$xclip_pid" 2>/dev/null
check "Ctrl+V adds the item from another program's clipboard" grep -qa '^20300301,000000,"pasted"' "$data/todo/todo.txt"
close_program
