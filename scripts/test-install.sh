#!/usr/bin/env bash
# Installs Muto into a scratch root as a package would, checks every installed file, validates
# the desktop entry, the metadata and the manual page, starts the installed program under Xvfb
# as a new user would (and without any home, where a message box must explain why it stops),
# then builds the Debian package and checks its contents and dependencies.
# Usage: scripts/test-install.sh [BUILD_DIR]   (default build-test, configured and built here)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-test}
scripts/install-deps.sh --with-tests
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j "$(nproc)" --target muto muto_pictures muto_icons muto_manual x11_tool

app_id=io.github.muto_instrument.Muto
root=$(mktemp -d /tmp/muto-install.XXXXXX)
passed=0
failed=0
check() {  # check NAME COMMAND...: runs a check, counts it, shows why it failed
    if "${@:2}" >"$root/check.log" 2>&1; then
        passed=$((passed + 1))
        echo "ok: $1"
    else
        failed=$((failed + 1))
        echo "FAIL: $1" >&2
        sed 's/^/    /' "$root/check.log" >&2
        # A program a failed check left running must not stand in for the next one's window.
        if [ -n "${MUTO_PID:-}" ]; then
            kill "$MUTO_PID" 2>/dev/null || true
            wait "$MUTO_PID" 2>/dev/null || true
            MUTO_PID=""
        fi
    fi
}

DESTDIR="$root/dest" cmake --install "$build" --prefix /usr >/dev/null
dest=$root/dest

# Every file the installation must hold, and nothing else outside the picture folder.
installed_list() {
    local want=(usr/bin/muto usr/share/applications/muto.desktop
        "usr/share/metainfo/$app_id.metainfo.xml" usr/share/man/man1/muto.1.gz
        usr/share/icons/hicolor/scalable/apps/muto.svg usr/share/doc/muto/copyright)
    for s in 16 32 48 64 128 256; do want+=("usr/share/icons/hicolor/${s}x${s}/apps/muto.png"); done
    for p in CKeyboard PKeyboard ControlPanel cmr s{1..7}r b{1..7}r; do
        want+=("usr/share/muto/$p.gif")
    done
    # Whatever the build drew into the program folder, subfolders included.
    while IFS= read -r f; do want+=("usr/share/muto/$f"); done \
        < <(cd "$build/bin" && find . -name '*.gif' -type f | sed 's|^\./||')
    diff <(printf '%s\n' "${want[@]}" | sort -u) <(cd "$1" && find . -type f | sed 's|^\./||' | sort)
}
check "installed files" installed_list "$dest"

icon_sizes() {
    for s in 16 32 48 64 128 256; do
        local got
        got=$(identify -format '%wx%h %m' "$dest/usr/share/icons/hicolor/${s}x${s}/apps/muto.png")
        [ "$got" = "${s}x${s} PNG" ] || { echo "${s}px icon is $got"; return 1; }
    done
    # The scalable icon is the same drawing as the PNGs.
    local svg=$dest/usr/share/icons/hicolor/scalable/apps/muto.svg
    for s in 16 48 256; do
        rsvg-convert -w "$s" -h "$s" "$svg" -o "$root/svg.png" || return 1
        local rmse
        rmse=$(compare -metric RMSE "$root/svg.png" \
            "$dest/usr/share/icons/hicolor/${s}x${s}/apps/muto.png" null: 2>&1 |
            sed 's/.*(\(.*\))/\1/')
        awk -v e="$rmse" 'BEGIN { exit !(e < 0.03) }' || { echo "SVG differs at ${s}px: $rmse"; return 1; }
    done
}
check "icon sizes" icon_sizes
check "desktop entry" desktop-file-validate "$dest/usr/share/applications/muto.desktop"
desktop_fields() {
    local f=$dest/usr/share/applications/muto.desktop
    grep -qx 'Name=무토' "$f" && grep -qx 'Name\[en\]=Muto' "$f" && grep -qx 'Exec=muto' "$f" &&
        grep -qx 'Icon=muto' "$f" && grep -qx 'Categories=AudioVideo;Audio;Midi;Music;' "$f" &&
        grep -q '^Comment\[ko\]=' "$f" && grep -q '^Comment=' "$f" && grep -q '^Keywords=' "$f"
}
check "desktop entry fields" desktop_fields
check "metadata" appstreamcli validate --no-net --pedantic \
    "$dest/usr/share/metainfo/$app_id.metainfo.xml"
