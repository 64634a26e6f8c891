#!/usr/bin/env bash
# Installs what is needed, builds Ringvane and starts it on your display.
# Only the package install needs root (through sudo); everything else is yours.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)

bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"

setup="$top/build/tools/calllog-setup/ringvane-setup-calllog"
finder="$top/build/tools/findmodems/ringvane-find-modems"
linesim="$top/build/ringvane-linesim"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No desktop display found (DISPLAY and WAYLAND_DISPLAY are empty)."
    echo "Start this from a terminal inside your desktop session."
    exit 1
fi

# The call log: the ODBC data source "CallerID". Create the embedded one on first run.
"$setup"

# Look for caller-ID modems on the serial and USB ports and register what answers.
if [ -x "$finder" ]; then
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
    exec "$top/build/ringvane"
fi

cat <<TEXT
No caller-ID modem is registered yet, so Ringvane starts in demo mode: a simulated
modem on a pseudo-terminal reports a call every 20 seconds, logged to a throwaway
database. Your own settings and call log are not touched.

To use a real modem, plug it in and run this command again: it looks for modems and
registers the ones that report caller ID ($finder).
TEXT

demo=$(mktemp -d "${TMPDIR:-/tmp}/ringvane-demo.XXXXXX")
sim_pid=""
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
    rm -rf "$demo"
}
trap cleanup EXIT INT TERM

"$linesim" --link "$demo/modem" --every 20 >"$demo/linesim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 50); do [ -e "$demo/modem" ] && break; sleep 0.1; done

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
RINGVANE_REGISTRY="$demo/registry.reg" ODBCINI="$demo/odbc.ini" "$top/build/ringvane"
