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

new_data_folder() {
  data=$(mktemp -d /tmp/memorail-e2e.XXXXXX)
  "$WINE" reg add 'HKCU\software\Korvane\memorail\DATA' /v PATH /d "$(winpath "$data")" /f >/dev/null 2>&1
}

start_program() {
  "$WINE" "$exe" &
  pid=$!
  "$WINE" "$probe" wait TFmTODOmain 60 >/dev/null
}

close_program() {
  "$WINE" "$probe" close TFmTODOmain
  "$WINE" "$probe" gone TFmTODOmain 30
  wait "$pid" 2>/dev/null
}

# Every file of the folder with its size and change time, to see that nothing was touched.
snapshot() { (cd "$1" && find . -printf '%p %s %T@\n' | sort); }

window_count() { "$WINE" "$probe" count TFmTODOmain | tr -d '\r'; }

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
xwin=$(xdotool search --name '^TODO$' | head -1)
xdotool windowfocus --sync "$xwin" 2>/dev/null
xdotool key alt+F4
"$WINE" "$probe" gone TFmTODOmain 30
check "the window is gone after Alt+F4" test $? -eq 0
wait "$pid" 2>/dev/null
check "the items are saved" cmp -s "$data/todo/todo.txt" <(printf '20240305,0000FF,"一件目","★"\r\n' | sjis)

echo "e2e: settings and colour scheme"
new_data_folder
printf '; 手で書いた設定\r\n\r\n[OPTION]\r\n  startup = 1\r\nmine=keep me\r\n\r\n[MINE]\r\nx=1\r\n' | sjis > "$data/memorail.ini"
cp "$data/memorail.ini" "$data/ini-before"
# A dark blue window with a yellow title ($00BBGGRR).
printf '<ウィンドウ>\r\n\t<背景>$603010</背景>\r\n\t<アクティブタイトル>$00FFFF</アクティブタイトル>\r\n\t<インアクティブタイトル>$00FFFF</インアクティブタイトル>\r\n</ウィンドウ>\r\n' | sjis > "$data/colors.clr"
startup_link="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/StartUp/Memorail.lnk"
rm -f "$startup_link"
start_program
read -r cx cy cw ch < <("$WINE" "$probe" wait TFmTODOmain 10 | tr -d '\r')
sleep 1
import -window root "$artifacts/colour-scheme.png"
pixel() { convert "$artifacts/colour-scheme.png" -format "%[fx:int(255*p{$1,$2}.r)],%[fx:int(255*p{$1,$2}.g)],%[fx:int(255*p{$1,$2}.b)]" info:; }
check "the window background follows colors.clr" test "$(pixel $((cx + cw - 10)) $((cy + ch - 10)))" = "16,48,96"
yellow=$(convert "$artifacts/colour-scheme.png" -crop "160x30+$cx+$cy" +repage -fill black +opaque '#FFFF00' -fill white -opaque '#FFFF00' -format '%[fx:int(mean*w*h)]' info:)
check "the title is drawn in the scheme's title colour ($yellow yellow pixels)" test "$yellow" -gt 50
check "OPTION/startup=1 creates Memorail.lnk in the Startup folder" test -f "$startup_link"
check "the shortcut points at the program" grep -qa 'memorail.exe' "$startup_link"
close_program
check "comments, blank lines and unknown keys survive start and exit" \
  test "$(tr -d '\r' < "$data/memorail.ini" | grep -av '^normalheight=' | grep -av '^\[FORM\]$')" = "$(tr -d '\r' < "$data/ini-before")"
check "FORM/normalheight is written at exit" grep -q '^normalheight=100' "$data/memorail.ini"
sed -i 's/startup = 1/startup = 0/' "$data/memorail.ini"
start_program
close_program
check "OPTION/startup=0 removes the shortcut" test ! -e "$startup_link"

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
  linux_pid=$(pgrep -f 'memorail\.exe' | head -1)
  "$WINE" "$probe" close TFmTODOmain
  # Kill at varied moments around the save: it starts when the temporary file appears.
  while [ ! -e "$data/todo/todo.txt.tmp" ] && kill -0 "$linux_pid" 2>/dev/null; do :; done
  [ $((round % 4)) -ne 0 ] && sleep "0.00$(( round % 10 ))"
  kill -9 "$linux_pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  "$WINE" "$probe" gone TFmTODOmain 10
  if cmp -s "$data/todo/todo.txt" "$data/old"; then saw_old=$((saw_old + 1))
  elif cmp -s "$data/todo/todo.txt" "$data/new"; then saw_new=$((saw_new + 1))
  else torn=$((torn + 1)); cp "$data/todo/todo.txt" "$artifacts/torn-$round.txt"; fi
done
check "16 kills: whole old file $saw_old times, whole new file $saw_new times, torn $torn times" test "$torn" -eq 0
rm -rf /tmp/memorail-e2e.*

"$WINE" reg delete 'HKCU\software\Korvane\memorail' /f >/dev/null 2>&1
echo "e2e: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
