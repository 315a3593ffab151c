#!/usr/bin/env bash
# Lays out a fresh demo home with sample data, starts a simulated RS485 reader that swipes registered
# cards every few seconds, and opens the desk on it. Without a display the desk runs offscreen, saves
# a screenshot and says where.
set -euo pipefail
build=${1:?usage: run.sh BUILD_DIR [HOME_DIR]}
root=$(cd "$(dirname "$0")/../.." && pwd)
home=${2:-$root/demo-home}

find_exe() { find "$build" -type f -name "$1" -perm -u+x 2>/dev/null | head -n 1; }
oravik=$(find_exe oravik)
readersim=$(find_exe reader-sim)
[ -n "$oravik" ] || { echo "demo: oravik was not built in $build" >&2; exit 1; }

rm -rf "$home"
"$oravik" --init-home "$home" >/dev/null
sqlite3 "$home/mdb/Oravik.mdb" < <(bash "$root/tools/demo/seed.sh")
swipes() { sqlite3 "$home/mdb/Oravik.mdb" "select count(*) from MH_AttendResourceRecord"; }
seeded=$(swipes)
echo "demo: home $home with 30 employees and $seeded of today's swipes"

ini=$home/Oravik.ini
set_key() { # section key value: rewrite the key in place, or add it to the section
  python3 - "$ini" "$1" "$2" "$3" <<'PY'
import sys, re
path, sec, key, val = sys.argv[1:]
lines = open(path, encoding='utf-8').read().splitlines()
out, insec, done = [], False, False
for ln in lines:
    m = re.match(r'\s*\[(.*)\]\s*$', ln)
    if m:
        if insec and not done:
            out.append(f'{key}={val}'); done = True
        insec = m.group(1).strip().lower() == sec.lower()
    elif insec and re.match(rf'\s*{re.escape(key)}\s*=', ln, re.I):
        ln, done = f'{key}={val}', True
    out.append(ln)
if not done:
    if not insec: out.append(f'[{sec}]')
    out.append(f'{key}={val}')
open(path, 'w', encoding='utf-8', newline='\r\n').write('\n'.join(out) + '\n')
PY
}

sim_pid=""
cleanup() { [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true; }
trap cleanup EXIT

if [ -n "$readersim" ]; then
  # Those not yet in come first, so the absent lists empty while one watches. The simulator sends its
  # first frame at once, before the desk reads, and the desk discards it when it starts reading: lead
  # with the last card of the round so that nobody is skipped.
  cards=$(sqlite3 "$home/mdb/Oravik.mdb" "select Card_Code from MH_CardReg r order by exists
    (select 1 from MH_AttendResourceRecord s where s.Card_Cord = r.Card_Code), Empl_Code" | paste -sd, -)
  cards=${cards##*,},$cards
  simlog=$home/reader-sim.log
  "$readersim" --kind RS485 --address 3 --every 3 --cards "$cards" >"$simlog" 2>&1 &
  sim_pid=$!
  for _ in $(seq 50); do grep -q '^reader-sim: /dev/' "$simlog" 2>/dev/null && break; sleep 0.1; done
  dev=$(sed -n 's/^reader-sim: \(\/dev\/[^ ]*\).*/\1/p' "$simlog" | head -n 1)
  if [ -n "$dev" ]; then
    set_key Ports COM1 "$dev"
    set_key SysSet MachType RS485
    set_key SysSet AutoBrush Y
    # The demo home has no name recordings: calling names would only report that each time.
    set_key SysSet CallName N
    echo "demo: simulated RS485 reader on $dev swipes a card every 3 s"
  fi
fi

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" != offscreen ]; then
  "$oravik" --home "$home"
else
  shot=$home/screenshot.png
  QT_QPA_PLATFORM=offscreen "$oravik" --home "$home" --screenshot "$shot" --quit-after 8000
  echo "demo: no display; screenshot saved to $shot"
fi
echo "demo: $(( $(swipes) - seeded )) swipes signed in from the reader"
