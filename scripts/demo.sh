#!/usr/bin/env bash
# Installs what is missing, builds the program and starts a complete working setup on this
# machine: a private MariaDB server on 127.0.0.1:3306 with the database "gerente", send and reply
# directories answered by the simulated Zelnor service, and MonitorZelnor run from its own
# program directory. Without a display it starts a private X session with a window manager and
# a tray host. Ctrl+C stops everything it started.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=lib/process.sh
source "$root/scripts/lib/process.sh"

say() { printf '\033[1mdemo:\033[0m %s\n' "$*"; }

"$root/scripts/install-deps.sh"

build="$root/build/demo"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target MonitorZelnor zelnor_sim mz_encipher

if ss -Hltn 'sport = :3306' | grep -q .; then
  say "port 3306 on this machine is already taken (another MySQL/MariaDB server?)."
  say "MonitorZelnor always connects to port 3306: stop that server first, then run this again."
  exit 1
fi

demo="$root/.demo"
rm -rf "$demo"
mkdir -p "$demo"/{program,env,rec}
db="$demo/mariadb"
xstate="$demo/x11"
pids=()

cleanup() {
  # A second Ctrl+C must not cut the clean-up short.
  trap "" INT TERM
  trap - EXIT
  say "stopping"
  local pid
  for pid in "${pids[@]}"; do end_process "$pid" 10 || true; done
  "$root/scripts/x11-session.sh" stop "$xstate" || true
  "$root/scripts/private-mariadb.sh" stop "$db" || true
}
trap cleanup INT TERM EXIT

say "starting a private MariaDB server on 127.0.0.1:3306"
"$root/scripts/private-mariadb.sh" start "$db" 3306
"$root/scripts/private-mariadb.sh" sql "$db" "UPDATE gerente.filial SET seq_zelnor = 0 WHERE filial_id = 2"

program="$demo/program"
cp "$build/app/qt/MonitorZelnor" "$program/"
senha=$("$build/tests/gui/mz_encipher" 'mz-Test-Pw1')
printf '%s\r\n' \
  '[ip]' 'local=127.0.0.1' 'database=gerente' 'usuario=mzuser' "senha=$senha" '' \
  '[zelnor]' "envio=$demo/env/" "resposta=$demo/rec/" 'tempo=2500' '' \
  '[FilialMatriz]' 'CodLogica=2' >"$program/sistema_tervo.ini"

"$build/tools/zelnor_sim" --send "$demo/env/" --reply "$demo/rec/" --mode good \
  >"$demo/zelnor_sim.log" 2>&1 &
pids+=($!)

if [[ -z ${DISPLAY:-} ]] || ! xdpyinfo >/dev/null 2>&1; then
  say "no display: starting Xvfb with openbox and trayer"
  line=$("$root/scripts/x11-session.sh" start "$xstate")
  export "${line?}"
  say "look at it with: DISPLAY=$DISPLAY import -window root $demo/screen.png"
  say "bring the window up: DISPLAY=$DISPLAY xdotool search --name 'Monitor Zelnor' (or double-click the tray icon)"
fi

(cd "$program" && exec ./MonitorZelnor) >"$demo/MonitorZelnor.log" 2>&1 &
pids+=($!)

cat <<TXT

$(say "running. MonitorZelnor tests the link every 5 minutes (the interval in $program/monitor_zelnor.ini).")
  requests:        $demo/env/TesteAtividadeX.txt
  replies:         $demo/rec/   (the simulator's log: $demo/zelnor_sim.log)
  failure log:     $program/LogZelnor/<month>.txt
  sequence number: $root/scripts/private-mariadb.sh sql $db 'select seq_zelnor from gerente.filial'
Press Ctrl+C to stop everything.
TXT

wait "${pids[-1]}" || true
