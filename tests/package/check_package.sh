#!/usr/bin/env bash
# Builds the Debian package from the build tree into WORK and checks what installing it
# gives: the control data, each file with its owner and mode, the menu entry, the manual
# pages, the packaged programs, and lintian's verdict where lintian is installed.
#   check_package.sh CPACK BUILD_DIR VERSION WORK
set -uo pipefail
cpack=$1 build=$2 version=$3 work=$4

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

rm -rf "$work"
mkdir -p "$work"
if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    echo "FAIL: cpack could not build the package"
    exit 1
fi
arch=$(dpkg --print-architecture)
deb=$work/ringvane_${version}_${arch}.deb
if [ ! -f "$deb" ]; then
    ls "$work"
    echo "FAIL: no $deb"
    exit 1
fi

# --- control data ---------------------------------------------------------------------
dpkg-deb --info "$deb"
field() { dpkg-deb --field "$deb" "$1"; }
# The package names of a relation field, without versions or alternatives.
names() { field "$1" | tr ',|' '\n' | sed 's/(.*//; s/[[:space:]]//g' | grep -v '^$'; }

while read -r name want; do
    got=$(field "$name")
    [ "$got" = "$want" ] || fail "$name is '$got', expected '$want'"
done <<EOF
Package ringvane
Version $version
Architecture $arch
Section comm
Priority optional
EOF
for name in Maintainer Description Installed-Size; do
    [ -n "$(field "$name")" ] || fail "no $name"
done

depends=$(names Depends)
recommends=$(names Recommends)
# Declared by hand (loaded at run time), then two that only the automatic scan finds.
for pkg in qt6-qpa-plugins unixodbc libsqliteodbc libc6 libqt6widgets6; do
    grep -qx "$pkg" <<<"$depends" || fail "Depends lacks $pkg"
done
for pkg in odbc-postgresql fonts-wqy-zenhei qt6-translations-l10n; do
    grep -qx "$pkg" <<<"$recommends" || fail "Recommends lacks $pkg"
    grep -qx "$pkg" <<<"$depends" && fail "$pkg is a recommendation, not a dependency"
done
# The ODBC layer loads libodbc itself; Qt's ODBC plugin is not needed.
grep -qx libqt6sql6-odbc <<<"$depends" && fail "Depends names libqt6sql6-odbc"

# --- files, owners and modes ----------------------------------------------------------
contents=$(dpkg-deb --contents "$deb")
echo "$contents"
paths=$(awk '{print $6}' <<<"$contents" | sed 's|^\./||')

for path in \
    usr/bin/ringvane usr/bin/ringvane-setup-calllog usr/bin/ringvane-find-modems \
    usr/bin/ringvane-calls usr/share/man/man1/ringvane-calls.1.gz \
    usr/bin/ringvane-contacts usr/share/man/man1/ringvane-contacts.1.gz \
    usr/libexec/ringvane/launch usr/lib/ringvane/modules/libringvane_numbers.so \
    usr/share/applications/ringvane.desktop \
    usr/share/icons/hicolor/scalable/apps/ringvane.svg \
    usr/share/metainfo/ringvane.metainfo.xml \
    usr/share/doc/ringvane/copyright usr/share/doc/ringvane/changelog.gz \
    usr/share/doc/ringvane/rr.htm \
    usr/share/man/man1/ringvane.1.gz usr/share/man/man1/ringvane-setup-calllog.1.gz \
    usr/share/man/man1/ringvane-find-modems.1.gz; do
    grep -qx "$path" <<<"$paths" || fail "not in the package: $path"
done

