#!/usr/bin/env bash
# Starts a built Ringvane: creates the call log on first use, looks for modems, and runs
# the program with the registered modem, or a demo with a simulated one when there is none.
#   RINGVANE_BUILD               build folder (default: build)
#   RINGVANE_SKIP_FIND_MODEMS=1  do not probe the serial and USB ports
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
build="${RINGVANE_BUILD:-$top/build}"

setup="$build/ringvane-setup-calllog"
finder="$build/ringvane-find-modems"
linesim="$build/ringvane-linesim"
program="$build/ringvane"

if [ -z "${QT_QPA_PLATFORM:-}" ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No desktop display found (DISPLAY and WAYLAND_DISPLAY are empty)."
    echo "Start this from a terminal inside your desktop session."
    exit 1
fi

# The call log: the ODBC data source "CallerID". An existing one is left as it is.
"$setup"

if [ "${RINGVANE_SKIP_FIND_MODEMS:-0}" != 1 ]; then
    echo "Looking for caller-ID modems on the serial and USB ports..."
    "$finder" || true
fi

user_reg="${XDG_CONFIG_HOME:-$HOME/.config}/ringvane/registry.reg"
reg="${RINGVANE_REGISTRY:-}"
if [ -z "$reg" ]; then
    if [ -f "$user_reg" ]; then reg="$user_reg"; else reg=/etc/ringvane/registry.reg; fi
fi
modem_key='^\[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Modem\\[^]\\]+\][[:space:]]*$'
if [ -f "$reg" ] && grep -Eiq "$modem_key" "$reg"; then
    echo "Starting Ringvane with the modems registered in $reg"
    exec "$program"
fi

cat <<TEXT
No caller-ID modem is registered, so Ringvane starts in demo mode: a simulated modem
on a pseudo-terminal reports a call every 20 seconds into a throwaway call log. Your own
settings and call log are not touched.

To use a real modem, plug it in and run this command again: it looks for modems and
registers the ones that report caller ID. (You may need to join the group dialout
first: sudo adduser \$USER dialout, then log in again.)
TEXT

demo=$(mktemp -d "${TMPDIR:-/tmp}/ringvane-demo.XXXXXX")
sim_pid=""
cleanup() {
    if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
    rm -rf "$demo"
}
trap cleanup EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

"$linesim" --link "$demo/modem" --every 20 --commands-log "$demo/commands.log" \
    </dev/null >"$demo/linesim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do [ -e "$demo/modem" ] && break; sleep 0.1; done

cat >"$demo/registry.reg" <<REG
REGEDIT4

[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Modem\\0000]
"Model"="Simulated caller-ID modem"
"AttachedTo"="COM1"
"DCB"=hex:1c,00,00,00,80,25,00,00,01,00,00,00,00,00,00,00,00,00,08,00,00,00,00,\\
  00,00,00,00,00

[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Modem\\0000\\EnableCallerID]
"1"="AT+VCID=1<cr>"

[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Modem\\0000\\Settings\\Init]
"1"="ATE1V1Q0<cr>"

[HKEY_LOCAL_MACHINE\\Hardware\\DeviceMap\\SerialComm]
"$demo/modem"="COM1"
REG

XDG_DATA_HOME="$demo/data" ODBCINI="$demo/odbc.ini" "$setup" >/dev/null
RINGVANE_REGISTRY="$demo/registry.reg" ODBCINI="$demo/odbc.ini" XDG_DATA_HOME="$demo/data" \
    "$program" &
program_pid=$!
trap 'kill -TERM "$program_pid" 2>/dev/null; wait "$program_pid"; exit 143' TERM
trap 'kill -INT "$program_pid" 2>/dev/null; wait "$program_pid"; exit 130' INT
wait "$program_pid"
