# Sourced by the scripts: Wine in a Japanese locale with the project's own prefix,
# and a virtual display when there is none.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
export WINEPREFIX=${MEMORAIL_WINEPREFIX:-$root/.cache/wineprefix}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8

ensure_wine_prefix() {
  local made=0
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine: creating the prefix $WINEPREFIX (once, about a minute)"
    mkdir -p "$(dirname "$WINEPREFIX")"
    "$WINE" wineboot -i >/dev/null 2>&1 || true
    "$WINESERVER" -w
    made=1
  fi
  # Marlett (the buttons' glyphs) from Wine's own fonts, where this Wine does not find it itself.
  if [ -f /usr/share/wine/fonts/marlett.ttf ] && [ ! -f "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf" ]; then
    cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  fi
  # The Windows fonts the program names, mapped to free look-alikes on this machine.
  if [ ! -f "$WINEPREFIX/.memorail-fonts" ]; then
    "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Century Gothic' /d 'URW Gothic' /f >/dev/null 2>&1 &&
    touch "$WINEPREFIX/.memorail-fonts"
    made=1
  fi
  # A server started by the set-up above keeps the desktop it made, which has no display when
  # there was none yet: windows of the next program would fail. Let it end first.
  if [ $made -eq 1 ]; then "$WINESERVER" -w; fi
}

# Switches to a prefix of its own whose screen is at dpi (LogPixels), beside the usual one and
# made once; use_usual_prefix switches back. Each prefix has its own server.
usual_prefix=$WINEPREFIX
use_dpi_prefix() {
  export WINEPREFIX="$usual_prefix-dpi$1"
  ensure_wine_prefix
  if [ "$(cat "$WINEPREFIX/.memorail-dpi" 2>/dev/null)" != "$1" ]; then
    "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    # The server reads the value as it starts: the next program starts a new one.
    "$WINESERVER" -k 2>/dev/null; "$WINESERVER" -w
    echo "$1" > "$WINEPREFIX/.memorail-dpi"
  fi
}
use_usual_prefix() { export WINEPREFIX=$usual_prefix; }

# Starts Xvfb on a free display number unless DISPLAY is set; sets XVFB_PID when it did.
XVFB_PID=""
ensure_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return; fi
  local n
  for n in $(seq 90 199); do
    # A lock left by a server that was killed frees its number.
    if [ -e "/tmp/.X$n-lock" ] && ! kill -0 "$(tr -d ' ' < "/tmp/.X$n-lock" 2>/dev/null)" 2>/dev/null; then
      rm -f "/tmp/.X$n-lock" "/tmp/.X11-unix/X$n" 2>/dev/null
    fi
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    return
  done
  echo "no free display number for Xvfb" >&2
  return 1
}

stop_display() {
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; XVFB_PID=""; fi
}

# Windows form of a Linux path (Wine maps / to Z:).
winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }
