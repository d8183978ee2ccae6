# Sourced by run.sh: the items against other programs and a vanishing folder.
echo "e2e: other programs' changes to the item file"
new_data_folder
mkdir -p "$data/todo"
line() { printf '2030010%d,000000,"%s","　"\r\n' "$1" "$2" | sjis; }
{ line 1 one; line 2 two; line 3 three; line 4 four; } > "$data/todo/todo.txt"
start_program
sleep 1
line 5 outside >> "$data/todo/todo.txt"   # as a sync client brings an item
sleep 2
close_program
check "an item another program added while it ran is still in the file after it closed" \
  test "$(grep -c . "$data/todo/todo.txt")" = 5 -a "$(grep -ca outside "$data/todo/todo.txt")" = 1

start_program
sleep 1
line 9 lonely > "$data/todo/todo.txt"     # four of five items gone at once
read -r qx qy _ _ < <("$WINE" "$probe" wait TFormMessage 10 | tr -d '\r')
check "a large outside removal is asked about" test -n "${qx:-}"
sleep 0.3
import -window root "$artifacts/large-removal-question.png"
"$WINE" "$probe" close TFormMessage      # no answer keeps the program's own list
"$WINE" "$probe" gone TFormMessage 10
sleep 1
check "and without an answer the program's own list is written back" \
  test "$(grep -c . "$data/todo/todo.txt")" = 5 -a "$(grep -ca lonely "$data/todo/todo.txt")" = 0

echo "e2e: the data folder removed while the program runs"
rm -rf "$data"
close_program
check "the items are in the file again after the exit" test "$(grep -c . "$data/todo/todo.txt" 2>/dev/null)" = 5
