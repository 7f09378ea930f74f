#!/usr/bin/env bash
# Wake-ups of an idle Tavion under Wine: starts build/win64/bin/Tavion.exe /a in the project's
# prefix (settings fresh), waits until it is up and settled, then counts the context switches
# (voluntary and involuntary) of its Linux process over SECONDS (60) with no input, per thread and
# in total. A resident program that waits for input should wake only when something happens.
#   bench/wine/idle_wakeups/idle_wakeups.sh [SECONDS] [SETTLE_SECONDS]
# TAVION_EXE names another build's Tavion.exe to compare with. TYPE_EVERY=N presses Shift (xdotool)
# every N seconds while counting: the same count for a user who is active.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
source "$root/tools/wine-env.sh"
seconds=${1:-60}
settle=${2:-15}
exe=${TAVION_EXE:-$root/build/win64/bin/Tavion.exe}
[ -f "$exe" ] || { echo "build Tavion first: $exe" >&2; exit 1; }

if [ -z "${IDLE_WAKEUPS_INNER:-}" ]; then
  wine_prepare_prefix
  IDLE_WAKEUPS_INNER=1 exec "$root/tools/with-display" "$0" "$@"
fi

wine reg delete 'HKCU\Software\Quillon' /f >/dev/null 2>&1 || true
wineserver -w
wine "$exe" /a >/dev/null 2>&1 &
launcher=$!

# The Linux process of Tavion.exe in this prefix (Wine starts it under its own loader).
tavion_pid() {
  local pid
  for pid in $(pgrep -f 'Tavion\.exe' || true); do
    [ "$pid" = "$$" ] && continue
    if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
      echo "$pid"
      return 0
    fi
  done
  return 1
}
pid=""
for _ in $(seq 1 60); do
  pid=$(tavion_pid) && break
  sleep 1
done
[ -n "$pid" ] || { echo "Tavion.exe did not start" >&2; exit 1; }
finish() {
  kill "$pid" 2>/dev/null || true
  wineserver -k >/dev/null 2>&1 || true
  wait "$launcher" 2>/dev/null || true
}
trap finish EXIT
echo "Tavion.exe is Linux process $pid ($(tr '\0' ' ' <"/proc/$pid/cmdline"))"
echo "settling for ${settle} s, then counting for ${seconds} s"
sleep "$settle"

# "tid name voluntary involuntary" for every thread of the process.
snapshot() {
  local task
  for task in /proc/"$pid"/task/*; do
    awk -v tid="${task##*/}" -v name="$(cat "$task/comm" 2>/dev/null)" '
      /^voluntary_ctxt_switches/ { v = $2 }
      /^nonvoluntary_ctxt_switches/ { n = $2 }
      END { if (v != "") print tid, name, v, n }' "$task/status" 2>/dev/null || true
  done
}
before=$(snapshot)
if [ -n "${TYPE_EVERY:-}" ]; then
  for _ in $(seq 1 $((seconds / TYPE_EVERY))); do
    sleep "$TYPE_EVERY"
    xdotool key shift
  done
else
  sleep "$seconds"
fi
after=$(snapshot)

awk -v seconds="$seconds" '
  NR == FNR { v0[$1] = $(NF - 1); n0[$1] = $NF; next }
  {
    name = $2; for (i = 3; i <= NF - 2; ++i) name = name " " $i
    dv = $(NF - 1) - ($1 in v0 ? v0[$1] : 0); dn = $NF - ($1 in n0 ? n0[$1] : 0)
    printf "%-8s %-20s %10d %12d\n", $1, name, dv, dn
    tv += dv; tn += dn
  }
  BEGIN { printf "%-8s %-20s %10s %12s\n", "thread", "name", "voluntary", "involuntary" }
  END { printf "%-8s %-20s %10d %12d   (over %d s)\n", "total", "", tv, tn, seconds }
' <(echo "$before") <(echo "$after")