# What stays in the build tree: the line simulator, the skin generator, tests, libraries.
while read -r path; do
    case $path in
        usr/lib/ringvane/modules/libringvane_numbers.so) ;;
        *linesim* | *skingen* | *test_* | *bench_* | *fuzz_* | *.a | *.h | *.so | *.so.* | *.cmake)
            fail "should not be in the package: $path" ;;
        usr/ | usr/*) ;;
        *) fail "outside /usr: $path" ;;
    esac
done <<<"$paths"

while read -r mode owner _ _ _ path _; do
    path=${path#./}
    [ "$owner" = root/root ] || fail "$path belongs to $owner"
    case $mode:$path in
        d*) want=drwxr-xr-x ;;
        *:usr/bin/* | *:usr/libexec/*) want=-rwxr-xr-x ;;
        *) want=-rw-r--r-- ;;
    esac
    [ "$mode" = "$want" ] || fail "$path has mode $mode, expected $want"
done <<<"$contents"

# Every program has its manual page, and every manual page its program.
programs=$(sed -n 's|^usr/bin/||p' <<<"$paths" | grep -v '^$' | sort)
pages=$(sed -n 's|^usr/share/man/man1/\(.*\)\.1\.gz$|\1|p' <<<"$paths" | sort)
[ "$programs" = "$pages" ] ||
    fail "programs ($(tr '\n' ' ' <<<"$programs")) and manual pages ($(tr '\n' ' ' <<<"$pages")) differ"

# --- what the files hold --------------------------------------------------------------
root=$work/root
dpkg-deb -x "$deb" "$root"

entry=$root/usr/share/applications/ringvane.desktop
grep -qx 'Exec=/usr/libexec/ringvane/launch' "$entry" || fail "the menu entry does not start the launcher"
plain=$(dirname "$0")/../../shell/install/ringvane.desktop
diff <(grep -v '^Exec=' "$plain") <(grep -v '^Exec=' "$entry") >/dev/null ||
    fail "the packaged menu entry differs from the desktop file in more than its command"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$entry" || fail "desktop-file-validate refuses the menu entry"
fi
sh -n "$root/usr/libexec/ringvane/launch" || fail "the launcher is not a valid shell script"
# libphonenumber and the libraries behind it are loaded with the telephone-number module when
# the first number is read, not with the program: they would slow its start.
for program in "$root"/usr/bin/*; do
    if objdump -p "$program" | grep -q 'NEEDED.*libphonenumber'; then
        fail "$(basename "$program") loads libphonenumber at its start"
    fi
done
objdump -p "$root/usr/lib/ringvane/modules/libringvane_numbers.so" | grep -q 'NEEDED.*libphonenumber' ||
    fail "the telephone-number module does not name libphonenumber"

# The icon in every size a menu or an app grid asks for, each as large as its folder says
# (a PNG's width and height are at bytes 16-23), and the scalable one renders.
for size in 16 22 24 32 48 64 128 256; do
    got=$(od -An -tu1 -j16 -N8 "$root/usr/share/icons/hicolor/${size}x${size}/apps/ringvane.png" |
        awk '{print $3 * 256 + $4 "x" $7 * 256 + $8}')
    [ "$got" = "${size}x${size}" ] || fail "the ${size}x${size} icon is '$got'"
done
if command -v rsvg-convert >/dev/null; then
    rsvg-convert "$root/usr/share/icons/hicolor/scalable/apps/ringvane.svg" >/dev/null || fail "the SVG icon does not render"
fi
# Software centres: the metadata launches the packaged menu entry, states the copyright
# file's licence and this version, and appstreamcli finds no errors (warnings are shown).
metainfo=$root/usr/share/metainfo/ringvane.metainfo.xml
licence=$(sed -n 's/^License: *//p' "$root/usr/share/doc/ringvane/copyright" | head -1)
for want in '<launchable type="desktop-id">ringvane.desktop</launchable>' \
    "<project_license>LicenseRef-$licence</project_license>" "<release version=\"$version\""; do
    grep -qF "$want" "$metainfo" || fail "the metadata lacks $want"
done
if command -v appstreamcli >/dev/null; then
    verdict=$(appstreamcli validate --no-net --pedantic "$metainfo" 2>&1)
    echo "$verdict"
    grep -q '^E: ' <<<"$verdict" && fail "appstreamcli finds errors in the metadata"
fi

while read -r gz; do
    gzip -t "$gz" || fail "${gz#"$root"/} is not a sound gzip file"
    # gzip -n: no name and no time stamp, so that rebuilding gives the same bytes.
    [ "$(od -An -tx1 -j3 -N5 "$gz" | tr -d ' ')" = 0000000000 ] ||
        fail "${gz#"$root"/} carries a name or a time stamp"
done < <(find "$root" -name '*.gz')
zcat "$root/usr/share/doc/ringvane/changelog.gz" | head -1 | grep -q "^ringvane ($version) " ||
    fail "the changelog's latest entry is not for version $version"
head -1 "$root/usr/share/doc/ringvane/copyright" |
    grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "the copyright file is not in the machine-readable format"

for program in $programs; do
    binary=$root/usr/bin/$program
    if readelf -S "$binary" 2>/dev/null | grep -q '\.debug_info'; then
        fail "$program is not stripped"
    fi
    page=$root/usr/share/man/man1/$program.1.gz
    if command -v man >/dev/null; then
        warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
        [ -z "$warnings" ] || fail "the manual page of $program: $warnings"
    fi
    zcat "$page" | grep -q '@PROJECT_VERSION@' && fail "the manual page of $program has a placeholder left"
    # The stripped programs still start (the window itself is not opened here).
    if [ "$program" != ringvane ]; then
        "$binary" --help >/dev/null 2>&1 || fail "$program --help fails"
    fi
done

# --- lintian --------------------------------------------------------------------------
# Only information-level notes are accepted: stripping keeps the compiler's .comment note,
# and the hardening flags are the build's choice, not the package's.
if command -v lintian >/dev/null; then
    report=$(lintian --pedantic --display-info "$deb" 2>&1 | grep -v 'running with root privileges')
    echo "$report"
    if grep -Eq '^[EW]: ' <<<"$report"; then
        fail "lintian reports errors or warnings"
    fi
else
    echo "lintian is not installed; its checks are skipped"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
rm -rf "$root" "$work/_CPack_Packages"
echo "The package $deb is sound."