# The metadata names the licence, and points at no address that does not exist yet.
metadata_fields() {
    local f=$dest/usr/share/metainfo/$app_id.metainfo.xml
    grep -qF '<project_license>GPL-3.0-or-later</project_license>' "$f" &&
        grep -qF '<metadata_license>CC0-1.0</metadata_license>' "$f" && ! grep -q 'localhost' "$f"
}
check "metadata licence" metadata_fields
manual() {
    local out err
    err=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$dest/usr/share/man/man1/muto.1.gz" \
        2>&1 >"$root/manual.txt")
    [ -z "$err" ] || { echo "$err"; return 1; }
    out=$(cat "$root/manual.txt")
    for s in --midi-out --soundfont --program-dir --help --version 'wav:' 'log:' 'alsa:' \
        XDG_DATA_HOME config.ini /usr/share/muto 'EXIT STATUS' 'Rtcode'; do
        grep -qF -- "$s" <<<"$out" || { echo "manual lacks $s"; return 1; }
    done
}
check "manual page" manual

# The installed program, run by a user who has no data folder yet.
MUTO=$dest/usr/bin/muto
X11_TOOL=$build/bin/x11_tool
PROGRAM_DIR=unused
SHOTS=${SHOTS:-$PWD/$build/shots}
source tests/e2e/lib.sh
trap 'cleanup; rm -rf "$root"' EXIT
start_xvfb
first_start() {
    local home=$root/home data=$root/xdg
    mkdir -p "$home"
    HOME=$home XDG_DATA_HOME=$data "$MUTO" --midi-out "log:$WORK/midi.log" >"$WORK/muto.out" 2>&1 &
    MUTO_PID=$!
    WID=$(timeout 20 xdotool search --sync --onlyvisible --name '^무토$' | head -n1) ||
        { cat "$WORK/muto.out"; return 1; }
    wait_lines 4
    screenshot installed-first-start
    # The data folder holds exactly the installed pictures.
    diff -r "$dest/usr/share/muto" "$data/muto" || return 1
    close_window
}
check "installed program fills a new data folder and plays" first_start

# failure_box ENV...: without a program folder a box titled 무토 explains, the program ends with 1.
failure_box() {
    env -u HOME -u XDG_DATA_HOME "$@" "$MUTO" --midi-out "log:$WORK/fail.log" >"$WORK/muto.out" 2>&1 &
    MUTO_PID=$!
    local box rc=0
    box=$(timeout 20 xdotool search --sync --onlyvisible --name '^무토$' | head -n1) ||
        { cat "$WORK/muto.out"; return 1; }
    grep -q 'program folder' "$WORK/muto.out" || { cat "$WORK/muto.out"; return 1; }
    # A box, not the main window: small, and the MIDI output was never opened.
    local h
    h=$(xdotool getwindowgeometry "$box" | sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p')
    [ "$h" -lt 400 ] || { echo "window of height $h is not a message box"; return 1; }
    [ ! -e "$WORK/fail.log" ] || { echo "the MIDI output was opened"; return 1; }
    screenshot "failure-box-$#"
    xdotool windowfocus --sync "$box" key Return
    wait_exit || rc=$?
    [ "$rc" -eq 1 ] || { echo "exit code $rc"; return 1; }
}
check "no home: message box, exit 1" failure_box
touch "$root/a-file"
check "data folder cannot be made: message box, exit 1" failure_box XDG_DATA_HOME="$root/a-file"

# The Debian package: what it carries and what it needs.
rm -f "$build"/muto_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/muto_*.deb)
echo "package: $deb"
dpkg-deb -c "$deb"
dpkg-deb -f "$deb" Package Version Architecture Depends Recommends
package_contents() {
    mkdir -p "$root/deb"
    dpkg-deb -x "$deb" "$root/deb"
    installed_list "$root/deb"
}
check "package contents" package_contents
package_fields() {
    local depends recommends
    depends=$(dpkg-deb -f "$deb" Depends)
    recommends=$(dpkg-deb -f "$deb" Recommends)
    for lib in libc6 libstdc++6 libqt6widgets6 libqt6gui6 libqt6core6 libfluidsynth3 libx11-6 \
        qt6-translations-l10n; do
        grep -q "\b$lib\b" <<<"$depends" || { echo "Depends lacks $lib: $depends"; return 1; }
    done
    [ "$recommends" = "timgm6mb-soundfont | fluid-soundfont-gm, fonts-nanum" ] ||
        { echo "Recommends: $recommends"; return 1; }
}
check "package dependencies" package_fields
package_licence() {
    local maintainer
    maintainer=$(dpkg-deb -f "$deb" Maintainer)
    ! grep -q localhost <<<"$maintainer" || { echo "Maintainer: $maintainer"; return 1; }
    grep -qx 'License: GPL-3+' "$root/deb/usr/share/doc/muto/copyright"
}
check "package licence" package_licence

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
