#!/usr/bin/env bash
# The launcher the menu entry starts, in a prefix of its own whose three commands only
# note how they were called: on a first run it prepares the call log and looks for modems,
# later it goes straight to the program, and nothing that fails on the way keeps the
# program from starting with the arguments it was given.
#   test_launcher.sh LAUNCHER WORK
set -uo pipefail
launcher=$1 work=$2

rm -rf "$work"
mkdir -p "$work/prefix/libexec/ringvane" "$work/prefix/bin"
cp "$launcher" "$work/prefix/libexec/ringvane/launch"
for command in ringvane ringvane-setup-calllog ringvane-find-modems; do
    cat >"$work/prefix/bin/$command" <<EOF
#!/bin/sh
echo "$command ran"
[ -z "\${FLOOD:-}" ] || head -c "\$FLOOD" /dev/zero | tr '\\0' x
printf '%s' "$command" >>"\$CALLS"
for argument in "\$@"; do printf ' [%s]' "\$argument" >>"\$CALLS"; done
echo >>"\$CALLS"
exit "\${STATUS_$(echo "$command" | tr a-z- A-Z_):-0}"
EOF
    chmod +x "$work/prefix/bin/$command"
done

# Backslashes doubled for printf %b, which writes the files.
modem_class='HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Modem'
serial_map='[HKEY_LOCAL_MACHINE\\Hardware\\DeviceMap\\SerialComm]'

failures=0
# case NAME: USER_INI SYSTEM_INI REGISTRY(user file) NAMED_REGISTRY  =>  CALLS
# An ini or registry column of "-" means the file does not exist; \n and \r are line ends.
# CALLS: s = ringvane-setup-calllog ran, f = ringvane-find-modems ran, in that order.
while IFS='|' read -r name user_ini system_ini registry named expected statuses; do
    [ -n "$name" ] || continue
    dir=$work/$name
    mkdir -p "$dir/home" "$dir/sys" "$dir/config/ringvane"
    [ "$user_ini" = - ] || printf '%b' "$user_ini" >"$dir/odbc.ini"
    [ "$system_ini" = - ] || printf '%b' "$system_ini" >"$dir/sys/odbc.ini"
    [ "$registry" = - ] || printf '%b' "$registry" >"$dir/config/ringvane/registry.reg"
    named_registry=
    if [ "$named" != - ]; then
        named_registry=$dir/named.reg
        printf '%b' "$named" >"$named_registry"
    fi
    if [ "$registry" = - ] && [ "$named" = - ] && [ -e /etc/ringvane/registry.reg ]; then
        echo "skip $name: this machine has /etc/ringvane/registry.reg"
        continue
    fi

    : >"$dir/calls"
    # shellcheck disable=SC2086 # statuses is a list of assignments
    env -i PATH=/usr/bin:/bin HOME="$dir/home" CALLS="$dir/calls" \
        ODBCINI="$dir/odbc.ini" ODBCSYSINI="$dir/sys" XDG_CONFIG_HOME="$dir/config" \
        ${named_registry:+RINGVANE_REGISTRY="$named_registry"} $statuses \
        "$work/prefix/libexec/ringvane/launch" --first 'two words' '' >"$dir/output" 2>&1
    status=$?

    want=
    [[ $expected == *s* ]] && want+="ringvane-setup-calllog"$'\n'
    [[ $expected == *f* ]] && want+="ringvane-find-modems [--verbose]"$'\n'
    want+="ringvane [--first] [two words] []"
    got=$(cat "$dir/calls")
    if [ "$got" != "$want" ]; then
        echo "FAIL $name: the launcher called"
        sed 's/^/    /' "$dir/calls"
        echo "  expected"
        sed 's/^/    /' <<<"$want"
        sed 's/^/  output: /' "$dir/output"
        failures=$((failures + 1))
    fi
    # The finder's words are kept for the window, private to the user.
    report=$dir/home/.local/state/ringvane/find-modems.txt
    kept=$(stat -c %a "$(dirname "$report")" "$report" 2>/dev/null | tr '\n' ' ')$(head -1 "$report" 2>/dev/null)
    want_kept=; [[ $expected == *f* ]] && want_kept="700 600 ringvane-find-modems ran"
    [ "$kept" = "$want_kept" ] || { echo "FAIL $name: the finder's report is '$kept'"; failures=$((failures + 1)); }
    # The program's own exit status is the launcher's.
    want_status=$(sed -n 's/.*STATUS_RINGVANE=\([0-9]*\).*/\1/p' <<<"$statuses")
    if [ "$status" != "${want_status:-0}" ]; then
        echo "FAIL $name: exit status $status, expected ${want_status:-0}"
        failures=$((failures + 1))
    fi
