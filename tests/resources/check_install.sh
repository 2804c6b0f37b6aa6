#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The install tree as a desktop and a software centre see it, and the project's version as the
# Windows and AppStream records made from it carry it. One check per mode, so that CTest names what failed:
#   check_install.sh MODE CMAKE BUILD_DIR ROOT VERSION [PROBE]
set -eu
mode=$1 cmake=$2 build=$3 root=$4 version=$5 probe=${6:-}
# validate-tree expects a file-system root, so the prefix is <root>/usr.
prefix=$root/usr
share=$prefix/share
id=bg.varnelo.Varnelo

fail() {
    echo "$*" >&2
    exit 1
}
need() {
    command -v "$1" >/dev/null || fail "$1 not found (package $2; scripts/setup installs it)"
}

case $mode in
install)
    # Emptied first, so that a file left by an earlier run cannot hide one no longer installed.
    rm -rf "$root"
    "$cmake" --install "$build" --prefix "$prefix"
    ;;
layout)
    need file file
    file -b "$prefix/bin/varnelo" | grep -q '^ELF .*executable' || fail "no program in $prefix/bin"
    # A theme finds an icon by its folder's name, so each PNG must have the size its folder claims.
    for size in 16 24 32 48 64 128 256; do
        png=$share/icons/hicolor/${size}x$size/apps/$id.png
        file -b "$png" | grep -q "^PNG image data, $size x $size," || fail "$png is not a $size px PNG"
    done
    svg=$share/icons/hicolor/scalable/apps/$id.svg
    grep -q '<svg ' "$svg" || fail "$svg is not an SVG image"
    # The teachers' guide goes where Debian keeps a package's documents.
    [ -s "$share/doc/varnelo/README.bg.md" ] || fail "no README.bg.md in $share/doc/varnelo"
    ;;
desktop)
    need desktop-file-validate desktop-file-utils
    entry=$share/applications/$id.desktop
    [ -f "$entry" ] || fail "missing $entry"
    # Hints pass: the entry is listed under both Education and Science on purpose, and the validator
    # hints that it may then show twice in a menu. Errors and warnings do not.
    report=$(desktop-file-validate "$entry" 2>&1) || fail "$report"
    echo "$report"
    ! echo "$report" | grep -q ': warning: ' || fail "desktop-file-validate warns about $entry"
    # The validator cannot know what the entry points at.
    program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
    [ -x "$prefix/bin/$program" ] || fail "Exec=$program names no installed program"
    icon=$(sed -n 's/^Icon=//p' "$entry")
    [ -f "$share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "Icon=$icon names no theme icon"
    ;;
metainfo)
    need appstreamcli appstream
    # Strictly: a missing content rating, for one, is otherwise only an info. The tree check also
    # ties the id to the file's name and looks for the desktop entry that the metainfo launches.
    metainfo=$share/metainfo/$id.metainfo.xml
    appstreamcli validate --no-net --strict "$metainfo"
    appstreamcli validate-tree --no-net --strict "$root"
    # The developer element is written for this AppStream's version; the build leaves the other
    # version's form beside it, and a validator that passes that one as well could not tell.
    other=$build/resources/$id.metainfo.other.xml
    [ -f "$other" ] || fail "missing $other"
    if appstreamcli validate --no-net --strict "$other" >/dev/null 2>&1; then
        fail "$other passes too: the developer element is not what this AppStream tells apart"
    fi
    # Neither validator looks for the program that the metainfo provides.
    binary=$(sed -n 's|.*<binary>\(.*\)</binary>.*|\1|p' "$metainfo")
    [ -x "$prefix/bin/$binary" ] || fail "<binary>$binary</binary> names no installed program"
    ;;
versions)
    need file file
    # Both records are made from project(VERSION); 1.00 is 1,0,0,0.
    numeric=$(echo "$version.0.0.0" | awk -F. '{ printf "%d,%d,%d,%d", $1, $2, $3, $4 }')
    rc=$build/resources/varnelo.rc
    for key in FILEVERSION PRODUCTVERSION; do
        grep -Eq "^$key +$numeric\$" "$rc" || fail "$rc: $key is not $numeric"
    done
    for key in FileVersion ProductVersion; do
        grep -Eq "VALUE +\"$key\", +\"$version\"" "$rc" || fail "$rc: $key is not \"$version\""
    done
    # Windows shows no string block whose language and code page differ from the Translation value,
    # and silently no icon that is not a real .ico.
    block=$(sed -n 's/.*BLOCK "\([0-9a-fA-F]\{8\}\)".*/\1/p' "$rc")
    translation=$(sed -n 's/.*"Translation", *\([0-9a-fx]*\), *\([0-9a-fx]*\).*/\1 \2/p' "$rc")
    # shellcheck disable=SC2086
    [ "$(printf '%04x%04x' $translation)" = "$block" ] || fail "$rc: Translation is not $block"
    icon=$(sed -n 's/.* ICON "\(.*\)"/\1/p' "$rc")
    file -b "$icon" | grep -q '^MS Windows icon' || fail "$rc: $icon is no .ico"
    metainfo=$share/metainfo/$id.metainfo.xml
    release=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$metainfo" | head -n 1)
    [ "$release" = "$version" ] || fail "$metainfo: newest release is $release, not $version"
    ;;
starts)
    # The probe (shownprobe.cpp) ends the program once the event loop runs, with 0 if a window is up;
    # without it the program would wait for its user, so a time limit ends that as a failure.
    [ -f "$probe" ] || fail "no probe at $probe"
    status=0
    # Under the sanitizers the probe is loaded ahead of their runtime, which they allow only when told.
    said=$(timeout 300 env LD_PRELOAD="$probe" QT_QPA_PLATFORM=offscreen \
        ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0" "$prefix/bin/varnelo" 2>&1) || status=$?
    echo "$said"
    [ $status -eq 0 ] || fail "$prefix/bin/varnelo ended with status $status"
    echo "$said" | grep -q '^shown on offscreen: ' || fail "$prefix/bin/varnelo showed no window"
    ;;
*)
    fail "unknown mode $mode"
    ;;
esac
