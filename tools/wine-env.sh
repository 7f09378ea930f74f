# Sourced by the Wine scripts: the project-local prefix and a quiet, quick Wine.
# Never touches the user's own ~/.wine.
tavion_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${TAVION_WINEPREFIX:-$tavion_root/build/wine-prefix}"
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono or Gecko install prompts; no sound driver (there is no sound device here); no menu
# entries or desktop files on the host for the shortcuts that programs make.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winealsa.drv=d;winemenubuilder.exe=d"

# Raise when the prefix settings below change: existing prefixes are then brought up to date.
tavion_prefix_version=2

# Creates the prefix once (wineboot -i) and reuses it afterwards.
wine_prepare_prefix() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    [ "$(cat "$WINEPREFIX/.tavion-ready" 2>/dev/null)" = "$tavion_prefix_version" ] && exit 0
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      echo "wine: creating the prefix $WINEPREFIX" >&2
      wineboot -i >/dev/null 2>&1 || true
      wineserver -w
      [ -f "$WINEPREFIX/system.reg" ] || { echo "wine: wineboot failed" >&2; exit 1; }
    fi
    # Every program runs in one virtual desktop that draws window frames and a task bar with the
    # notification area, as a user sees them (a bare Xvfb has no window manager).
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x800 /f >/dev/null 2>&1
    wineserver -w
    echo "$tavion_prefix_version" >"$WINEPREFIX/.tavion-ready"
  ) 9>"$(dirname "$WINEPREFIX")/.wine-prefix.lock"
}
