#!/usr/bin/env bash
# Installs every Debian package Ringvane needs to build, test and run, and
# generates the locales the tests pin. Safe to run again.
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi

PACKAGES=(
    # build
    build-essential cmake ninja-build pkg-config ccache git
    qt6-base-dev qt6-base-dev-tools qt6-serialport-dev
    qt6-qpa-plugins libgl-dev libxcb1-dev
    # translations: lupdate/lrelease with their CMake functions, and Qt's own texts
    qt6-l10n-tools qt6-tools-dev qt6-translations-l10n
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev
    # call log: unixODBC with the SQLite and PostgreSQL drivers
    unixodbc unixodbc-dev odbcinst libsqliteodbc odbc-postgresql sqlite3
    postgresql
    # telephone numbers: matching, formatting, where a number is from
    libphonenumber-dev
    # desktop notifications: the tests start a private session bus of their own
    dbus
    # running and looking at the window
    xvfb xauth x11-utils fonts-dejavu-core fonts-wqy-zenhei
    locales
    # checking the Debian package: lintian, the software-centre metadata, the SVG icon
    lintian appstream librsvg2-bin
    # the flood benchmark counts the program's disk syncs
    strace
    # peak memory of a command (ringvane-calls' test and benchmark)
    time
    # the suite run beside CPU-bound load (scripts/loaded-tests.sh)
    stress-ng
)

export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${PACKAGES[@]}" >/dev/null

# Locales the tests pin: each must exist or the regional-format tests are meaningless.
wanted=(en_US.UTF-8 en_GB.UTF-8 de_DE.UTF-8 zh_CN.UTF-8)
missing=0
for l in "${wanted[@]}"; do
    norm=$(echo "$l" | sed 's/UTF-8/utf8/')
    if ! locale -a 2>/dev/null | grep -qx "$norm"; then
        missing=1
        $SUDO sed -i "s/^# *\($l UTF-8\)/\1/" /etc/locale.gen
        grep -q "^$l UTF-8" /etc/locale.gen || echo "$l UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
    fi
done
if [ "$missing" -eq 1 ]; then
    $SUDO locale-gen >/dev/null
fi
