#!/usr/bin/env bash
# Installs a build folder into a scratch prefix and checks what a user and the desktop get:
# the program reachable from bin/ and the menu entry, its data files in share/, a support.ini
# that names the installed manual and no mail address, valid desktop and AppStream files, a
# menu entry that takes files of the types the program plays, the man page; then runs the
# installed program, which must keep its settings and recording in the (scratch) user's
# folders although root could write its own folder.
# install_layout_test.sh <build folder>
set -euo pipefail
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
expect_file() {
    [ -f "$prefix/$1" ] || fail "missing $1"
}

cmake --install "$build" --prefix "$prefix" >/dev/null

[ -L "$prefix/bin/korvanta-recorder" ] || fail "bin/korvanta-recorder is not a link"
[ -x "$prefix/bin/korvanta-recorder" ] || fail "bin/korvanta-recorder does not run"
expect_file lib/korvanta-recorder/korvanta-recorder
expect_file lib/korvanta-recorder/modules/korvanta-ffmpeg.so
expect_file lib/korvanta-recorder/modules/korvanta-tags.so
for f in tips.txt tips_de.txt support.ini manual/index.html manual/manual.css manual/de/index.html \
    translations/korvanta_de.qm; do
    expect_file "share/korvanta-recorder/$f"
done
for size in 16 32 48 64 128 256; do
    expect_file "share/icons/hicolor/${size}x${size}/apps/korvanta-recorder.png"
done
expect_file share/icons/hicolor/scalable/apps/korvanta-recorder.svg
expect_file share/man/man1/korvanta-recorder.1.gz
expect_file share/doc/korvanta-recorder/copyright
expect_file share/doc/korvanta-recorder/changelog.gz
# Nothing beside the program but the program and its modules.
extra=$(ls "$prefix/lib/korvanta-recorder" | grep -v -x -e korvanta-recorder -e modules || true)
[ -z "$extra" ] || fail "unexpected files beside the program: $extra"
# Every picture the manual shows is installed with it (a sanitizer build takes none).
if [ -d "$prefix/share/korvanta-recorder/manual/images" ]; then
    for img in $(grep -o 'images/[a-z-]*\.png' "$prefix/share/korvanta-recorder/manual/index.html" | sort -u); do
        expect_file "share/korvanta-recorder/manual/$img"
    done
fi

support=$prefix/share/korvanta-recorder/support.ini
grep -qx "homepage=file://$prefix/share/korvanta-recorder/manual/index.html" "$support" ||
    fail "support.ini does not name the installed manual: $(cat "$support")"
grep -qx "email=" "$support" || fail "support.ini has a mail address"

desktop=$prefix/share/applications/korvanta-recorder.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate"
grep -qx "Exec=$prefix/bin/korvanta-recorder %F" "$desktop" || fail "Exec line: $(grep ^Exec= "$desktop")"
grep -qx "TryExec=$prefix/bin/korvanta-recorder" "$desktop" || fail "TryExec line: $(grep ^TryExec "$desktop")"
# "Open with" offers the program for what it plays: the desktop database, as a package's
# install builds it, lists the entry for each of these types.
update-desktop-database "$prefix/share/applications" || fail "update-desktop-database"
for type in audio/mpeg audio/x-wav audio/flac audio/ogg audio/x-vorbis+ogg audio/x-opus+ogg \
    audio/x-ms-wma audio/x-musepack audio/mp4 audio/aac audio/x-aiff; do
    grep -q "^$type=.*korvanta-recorder.desktop" "$prefix/share/applications/mimeinfo.cache" ||
        fail "the desktop database does not offer the program for $type"
done
grep -q "^Comment\[de\]=" "$desktop" || fail "desktop entry has no German comment"
metainfo=$(ls "$prefix"/share/metainfo/*.metainfo.xml)
appstreamcli validate --no-net "$metainfo" >/dev/null || fail "appstreamcli validate"
grep -q "korvanta-recorder.desktop" "$metainfo" || fail "metainfo does not name the desktop entry"
man_warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l \
    "$prefix/share/man/man1/korvanta-recorder.1.gz" 2>&1 >/dev/null || true)
[ -z "$man_warnings" ] || fail "man page: $man_warnings"
man_text=$(zcat "$prefix/share/man/man1/korvanta-recorder.1.gz" | sed 's/\\-/-/g')
for topic in --help --version KORVANTA_AUDIO PULSE_SERVER setup.ini Music/Recordings; do
    grep -q -- "$topic" <<<"$man_text" || fail "man page does not mention $topic"
done

[ "$("$prefix/bin/korvanta-recorder" --version)" = "korvanta-recorder 3.3.3" ] ||
    fail "--version"

# The installed program, run for a short recording in a scratch home.
home=$scratch/home
mkdir -p "$home"
env -u XDG_CONFIG_HOME -u XDG_MUSIC_DIR -u XDG_DATA_HOME HOME="$home" \
    QT_QPA_PLATFORM=offscreen KORVANTA_AUDIO=virtual KORVANTA_RECORD_AND_CLOSE=1 \
    timeout 60 "$prefix/bin/korvanta-recorder" >"$scratch/run.log" 2>&1 ||
    fail "the installed program failed: $(cat "$scratch/run.log")"
[ -s "$home/Music/Recordings/Untitled1.mp3" ] || fail "no recording in ~/Music/Recordings"
grep -q '^timelimit=' "$home/.config/korvanta-recorder/setup.ini" 2>/dev/null ||
    fail "no timelimit in ~/.config/korvanta-recorder/setup.ini"
# A FLAC recording needs the FFmpeg module: the installed program loads the installed one
# (not the build folder's, which it would also find).
flac_home=$scratch/flac-home
mkdir -p "$flac_home/.config/korvanta-recorder"
printf '[options]\nsaveformat=.flac\n' >"$flac_home/.config/korvanta-recorder/setup.ini"
env -u XDG_CONFIG_HOME -u XDG_MUSIC_DIR -u XDG_DATA_HOME HOME="$flac_home" LD_DEBUG=files \
    QT_QPA_PLATFORM=offscreen KORVANTA_AUDIO=virtual KORVANTA_RECORD_AND_CLOSE=1 \
    timeout 60 "$prefix/bin/korvanta-recorder" >"$scratch/flac.log" 2>&1 ||
    fail "the installed program failed to record FLAC: $(grep -v '^ *[0-9]*:' "$scratch/flac.log")"
[ -s "$flac_home/Music/Recordings/Untitled1.flac" ] || fail "no FLAC recording"
grep -q "file=$prefix/lib/korvanta-recorder/modules/korvanta-ffmpeg.so" "$scratch/flac.log" ||
    fail "the installed program did not load its installed FFmpeg module"
[ ! -e "$prefix/lib/korvanta-recorder/setup.ini" ] || fail "setup.ini written beside the program"
[ ! -e "$prefix/lib/korvanta-recorder/Recording" ] || fail "Recording/ made beside the program"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "install layout: all checks passed"
