# Sourced by run.sh: what a screen reader finds in the running program.
echo "e2e: the accessible tree of a three-item list"
new_data_folder
mkdir -p "$data/todo"
{ echo "$(date -d yesterday +%Y%m%d),0000FF,\"昨日の件\",\"★\""
  echo "$(date +%Y%m%d),000000,\"今日の件\",\"　\""
  echo "$(date -d '+400 days' +%Y%m%d),000000,\"来年の件\",\"●\""; } | sed 's/$/\r/' | sjis > "$data/todo/todo.txt"
start_program
focus_main
xdotool key Down
sleep 0.5
"$WINE" "$probe" accessible TFmTODOmain | tr -d '\r' > "$artifacts/accessible-tree.txt"
import -window root "$artifacts/keyboard-focus.png"
spoken() {  # the year only when it is not this year's
  [ "$(date -d "$1" +%Y)" = "$(date +%Y)" ] || date -d "$1" +%Y年 | tr -d '\n'
  date -d "$1" +%-m月%-d日
}
expected="list \"項目\" focused
  list item \"$(spoken yesterday) ★ 昨日の件 期限切れ\" selected focused
  list item \"$(spoken today) 今日の件 今日\"
  list item \"$(spoken '+400 days') ● 来年の件\"
at a point: push button \"折りたたむ\"
at a point: push button \"閉じる\"
at a point: link \"https://korvane.example/\""
check "the probe reads the list, its items with their due state, the buttons and the link" \
  test "$(cat "$artifacts/accessible-tree.txt")" = "$expected"
close_program
