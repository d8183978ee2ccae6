# Sourced by run.sh after options.sh (its open_options): the main window with a list, the item
# editor and the three options pages at 96, 144 and 192 dpi, each scale in a prefix of its own
# (LogPixels). The screenshots dpi-<dpi>-*.png are for looking at: no text may be cut that is
# not cut at 96 dpi. The sizes are checked here.
# A width and height that are the design's at this dpi, within a pixel.
scaled_size() {
  local w=$(( ($3 * dpi + 48) / 96 )) h=$(( ($4 * dpi + 48) / 96 ))
  [ $(( $1 - w )) -ge -1 ] && [ $(( $1 - w )) -le 1 ] && [ $(( $2 - h )) -ge -1 ] && [ $(( $2 - h )) -le 1 ]
}
for dpi in 96 144 192; do
  echo "e2e: windows at $dpi dpi"
  if [ "$dpi" = 96 ]; then use_usual_prefix; else use_dpi_prefix "$dpi"; fi
  at() { echo $(( ($1 * dpi + 48) / 96 )); }  # a design length at this dpi
  new_data_folder
  mkdir -p "$data/todo"
  list_items | sjis > "$data/todo/todo.txt"
  printf '[PICTURE]\r\nalpha=100\r\n' > "$data/default.ini"  # a plain white window
  printf '[TFMTODOMAIN]\r\nTOP=0\r\nLEFT=0\r\n' > "$data/application.ini"  # clear of the centred dialogs
  printf '[OPTION]\r\nnotify=0\r\n' > "$data/memorail.ini"  # no reminder of the overdue items in front
  start_program
  read -r cx cy cw ch < <(window_place)
  sleep 1
  import -window root -crop "$((cw + 20))x$((ch + 20))+$((cx - 10))+$((cy - 10))" +repage "$artifacts/dpi-$dpi-main.png"
  check "the main window is 334 x 248 at 96 dpi, scaled (${cw}x$ch)" scaled_size "$cw" "$ch" 334 248

  xdotool mousemove $((cx + $(at 150))) $((cy + $(at 41))) click 1; sleep 0.3
  xdotool key Return
  read -r ex ey ew eh < <("$WINE" "$probe" wait TFmTODOdata 10 | tr -d '\r')
  sleep 0.5
  import -window root -crop "$((ew + 20))x$((eh + 20))+$((ex - 10))+$((ey - 10))" +repage "$artifacts/dpi-$dpi-editor.png"
  check "the editor is 409 x 170 at 96 dpi, scaled (${ew}x$eh)" scaled_size "$ew" "$eh" 409 170
  "$WINE" "$probe" close TFmTODOdata
  "$WINE" "$probe" gone TFmTODOdata 10

  open_options
  read -r _ _ ow oh < <("$WINE" "$probe" wait TFmTodoOption 10 | tr -d '\r')
  check "the options dialog is 412 x 304 at 96 dpi, scaled (${ow}x$oh)" scaled_size "$ow" "$oh" 412 304
  for page in display data other; do
    import -window root -crop "$((ow + 20))x$((oh + $(at 40)))+$((ox - 10))+$((oy - $(at 30)))" +repage "$artifacts/dpi-$dpi-options-$page.png"
    xdotool key ctrl+Tab; sleep 0.5
  done
  "$WINE" "$probe" close TFmTodoOption
  "$WINE" "$probe" gone TFmTodoOption 10
  close_program
  "$WINE" reg delete 'HKCU\software\Korvane\memorail' /f >/dev/null 2>&1
done
use_usual_prefix