done <<EOF
first run, nothing there|-|-|-|-|sf|
another data source only|[Other]\nDriver=SQLite3\n|-|-|-|sf|
call log in the user's file|[ODBC]\nTrace=No\n\n[CallerID]\nDriver=SQLite3\n|-|-|-|f|
call log in the system's file|-|[CallerID]\nDriver=PostgreSQL Unicode\n|-|-|f|
section in other case, CRLF, spaces|  [ callerid ]\r\nDriver=SQLite3\r\n|-|-|-|f|
data source commented out|;[CallerID]\n# [CallerID]\n|-|-|-|sf|
modem registered|[CallerID]\n|-|REGEDIT4\n\n[$modem_class\\\\0000]\n"Model"="M"\n|-|-|
modem key in lower case, CRLF|[CallerID]\n|-|REGEDIT4\r\n[${modem_class,,}\\\\0001]\r\n|-|-|
only the port map, no modem|[CallerID]\n|-|REGEDIT4\n\n$serial_map\n"/dev/ttyACM0"="COM3"\n|-|f|
only the modem class key|[CallerID]\n|-|REGEDIT4\n\n[$modem_class]\n|-|f|
named registry file wins|[CallerID]\n|-|REGEDIT4\n\n[$modem_class\\\\0000]\n|REGEDIT4\n|f|
named registry file with a modem|[CallerID]\n|-|-|REGEDIT4\n[$modem_class\\\\0000]\n||
setup and discovery fail|-|-|-|-|sf|STATUS_RINGVANE_SETUP_CALLLOG=3 STATUS_RINGVANE_FIND_MODEMS=1
program's status passed on|[CallerID]\n|-|-|REGEDIT4\n[$modem_class\\\\0000]\n||STATUS_RINGVANE=7
EOF

# A finder that talks without end fills 64 KB of report; a state folder others may write to
# gets none (the words go to the terminal instead).
run_finder() {
    env -i PATH=/usr/bin:/bin HOME="$work/$1/home" CALLS=/dev/null ODBCINI=/dev/null XDG_CONFIG_HOME="$work/$1" \
        ${2:+FLOOD=$2} "$work/prefix/libexec/ringvane/launch" >"$work/$1/output" 2>&1
}
mkdir -p "$work/flood" "$work/shared/home/.local/state/ringvane"
run_finder flood 200000
size=$(stat -c %s "$work/flood/home/.local/state/ringvane/find-modems.txt" 2>&1)
[ "$size" = 65536 ] || { echo "FAIL: a flooding finder left a report of $size bytes"; failures=$((failures + 1)); }
chmod 777 "$work/shared/home/.local/state/ringvane"
run_finder shared
[ ! -e "$work/shared/home/.local/state/ringvane/find-modems.txt" ] && grep -qx 'ringvane-find-modems ran' "$work/shared/output" ||
    { echo "FAIL: a report was kept in a folder others may write to, or the finder's words were lost"; failures=$((failures + 1)); }

if [ "$failures" -ne 0 ]; then
    echo "$failures launcher case(s) failed"
    exit 1
fi
echo "The launcher behaves in every case."
