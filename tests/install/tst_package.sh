#!/usr/bin/env bash
# Usage: tst_package.sh BUILD_DIR PROGRAM_FOLDER
# Builds the package from BUILD_DIR, unpacks it with dpkg -x and checks what an installation
# gives a school: the layout, the dependencies, the validators, where the installed program
# writes, that the installed zeptool draws like the built one, and the file type of topics.
set -euo pipefail
build_dir=$1
program_folder=$2

failures=0
check() { # check DESCRIPTION COMMAND...
    local description=$1
    shift
    if "$@"; then
        echo "PASS: $description"
    else
        echo "FAIL: $description"
        failures=$((failures + 1))
    fi
}

work=$(mktemp -d)
program_pid=
cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Packing: quietly unless it fails.
if ! (cd "$build_dir" && cpack -B "$work/package") >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    echo "FAIL: cpack"
    exit 1
fi
deb=$(ls "$work"/package/tallowmere_*.deb)
root=$work/root
dpkg-deb -x "$deb" "$root"
lib=$root/usr/lib/tallowmere

# Layout: the program folder below /usr/lib, relative links in /usr/bin, the marker of an
# installation, and stripped programs.
check "tallowmere links into the program folder" test "$(readlink "$root/usr/bin/tallowmere")" = ../lib/tallowmere/tallowmere
check "zeptool links into the program folder" test "$(readlink "$root/usr/bin/zeptool")" = ../lib/tallowmere/zeptool
for path in tallowmere zeptool module/libtallowmere-sound.so data/tallowq.png data/installiert sound/Richtig1.wav hilfe/index.html \
    euromuenzen/flagge-de.png euro-flaggen-alle.zep; do
    check "installed: $path" test -f "$lib/$path"
done
check "nothing compiled below /usr/share" bash -c "! find '$root/usr/share' -type f -exec file {} + | grep -q ELF"
check "programs are stripped" bash -c "file '$lib/tallowmere' '$lib/zeptool' | grep -c ', stripped' | grep -qx 2"
for size in 16 22 24 32 48 64 128 256; do
    check "icons at ${size}x${size}" test -f "$root/usr/share/icons/hicolor/${size}x${size}/apps/tallowmere.png" \
        -a -f "$root/usr/share/icons/hicolor/${size}x${size}/mimetypes/application-x-kestrova-topic.png"
done

# Dependencies: the libraries dpkg-shlibdeps found, and what is loaded at run time.
depends=$(dpkg-deb --field "$deb" Depends)
for package in libqt6widgets6 libqt6svg6 libqt6multimedia6 libpng16-16 libjpeg62-turbo libuemf0 qt6-translations-l10n \
    fonts-liberation2 xdg-utils; do
    check "depends on $package" grep -q "\\b$package\\b" <<<"$depends"
done

# Two menu entries: the program, and the topic editor (the program with --autor), which the
# program's entry also offers as an action.
applications=$root/usr/share/applications
for entry in de.kestrova.Tallowmere.desktop de.kestrova.Tallowmere.editor.desktop; do
    check "desktop-file-validate $entry" desktop-file-validate "$applications/$entry"
