#!/usr/bin/env bash
# Makes the Debian package from the build folder given, holds it to Debian's
# policy with lintian, unpacks it into a scratch root and checks that the
# program, its desktop files and icons are there and valid, that it declares
# what it needs, that its version is the one given (project()'s) and the
# newest entry of its changelog and of its AppStream releases, and that the
# installed program answers --version with it from anywhere, with no display.
# Usage: package.sh BUILD-DIR VERSION
set -euo pipefail
build=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work/out" >/dev/null)
deb=$(ls "$work"/out/vantrel_*.deb)
lintian --fail-on error,warning "$deb"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in lame libqt6widgets6 libavcodec libavformat; do
    grep -q "$needed" <<<"$depends" || { echo "Depends lacks $needed: $depends"; exit 1; }
done

dpkg -x "$deb" "$work/root"
root=$work/root
for file in usr/bin/vantrel usr/bin/vantrel-cli usr/share/applications/vantrel.desktop \
        usr/share/metainfo/example.vantrel.Vantrel.metainfo.xml; do
    [ -f "$root/$file" ] || { echo "missing $file"; exit 1; }
done
for size in 16 24 32 48 64 128 256; do
    icon=$root/usr/share/icons/hicolor/${size}x${size}/apps/vantrel.png
    [ "$(file -b "$icon" | grep -o "$size x $size")" = "$size x $size" ] || { echo "bad icon $icon"; exit 1; }
done
desktop-file-validate "$root/usr/share/applications/vantrel.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/example.vantrel.Vantrel.metainfo.xml" >/dev/null
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || { echo "the package's version is not $version"; exit 1; }
changelog=$(zcat "$root/usr/share/doc/vantrel/changelog.gz" | dpkg-parsechangelog -l - -S Version)
[ "$changelog" = "$version" ] || { echo "the changelog's last entry is $changelog, not $version"; exit 1; }
# AppStream lists releases newest first.
release=$(sed -n 's/.*<release .*version="\([^"]*\)".*/\1/p' "$root/usr/share/metainfo/example.vantrel.Vantrel.metainfo.xml" |
    head -n 1)
[ "$release" = "$version" ] || { echo "the AppStream data's newest release is $release, not $version"; exit 1; }
(cd / && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/vantrel" --version) | grep -qxF "Vantrel $version"
echo "package ok: $(basename "$deb")"
