#!/bin/bash
# Installs a build into a temporary root that the user running the programs
# cannot write (as root the programs run as nobody; any other user gets the
# tree without write permission), runs the headless session through the
# installed helm32 from the PATH and checks that every step passed, that the
# installed tree was left exactly as installed and that the user's own tree
# holds what the programs wrote.
# Usage: installed_session.sh <build folder>
#        installed_session.sh --deb <package file>   (the package unpacked)
set -euo pipefail

# As root the programs run as nobody, who must reach the temporary root:
# under /tmp, whatever TMPDIR says.
if [ "$(id -u)" -eq 0 ]; then
    work="$(mktemp -d -p /tmp)"
else
    work="$(mktemp -d)"
fi
cleanup() {
    chmod -R u+w "$work" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
chmod 755 "$work"
fail() {
    echo "FAIL: $*"
    exit 1
}

prefix="$work/usr"
if [ "$1" = "--deb" ]; then
    dpkg-deb -x "$2" "$work" || fail "dpkg-deb -x $2"
elif ! cmake --install "$1" --prefix "$prefix" >"$work/install.log" 2>&1; then
    cat "$work/install.log"
    fail "cmake --install into $prefix"
fi

tree="$prefix/lib/kestrel/OPSHELM32/30000"
for f in bin/helm32 bin/kestrel \
    share/applications/net.opshelm.helm32.desktop \
    share/metainfo/net.opshelm.helm32.metainfo.xml \
    share/icons/hicolor/scalable/apps/net.opshelm.helm32.svg \
    lib/kestrel/OPSHELM32/30000/SHARED.TXT \
    lib/kestrel/OPSHELM32/30000/HELM32/helm32 \
    lib/kestrel/OPSHELM32/30000/HELM32/DATABASE/Common.LNG \
    lib/kestrel/OPSHELM32/30000/HELM32/DATABASE/Register.mdb \
    lib/kestrel/OPSHELM32/30000/HELM32/DATABASE/Exchange.seed \
    lib/kestrel/OPSHELM32/30000/HELM32/DATABASE/LANGUAGES/DE/Common.LNG \
    lib/kestrel/OPSHELM32/30000/ADDINS/kestrel \
    lib/kestrel/OPSHELM32/30000/ADDINS/DATABASE/Kestrel.lng \
    lib/kestrel/OPSHELM32/30000/ADDINS/DATABASE/KESTREL.MDB \
    lib/kestrel/OPSHELM32/30000/ADDINS/DATABASE/Serial.MDB \
    lib/kestrel/OPSHELM32/30000/ADDINS/DATABASE/LANGUAGES/DE/Kestrel.lng \
    lib/kestrel/OPSHELM32/30000/ADDINS/HELP/kestrel.hlp \
    lib/kestrel/OPSHELM32/30000/ADDINS/REPORT/kestrel.rpt \
    lib/kestrel/OPSHELM32/30000/BACKGRND/window.png; do
    [ -e "$prefix/$f" ] || fail "the install lacks $f"
done
# What running the programs from the build leaves there is not installed.
leftovers="$(find "$tree" -name 'KESTREL[0-9]*.MDB' -o -name EXCHANGE -o -name REPORTS \
    -o -name '*-journal')"
[ -z "$leftovers" ] || fail "the install holds files of a run: $leftovers"

# The user the programs run as, with a home and runtime folder of their own.
home="$work/home"
runtime="$work/runtime"
session="$work/session"
temp="$work/tmp"
mkdir -p "$home" "$session" "$temp"
mkdir -m 700 "$runtime"
as=()
if [ "$(id -u)" -eq 0 ]; then
    chown -R 65534:65534 "$home" "$runtime" "$session" "$temp"
    as=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
fi
chmod -R a-w "$prefix"
snapshot() { (cd "$prefix" && find . -printf '%p %y %s %m %T@\n' | sort); }
snapshot >"$work/before"

# Runs a command as that user, in that home, with the install on the PATH.
as_user() {
    "${as[@]}" env -u XDG_CONFIG_HOME -u XDG_DATA_HOME -u DISPLAY -u WAYLAND_DISPLAY \
        HOME="$home" XDG_RUNTIME_DIR="$runtime" TMPDIR="$temp" PATH="$prefix/bin:$PATH" \
        QT_QPA_PLATFORM=offscreen "$@"
}

status=0
as_user HELM32_SESSION="$session" timeout 120 helm32 PBX1 >"$work/session.log" 2>&1 ||
    status=$?
cat "$work/session.log"
[ "$status" -eq 0 ] || fail "the installed helm32 ended with status $status"
passed="$(grep -c '^PASS ' "$work/session.log" || true)"
[ "$passed" -ge 7 ] || fail "only $passed steps passed"
! grep -q '^FAIL ' "$work/session.log" || fail "a step failed"
grep -qx 'Every step did what it should.' "$work/session.log" || fail "the session did not end"

snapshot >"$work/after"
diff "$work/before" "$work/after" || fail "the helm32 session changed the installed tree"

# Without the marker a tree the user cannot write is shared all the same:
# the add-in started by itself from the PATH works in the same user's tree.
chmod u+w "$tree"
rm "$tree/SHARED.TXT"
chmod a-w "$tree"
snapshot >"$work/before"
counter() {
    sqlite3 "$home/.local/share/OPSHELM32/30000/ADDINS/DATABASE/Serial.MDB" \
        "SELECT SerialCounter FROM SerialTable WHERE Addin = 'KESTREL'"
}
before="$(counter)"
status=0
as_user KESTREL_SCREENSHOT="$session/kestrel.png" timeout 60 kestrel PBX2 \
    >"$work/standalone.log" 2>&1 || status=$?
[ "$status" -eq 0 ] && [ -s "$session/kestrel.png" ] || {
    cat "$work/standalone.log"
    fail "the installed kestrel PBX2 ended with status $status and no picture"
}
snapshot >"$work/after"
diff "$work/before" "$work/after" || fail "the standalone add-in changed the installed tree"
[ "$(counter)" -eq $(((before + 1) % 10000)) ] ||
    fail "the standalone add-in did not number its working copy in the user's tree"

# A user whose tree cannot be made is told why, and the start ends.
status=0
as_user HOME=/nonexistent HELM32_SESSION="$session" timeout 60 helm32 PBX1 \
    >"$work/nohome.log" 2>&1 || status=$?
[ "$status" -eq 1 ] && grep -q "System Fatal Notice: This user's runtime tree could not be made: \
cannot make the folder '/nonexistent/" "$work/nohome.log" || {
    cat "$work/nohome.log"
    fail "a user without a home: status $status"
}

# The user's own tree: the databases written in place are the user's
# copies, everything else leads into the installed tree.
own="$home/.local/share/OPSHELM32/30000"
for f in ADDINS/DATABASE/Serial.MDB HELM32/DATABASE/Register.mdb; do
    [ -f "$own/$f" ] && [ ! -L "$own/$f" ] || fail "$f is not the user's own copy"
done
for f in ADDINS/DATABASE/KESTREL.MDB ADDINS/DATABASE/Kestrel.lng ADDINS/HELP BACKGRND \
    HELM32/DATABASE/Common.LNG; do
    [ "$(readlink "$own/$f")" = "$tree/$f" ] || fail "$f does not lead into the installed tree"
done
[ -f "$own/HELM32/DATABASE/EXCHANGE/PBX1.pbx" ] || fail "no exchange file in the user's tree"
ls "$own"/HELM32/REPORTS/*.pdf >/dev/null 2>&1 || fail "no report in the user's tree"
[ -z "$(find "$own/ADDINS/DATABASE" -name 'KESTREL[0-9]*.MDB')" ] ||
    fail "a working copy was left behind"
# The copies the session made are in the user's journal.
[ -s "$home/.local/share/Kestrel/journal.db" ] || fail "no journal in the user's data folder"
echo "PASS the installed tree ran read-only, the user's tree holds what was written"
