# Sourced by run.sh: the installer, silent install and uninstall under Wine. Uses run.sh's
# check, sjis, WINE, WINESERVER, probe, close_program and snapshot.
echo "e2e: the installer"
setup=$root/build/windows/memorail-setup.exe
program_files="$WINEPREFIX/drive_c/Program Files/Memorail"
start_menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Memorail'
default_data="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Korvane/Memorail"

# The registry value of the uninstall entry, as Add/Remove Programs reads it.
uninstall_value() {
  "$WINE" reg query "$uninstall_key" /v "$1" 2>/dev/null | tr -d '\r' | sed -nE "s/^ +$1 +REG_[A-Z_]+ +//p"
}

rm -rf "$program_files" "$start_menu/Memorail.lnk"
"$WINE" reg delete "$uninstall_key" /f >/dev/null 2>&1
check "the build made the installer" test -s "$setup"
"$WINE" "$setup" /S
check "the silent install ends well" test $? -eq 0
check "memorail.exe is installed under Program Files\\Memorail" \
  cmp -s "$program_files/memorail.exe" "$root/build/windows/memorail.exe"
check "memorail.chm is installed beside it" cmp -s "$program_files/memorail.chm" "$root/build/windows/memorail.chm"
check "the uninstaller is installed" test -s "$program_files/uninstall.exe"
check "the Start menu has a shortcut to the program" grep -qa 'memorail.exe' "$start_menu/Memorail.lnk"
check "Add/Remove Programs lists Memorail" test "$(uninstall_value DisplayName)" = Memorail
uninstall_string=$(uninstall_value UninstallString)
check "its uninstall command is the installed uninstaller ($uninstall_string)" \
  test "$uninstall_string" = '"C:\Program Files\Memorail\uninstall.exe"'

# The installed program runs; its data folder lies inside the program folder, the hardest
# case for an uninstaller that must leave the data alone.
data="$program_files/data"
mkdir -p "$data/todo"
printf '20240305,0000FF,"牛乳を買う","★"\r\n' | sjis > "$data/todo/todo.txt"
"$WINE" reg add 'HKCU\software\Korvane\memorail\DATA' /v PATH /d 'C:\Program Files\Memorail\data' /f >/dev/null 2>&1
"$WINE" "$program_files/memorail.exe" &
pid=$!
"$WINE" "$probe" wait TFmTODOmain 60 >/dev/null
check "the installed program starts" test $? -eq 0
close_program
check "and keeps its items in the data folder" grep -q "$(printf '牛乳を買う' | sjis)" "$data/todo/todo.txt"

# The default data folder holds items as well.
made_default=0
if [ ! -e "$default_data/todo/todo.txt" ]; then
  mkdir -p "$default_data/todo"
  printf '20240306,FF0000,"既定のフォルダ","①"\r\n' | sjis > "$default_data/todo/todo.txt"
  made_default=1
fi
data_before=$(snapshot "$data")
default_before=$(snapshot "$default_data")

# As Add/Remove Programs does: the uninstaller copies itself to the temporary folder, starts
# the copy and ends; the copy does the work, so wait until every Wine process has ended.
uninstaller=${uninstall_string#\"}
"$WINE" "${uninstaller%\"}" /S
timeout 120 "$WINESERVER" -w
check "the program files are gone" test ! -e "$program_files/memorail.exe" -a ! -e "$program_files/memorail.chm"
check "the uninstaller is gone" test ! -e "$program_files/uninstall.exe"
check "the Start-menu shortcut is gone" test ! -e "$start_menu/Memorail.lnk"
check "Add/Remove Programs no longer lists Memorail" test -z "$(uninstall_value DisplayName)"
check "the data folder inside the program folder is untouched" test "$data_before" = "$(snapshot "$data")"
check "the default data folder is untouched" test "$default_before" = "$(snapshot "$default_data")"

rm -rf "$program_files"
if [ "$made_default" -eq 1 ]; then rm -rf "$default_data"; fi
"$WINE" reg delete 'HKCU\software\Korvane\memorail' /f >/dev/null 2>&1
