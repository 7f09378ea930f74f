# Sourced by the Wine scripts: the project-local prefix and a quiet, quick Wine.
# Never touches the user's own ~/.wine.
tavion_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${TAVION_WINEPREFIX:-$tavion_root/build/wine-prefix}"
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono or Gecko install prompts; no sound driver (there is no sound device here).
export WINEDLLOVERRIDES="mscoree=;mshtml=;winealsa.drv=d"

# Creates the prefix once (wineboot -i) and reuses it afterwards.
wine_prepare_prefix() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.tavion-ready" ]; then
      echo "wine: creating the prefix $WINEPREFIX" >&2
      wineboot -i >/dev/null 2>&1 || true
      wineserver -w
      [ -f "$WINEPREFIX/system.reg" ] || { echo "wine: wineboot failed" >&2; exit 1; }
      touch "$WINEPREFIX/.tavion-ready"
    fi
  ) 9>"$(dirname "$WINEPREFIX")/.wine-prefix.lock"
}