done
desktop_value() { # desktop_value FILE GROUP KEY: the key's value in that group
    awk -v group="[$2]" -v key="$3" '
        /^\[/ { inside = ($0 == group); next }
        inside && index($0, key "=") == 1 { print substr($0, length(key) + 2); exit }' "$1"
}
editor=$applications/de.kestrova.Tallowmere.editor.desktop
check "the editor's entry is named" test "$(desktop_value "$editor" 'Desktop Entry' Name)" = "Tallowmere Themen-Editor"
check "the editor's entry starts the program with --autor" \
    test "$(desktop_value "$editor" 'Desktop Entry' Exec)" = "tallowmere --autor %f"
check "the editor's entry opens topics" \
    test "$(desktop_value "$editor" 'Desktop Entry' MimeType)" = "application/x-kestrova-topic;"
main_entry=$applications/de.kestrova.Tallowmere.desktop
action=$(desktop_value "$main_entry" 'Desktop Entry' Actions)
action=${action%%;*}
check "the action opens a topic with the topic editor" \
    test "$(desktop_value "$main_entry" "Desktop Action $action" Name)" = "Mit Themen-Editor öffnen" \
    -a "$(desktop_value "$main_entry" "Desktop Action $action" Exec)" = "tallowmere --autor %f"
check "the software centre knows both entries" \
    test "$(grep -c '<launchable type="desktop-id">' "$root"/usr/share/metainfo/de.kestrova.Tallowmere.metainfo.xml)" = 2
# Asked for help on a server without a display, the installed program answers in German.
help_text=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/tallowmere" --help 2>&1) || help_text=
check "tallowmere --help without a display lists --autor" grep -q -- '--autor.*Autorenfunktionen' <<<"$help_text"
check "appstreamcli validate" appstreamcli validate --no-net --no-color \
    "$root"/usr/share/metainfo/de.kestrova.Tallowmere.metainfo.xml
check "lintian is installed" command -v lintian
lintian_errors() { lintian "$deb" 2>&1 | grep '^E:' || true; }
check "lintian finds no error" test -z "$(lintian_errors)"

# The installed program, started through its link by a user with an empty home, writes its
# folders into the user's data folder and nothing into the installation, even as root.
home=$work/home
export HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share XDG_CACHE_HOME=$home/.cache
data=$XDG_DATA_HOME/Kestrova/Tallowmere
(cd "$root" && find . | sort) >"$work/before"
QT_QPA_PLATFORM=offscreen "$root/usr/bin/tallowmere" >"$work/program.log" 2>&1 &
program_pid=$!
for _ in $(seq 100); do
    [ -d "$data/protokolle" ] && [ -d "$data/bestenlisten" ] && [ -d "$data/kom" ] && break
    sleep 0.2
done
check "protocols, lists and network folder in the user's data folder" \
    test -d "$data/protokolle" -a -d "$data/bestenlisten" -a -d "$data/kom"
sleep 1
check "the installed program keeps running" kill -0 "$program_pid"
kill "$program_pid" 2>/dev/null || true
wait "$program_pid" 2>/dev/null || true
program_pid=
(cd "$root" && find . | sort) >"$work/after"
check "nothing written below the installation" diff "$work/before" "$work/after"

# The installed zeptool is quiet on standard error without a session, and finds its quiz
# pictures through the link: its worksheet of the flag questions, which shows the flags, is the
# built zeptool's.
env -u XDG_RUNTIME_DIR -u QT_QPA_PLATFORM "$root/usr/bin/zeptool" render "$lib/euro-muenzaufbau.zep" \
    -o "$work/karte.png" 2>"$work/zeptool.err"
check "installed zeptool render draws the card" test -s "$work/karte.png"
check "installed zeptool render is quiet" test ! -s "$work/zeptool.err"
"$root/usr/bin/zeptool" arbeitsblatt "$lib/euro-flaggen-alle.zep" --ohne-datum -o "$work/installed.png"
"$program_folder/zeptool" arbeitsblatt "$lib/euro-flaggen-alle.zep" --ohne-datum -o "$work/built.png"
check "installed zeptool draws the flags as the built one" cmp -s "$work/installed.png" "$work/built.png"

# The file type, from the package's own MIME database and menu entry only.
share=$work/share
mkdir -p "$share/mime/packages" "$share/applications"
cp "$root"/usr/share/mime/packages/*.xml "$share/mime/packages/"
cp "$root"/usr/share/applications/*.desktop "$share/applications/"
update-mime-database "$share/mime"
update-desktop-database "$share/applications"
cp "$lib/euro-flaggen-alle.zep" "$work/Flaggen.zep"
cp "$lib/euro-flaggen-alle.zep" "$work/ohne-endung"
printf 'kein Thema' >"$work/kein-thema"
export XDG_DATA_DIRS=$share XDG_DATA_HOME=$work/empty
filetype() { xdg-mime query filetype "$1" 2>/dev/null; }
check "a .zep file is a topic" test "$(filetype "$work/Flaggen.zep")" = application/x-kestrova-topic
check "a topic without its extension is recognised by its content" \
    test "$(filetype "$work/ohne-endung")" = application/x-kestrova-topic
check "another file is not a topic" test "$(filetype "$work/kein-thema")" != application/x-kestrova-topic
check "topics open with the program" \
    test "$(xdg-mime query default application/x-kestrova-topic 2>/dev/null)" = de.kestrova.Tallowmere.desktop
check "the topic editor is offered for topics" \
    grep -q '^application/x-kestrova-topic=.*de\.kestrova\.Tallowmere\.editor\.desktop;' "$share/applications/mimeinfo.cache"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    [ -s "$work/program.log" ] && cat "$work/program.log"
    exit 1
fi
echo "all checks passed"
