#!/usr/bin/env bash
# Prepares a Wine prefix for the program's windows: created once, its windows
# unmanaged (the test displays run no window manager, and Wine would wait two
# seconds for one to confirm each hidden "managed" window), and Wine's own
# Tahoma installed so that the skin's text has the metrics it was laid out
# for instead of a wider stand-in that cuts it off.
#   wine-prefix.sh WINE_RUN PREFIX
set -uo pipefail
wine_run="$1"
prefix="$2"
export PATCHWELL_WINEPREFIX="$prefix"
server() { WINEPREFIX="$prefix" wineserver "$@" >/dev/null 2>&1 || true; }

if [ ! -f "$prefix/system.reg" ]; then
  echo "wine: creating prefix in $prefix"
  "$wine_run" wineboot --init >/dev/null 2>&1 || true
  server -w
fi
if ! grep -q '"Managed"="N"' "$prefix/user.reg" 2>/dev/null; then
  "$wine_run" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
  server -w
fi
fonts="$prefix/drive_c/windows/Fonts"
for font in /usr/share/wine/fonts/tahoma.ttf /usr/share/wine/fonts/tahomabd.ttf; do
  if [ -f "$font" ] && [ -d "$fonts" ] && [ ! -f "$fonts/$(basename "$font")" ]; then
    cp "$font" "$fonts/"
  fi
done
