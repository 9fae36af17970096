#!/usr/bin/env bash
# The Debian package as the desktop and the package tools see it: lintian finds no error (its
# warnings are printed), the menu entry and the software-centre metadata validate, every command
# has a manual page that formats without a warning, the changelog and the metadata name the
# package's version, and the package unpacked into a root starts the game from its launcher with
# every model loaded. Usage: package_test.sh PACKAGE.deb DATA_DIR
. "$(dirname "$0")/lib.sh"
deb=$1 data=$2
id=org.vantorsprint.VantorSprint

lintian --pedantic "$deb" >"$scratch/lintian.log" 2>&1 || true
grep -v '^running with root' "$scratch/lintian.log" || true
grep -q '^E:' "$scratch/lintian.log" && fail "lintian reports errors"

root=$scratch/root
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "the desktop entry does not validate"
command=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/$id.desktop")
[ -x "$root$command" ] || fail "the menu entry starts $command, which the package does not hold"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" >"$scratch/appstream.log" 2>&1 ||
    fail "the metadata does not validate: $(cat "$scratch/appstream.log")"
for size in 16 22 24 32 48 64 128 256; do
    [ "$(identify -format '%wx%h' "$root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png")" = "${size}x${size}" ] ||
        fail "no ${size}x${size} icon"
done

for page in man6/vantor-sprint.6 man1/vantor-model-check.1 man1/vantor-model-import.1 man1/vantor-model-view.1; do
    file=$root/usr/share/man/$page.gz
    gzip -t "$file" || fail "$page is not compressed"
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$page: $warnings"
done

version=$(dpkg-deb -f "$deb" Version)
[ "$(zcat "$root/usr/share/doc/vantor-sprint/changelog.gz" | dpkg-parsechangelog -l - -S Version)" = "$version" ] ||
    fail "the changelog's last entry is not version $version"
grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/$id.metainfo.xml" ||
    fail "the metadata has no release $version"

# The game where Debian puts games, the tools with the other commands.
"$(dirname "$0")/install_test.sh" "$deb" "$data" bin games libexec/vantor-sprint share/games/vantor-sprint
