# Sourced by run.sh: the background pictures behind the list.
echo "e2e: background pictures"
image=$root/build/native/memorail-image
shot=$artifacts/picture.png
# "r,g,b" of a screen pixel in the last screenshot, and of a pixel of a BMP.
at() { convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:; }
near() {  # near "r,g,b" "r,g,b" [tolerance]
  local IFS=,; local a=($1) b=($2) t=${3:-6} i
  for i in 0 1 2; do [ $(( a[i] > b[i] ? a[i] - b[i] : b[i] - a[i] )) -le "$t" ] || return 1; done
}
red_pixels() {  # red pixels of the screenshot in the client area below the title strip
  convert "$shot" -crop "$((cw - 16))x$((ch - 48))+$((cx + 8))+$((cy + 40))" +repage -fuzz 25% \
    -fill black +opaque '#FF0000' -fill white -opaque '#FF0000' -format '%[fx:int(mean*w*h)]' info:
}
show() {  # start, screenshot once the background is painted, close
  start_program
  read -r cx cy cw ch < <(window_place)
  sleep 2
  import -window root "$shot"
  cp "$shot" "$artifacts/picture-$1.png"
  close_program
}
pictures_folder() {  # a data folder listing the given pictures (files under $data/pics), the first chosen
  new_data_folder
  mkdir -p "$data/pics" "$data/picture"
  : > "$data/picture.lst"
  for name in "$@"; do winpath "$data/pics/$name" | tr 'A-Z' 'a-z' | sed 's/$/\r/' >> "$data/picture.lst"; done
  printf '[PICTURE]\r\nrandom=0\r\nfilename=%s\r\n' "$(winpath "$data/pics/$1" | tr 'A-Z' 'a-z')" > "$data/memorail.ini"
}

new_data_folder
show builtin
"$image" render 'C:\nowhere\default' "$cw" "$ch" "$data/builtin.bmp" >/dev/null
top=$((ch - $(identify -format %h "$data/builtin.bmp")))
same=0
for p in "60 200" "250 150" "300 230" "20 120"; do
  set -- $p
  near "$(at "$shot" $((cx + $1)) $((cy + $2)))" "$(at "$data/builtin.bmp" "$1" $(($2 - top)))" && same=$((same + 1))
done
check "a first start shows the built-in picture behind the rows ($same of 4 pixels match)" test "$same" = 4
check "and it is not the plain window colour" test "$(at "$shot" $((cx + 60)) $((cy + 200)))" != "255,255,255"

# A picture in four quarters, red lime / blue yellow, and its own placement and colours.
pictures_folder quarters.jpg other.jpg
convert -size 200x150 xc:red -size 200x150 xc:lime +append \( -size 200x150 xc:blue -size 200x150 xc:yellow +append \) \
  -append -quality 95 "$data/pics/quarters.jpg"
convert -size 64x64 xc:gray "$data/pics/other.jpg"
printf '<ウィンドウ>\r\n\t<背景>$603010</背景>\r\n\t<アクティブタイトル>$00FFFF</アクティブタイトル>\r\n\t<インアクティブタイトル>$00FFFF</インアクティブタイトル>\r\n</ウィンドウ>\r\n' \
  | sjis > "$data/picture/quarters.clr"
printf '[PICTURE]\r\nvalign=1\r\nhalign=1\r\nzoom=50\r\n' > "$data/picture/quarters.ini"
show top-left-zoom50
check "the chosen picture sits top left at half size" near "$(at "$shot" $((cx + 150)) $((cy + 50)))" "0,255,0" 40
check "its lower quarters end at 150 pixels" near "$(at "$shot" $((cx + 50)) $((cy + 120)))" "0,0,255" 40
check "beside it the window shows the picture's own background colour" test "$(at "$shot" $((cx + 300)) $((cy + 200)))" = "16,48,96"
yellow=$(convert "$shot" -crop "160x30+$cx+$cy" +repage -fuzz 10% -fill black +opaque '#FFFF00' -fill white -opaque '#FFFF00' -format '%[fx:int(mean*w*h)]' info:)
check "the title is drawn in the picture's scheme ($yellow yellow pixels)" test "$yellow" -gt 50
printf '[PICTURE]\r\nvalign=2\r\nhalign=2\r\nzoom=50\r\nrotation=1\r\n' > "$data/picture/quarters.ini"
show centred-rotated
# Turned clockwise, 150 x 200 centred at (92, 24): blue top left, red top right.
check "rotated by 90 degrees and centred" near "$(at "$shot" $((cx + 92 + 37)) $((cy + 24 + 50)))" "0,0,255" 40 -a \
  near "$(at "$shot" $((cx + 92 + 112)) $((cy + 24 + 50)))" "255,0,0" 40
check "the left margin shows the background colour" test "$(at "$shot" $((cx + 40)) $((cy + 200)))" = "16,48,96"
printf '[PICTURE]\r\nvalign=0\r\nhalign=0\r\n' > "$data/picture/quarters.ini"
show fit-fit
check "fitted both ways the picture covers the window" near "$(at "$shot" $((cx + 20)) $((cy + ch - 20)))" "0,0,255" 40 -a \
  near "$(at "$shot" $((cx + cw - 20)) $((cy + ch - 20)))" "255,255,0" 40

pictures_folder gone.jpg
show missing
check "a listed picture that is gone shows the built-in picture with a red notice ($(red_pixels) red pixels)" \
  test "$(red_pixels)" -gt 100

