# Sourced by run.sh: the about window, help and the window's services.
echo "e2e: the about window"
new_data_folder
start_program
read -r cx cy cw ch < <("$WINE" "$probe" wait TFmTODOmain 10 | tr -d '\r')
xdotool key Menu; sleep 0.5
xdotool key Down Down Down Down Down Down Down Down Return
read -r ax ay aw ah < <("$WINE" "$probe" wait TFormVersionInfo 10 | tr -d '\r')
check "バージョン情報 opens the about window" test -n "${ax:-}"
sleep 0.5
import -window root "$artifacts/about.png"
xdotool mousemove $((ax + aw - 52)) $((ay + ah - 23)) click 1
"$WINE" "$probe" gone TFormVersionInfo 10
check "its button closes it" test $? -eq 0
xdotool key Menu; sleep 0.5
xdotool key Down Down Down Down Down Down Down Down Return
"$WINE" "$probe" wait TFormVersionInfo 10 >/dev/null
xdotool key alt+c
"$WINE" "$probe" gone TFormVersionInfo 10
check "Alt+C closes it too" test $? -eq 0
close_program
check "its place is kept in application.ini" grep -qa '^\[TFORMVERSIONINFO\]' "$data/application.ini"
