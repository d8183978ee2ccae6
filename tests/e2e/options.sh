# Sourced by run.sh: the options dialog driven from the menu.
echo "e2e: the options dialog"
new_data_folder
old=$data
mkdir -p "$old/todo"
printf '20240305,0000FF,"牛乳を買う","★"\r\n20240306,000000,"とても長いテキストの項目です。ウィンドウの幅に入りきらないので折り返されます","☆"\r\n' | sjis > "$old/todo/todo.txt"
printf '[PICTURE]\r\nalpha=100\r\n' > "$old/default.ini"  # a plain white window
cp "$old/todo/todo.txt" "$old/todo-before"
printf '[TFMTODOMAIN]\r\nTOP=0\r\nLEFT=0\r\n' > "$old/application.ini"  # clear of the centred dialogs
# No reminder of the overdue items: Wine's stand-alone tray for its icon would lie over the list's corner.
printf '[OPTION]\r\nnotify=0\r\n' > "$old/memorail.ini"
start_program
read -r cx cy cw ch < <(window_place)
open_options() {
  xdotool mousemove $((cx + 100)) $((cy + 150))
  xdotool key Menu; sleep 0.5
  xdotool key Down Down Down Down Down Down Down Down Down Return
  read -r ox oy _ _ < <("$WINE" "$probe" wait TFmTodoOption 10 | tr -d '\r')
  sleep 0.5
  xdotool mousemove $((ox + 200)) $((oy + 150))
}
at_option() { xdotool mousemove $((ox + $1)) $((oy + $2)) click 1; sleep 0.3; }
options_ok() { at_option $((248 + 37)) $((274 + 12)); "$WINE" "$probe" gone TFmTodoOption 10; sleep 0.5; }
data_tab() { at_option 70 14; }

open_options
check "オプション設定 opens the options dialog" test -n "${ox:-}"
import -window root "$artifacts/options-display.png"
at_option $((12 + 8)) $((194 + 8))            # 文章を折り返して全て表示する
at_option $((92 + 50)) $((234 + 10))          # 選択項目強調: the list opens
xdotool key Down Return; sleep 0.3            # 色反転
options_ok
check "OK stores the word-wrap box and the selection style" \
  grep -q '^wordwrap=1' "$old/memorail.ini" -a -n "$(grep '^selected=1' "$old/memorail.ini")"
xdotool mousemove $((cx + 100)) $((cy + 200)) click 1; sleep 0.5  # nothing selected: the rows in plain colours
import -window root "$artifacts/options-applied.png"
wrapped=$(convert "$artifacts/options-applied.png" -crop "200x14+$((cx + 60))+$((cy + 33 + 16 * 2 + 1))" +repage \
  -fuzz 20% -fill white -opaque white -fill black +opaque white -negate -format '%[fx:int(mean*w*h)]' info:)
check "the list wraps the long item onto a second row ($wrapped dark pixels there)" test "$wrapped" -gt 20

open_options
data_tab
import -window root "$artifacts/options-data.png"
at_option $((214 + 25)) $((154 + 11))          # 追加 beside ★☆◆◇
options_ok
check "the marks ★☆◆◇ are added to Category.txt" \
  test "$(iconv -f CP932 -t UTF-8 "$old/Category.txt" | tr -d '\r' | grep -c -e '★' -e '☆' -e '◆' -e '◇')" = 4

main_pixel() {  # the window background in the title strip, right of the title
  import -window root "$artifacts/$1.png"
  convert "$artifacts/$1.png" -format "%[fx:int(255*p{$((cx + 220)),$((cy + 8))}.r)],%[fx:int(255*p{$((cx + 220)),$((cy + 8))}.g)],%[fx:int(255*p{$((cx + 220)),$((cy + 8))}.b)]" info:
}
open_options
at_option $((228 + 42)) $((236 + 12))          # 配色変更
read -r sx sy _ _ < <("$WINE" "$probe" wait TFormColorSetUp 10 | tr -d '\r')
sleep 0.5
cp "$old/default.clr" "$old/clr-before"        # the scheme is written as the dialog opens
at_colour() { xdotool mousemove $((sx + $1)) $((sy + $2)) click 1; sleep 0.3; }
at_colour 60 12                                # the tree's first line, ウィンドウ
xdotool key Down; sleep 0.3                    # its first leaf, 背景
at_colour $((226 + 38)) $((91 + 12))           # 色選択>>: the picker is shown
at_colour $((302 + 126 + 32)) $((74 + 10))     # the RRGGBB edit
xdotool key ctrl+a; xdotool type FF0000; xdotool key Return; sleep 0.3
at_colour $((226 + 38)) $((91 + 12))           # 色変更
at_colour $((226 + 38)) $((181 + 12))          # 反映させる
sleep 1
applied=$(main_pixel colour-dialog-picker)
check "反映させる shows the new window background at once ($applied)" test "$applied" = "255,0,0"
"$WINE" "$probe" close TFormColorSetUp
"$WINE" "$probe" gone TFormColorSetUp 10
sleep 1
closed=$(main_pixel colour-closed)
check "closing with the close box brings the old background back ($closed)" test "$closed" = "255,255,255"
check "and leaves default.clr byte-identical" cmp -s "$old/default.clr" "$old/clr-before"
at_option $((329 + 37)) $((274 + 12))          # キャンセル
"$WINE" "$probe" gone TFmTodoOption 10
check "default.clr is still unchanged after キャンセル" cmp -s "$old/default.clr" "$old/clr-before"

cp "$old/memorail.ini" "$old/ini-before"
open_options
xdotool key ctrl+Tab; sleep 0.3
import -window root "$artifacts/options-ctrl-tab.png"
xdotool key ctrl+shift+Tab ctrl+shift+Tab; sleep 0.3
import -window root "$artifacts/options-ctrl-shift-tab.png"
xdotool key Escape
"$WINE" "$probe" gone TFmTodoOption 10
check "Esc closes the options dialog as キャンセル does" test $? -eq 0
sleep 0.5
check "and the settings file stays as it was" cmp -s "$old/memorail.ini" "$old/ini-before"

new=$(mktemp -d "$e2e_tmp/data.XXXXXX")
printf '[PICTURE]\r\nalpha=100\r\n' > "$new/default.ini"
open_options
data_tab
at_option 200 62
xdotool key ctrl+a BackSpace
xdotool type --delay 20 "$(winpath "$new")"
options_ok
sleep 1
import -window root "$artifacts/options-new-folder.png"
dark=$(convert "$artifacts/options-new-folder.png" -crop "300x30+$((cx + 10))+$((cy + 34))" +repage \
  -fuzz 20% -fill white -opaque white -fill black +opaque white -negate -format '%[fx:int(mean*w*h)]' info:)
check "a new, empty data folder shows an empty list ($dark dark pixels in the first rows)" test "$dark" -lt 5
check "the old folder's todo.txt is untouched" cmp -s "$old/todo/todo.txt" "$old/todo-before"
close_program
check "the new folder gets its own files at exit" test -f "$new/todo/todo.txt" -a -f "$new/memorail.ini"
check "the old folder's todo.txt is still untouched after exit" cmp -s "$old/todo/todo.txt" "$old/todo-before"