pictures_folder broken.png
printf '\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10\0\0\0\x10\x08\x02\0\0\0\0\0\0\0\0\0\0\x04IDATxxxx\0\0\0\0' > "$data/pics/broken.png"
show placeholder
check "a damaged PNG shows the placeholder's red frame and cross ($(red_pixels) red pixels)" test "$(red_pixels)" -gt 100

pictures_folder huge.jpg
"$root/build/native/bench/jpeg-reference" make "$data/pics/huge.jpg" 12000 9000
show huge
# The placeholder, stretched to the window's width, would be mostly white; the photo has no white.
white=$(convert "$shot" -crop "$((cw - 16))x$((ch - 48))+$((cx + 8))+$((cy + 40))" +repage -fuzz 10% \
  -fill black +opaque white -fill white -opaque white -format '%[fx:int(mean*w*h)]' info:)
check "a 12000 x 9000 photo is shown, not the placeholder ($white white pixels)" test "$white" -lt 500

pictures_folder big.jpg
convert -size 6000x4000 gradient:white-navy -quality 90 "$data/pics/big.jpg"
start_program
read -r slowest sent < <("$WINE" "$probe" respond TFmTODOmain 3 | tr -d '\r')
echo "  the window answered $sent messages during the first seconds of a 6000 x 4000 rendering, the slowest in $slowest ms"
check "the window answers while a large picture renders (slowest ${slowest} ms)" \
  awk -v s="${slowest:-9999}" 'BEGIN { exit !(s < 250) }'
close_program
clean=0
for round in $(seq 20); do
  start_program
  close_program; rc=$?
  boxes=$(count_windows '#32770')
  if [ "$rc" -eq 0 ] && [ "$boxes" = 0 ]; then clean=$((clean + 1)); continue; fi
  echo "  round $round: exit code $rc, $boxes boxes (artifacts/e2e/close-round-$round.png)"
  import -window root "$artifacts/close-round-$round.png"
  [ "$boxes" = 0 ] || "$WINESERVER" -k
done
check "closed while a large picture renders, the program ends cleanly ($clean of 20 rounds)" test "$clean" = 20

echo "e2e: a registration of .jpx pictures cut short"
new_data_folder
mkdir -p "$data/AddPicture"
convert -size 16x16 xc:orange "$data/o.jpg"
"$image" jpx "$data/o.jpg" "$data/o.jpx" >/dev/null
count=300
for i in $(seq "$count"); do cp "$data/o.jpx" "$data/AddPicture/p$i.jpx"; done
# Each picture where it was, or in picture\ and listed; each one in picture\ listed.
lost_pictures() {
  local lst i lost=0
  lst=$(tr 'A-Z' 'a-z' 2>/dev/null < "$data/picture.lst" | tr -d '\r')
  for i in $(seq "$count"); do
    [ -f "$data/AddPicture/p$i.jpx" ] && continue
    [ -f "$data/picture/p$i.jpx" ] && grep -qx ".*\\\\picture\\\\p$i\.jpx" <<< "$lst" && continue
    lost=$((lost + 1))
  done
  echo "$lost"
}
cut=0; lost=0
for round in 1 2 3 4; do
  left=$(ls "$data/AddPicture" | wc -l)
  "$WINE" "$exe" &
  pid=$!
  # Killed at varied points: once a fifth of what is left has moved.
  until=$((left - left / 5)) linux_pid=""
  while kill -0 "$pid" 2>/dev/null; do
    [ -n "$linux_pid" ] || linux_pid=$(pgrep -f "^$exe" | head -1)
    [ -n "$linux_pid" ] && [ "$(ls "$data/AddPicture" | wc -l)" -le "$until" ] && break
  done
  kill -9 "$linux_pid" 2>/dev/null
  reap
  "$WINE" "$probe" gone TFmTODOmain 10
  remaining=$(ls "$data/AddPicture" | wc -l)
  [ "$remaining" -gt 0 ] && [ "$remaining" -lt "$left" ] && cut=$((cut + 1))
  lost=$((lost + $(lost_pictures)))
done
check "4 kills part way ($cut cut short, $(ls "$data/AddPicture" | wc -l) left): no picture lost ($lost lost)" \
  test "$cut" -ge 3 -a "$lost" -eq 0
start_program
close_program
check "the next start takes in the rest: all $count in picture\\ and each listed once" \
  test "$(ls "$data/AddPicture" | wc -l)" = 0 -a "$(lost_pictures)" = 0 -a \
  "$(tr -d '\r' < "$data/picture.lst" | grep -c 'p[0-9]*\.jpx$')" = "$count" -a \
  "$(ls "$data/picture" | grep -c '\.jpx$')" = "$count"

# Listing each .jpx before it moves costs one short write per picture, not a list per picture.
jpx=$data/o.jpx
new_data_folder
mkdir -p "$data/AddPicture"
for i in $(seq 3000); do cp "$jpx" "$data/AddPicture/p$i.jpx"; done
started=$(date +%s%N)
start_program
taken=$(( ($(date +%s%N) - started) / 1000000 ))
close_program
echo "  3,000 .jpx pictures in AddPicture were moved and listed in ${taken} ms up to the window"
check "all 3,000 .jpx are in picture\ and listed" \
  test "$(ls "$data/picture" | grep -c '\.jpx$')" = 3000 -a "$(grep -c 'jpx' "$data/picture.lst")" = 3000
