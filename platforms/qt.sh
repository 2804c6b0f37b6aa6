# Sourced after recipe.sh and system.sh by the platforms that bundle a Qt of their own (Windows, the
# browser) and by their builds, from the clone's top.
#   qt_system                       $recipe_root: the Debian 13 system they build in, with the packages
#                                   below; laid afresh when Debian 13 has a newer qt6-base or compiler
#   qt_open PLATFORM COMPILERS FILE...
#                                   for platforms/PLATFORM/build-qt: $qt_version, the qt6-base in
#                                   qt_system, and the recipe qt-PLATFORM opened under a key from that
#                                   version, the versions of the COMPILERS (packages), this file, the
#                                   platform's build-qt, options, feature lists and patches, and the
#                                   FILEs; $qt_work is empty when it is complete. Otherwise Qt's source, with
#                                   Debian's patches and ours, is in $qt_work/src, and $qt_features
#                                   lists the features to switch off, each checked against that source.
#                                   With VARNELO_QT_KEY=print, it prints the key and ends the script.
#   qt_finish                       builds and installs what the platform configured in $qt_work/build

qt_packages="make,ca-certificates,cmake,ninja-build,dpkg-dev,patch,ccache,python3,qt6-base-dev,qt6-base-dev-tools,\
qt6-translations-l10n,qt6-l10n-tools,g++-mingw-w64-x86-64-posix,mingw-w64-x86-64-dev,nsis,emscripten,nodejs,\
fonts-liberation,fonttools,zip,brotli"
# What goes into the downloads: a security release of any of these lays the system afresh.
qt_shipped="qt6-base-dev emscripten g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev nsis"

qt_system() {
    recipe_archive
    _newest=""
    for _p in $qt_shipped; do
        _newest="$_newest $_p=$(recipe_newest "$_p")"
    done
    recipe_system debian13-build trixie amd64 "$qt_packages" "$_newest"
}

qt_open() {
    _platform=platforms/$1 _name=qt-$1 _compilers=$2
    shift 2
    qt_system
    qt_version=$(recipe_in "$recipe_root" dpkg-query -W -f '${Version}' qt6-base-dev)
    # Our patches are made for this release; a new one needs them looked at again.
    case $qt_version in
        6.8.2+*) ;;
        *) recipe_fail "Debian 13's Qt is now $qt_version; the patches in platforms/ are for 6.8.2" ;;
    esac
    # shellcheck disable=SC2086
    _compilers=$(recipe_in "$recipe_root" dpkg-query -W $_compilers | tr '\t\n' '= ')
    _patches=$(for _p in platforms/qt-*.patch "$_platform"/qt-*.patch; do [ ! -f "$_p" ] || echo "$_p"; done)
    _lists=$(for _l in platforms/qt-features "$_platform"/qt-features; do [ ! -f "$_l" ] || echo "$_l"; done)
    # shellcheck disable=SC2086
    _key=$(recipe_key "qt6-base $qt_version $_compilers" platforms/qt.sh "$_platform"/build-qt \
        "$_platform"/qt-options.cmake $_lists $_patches "$@")
    # VARNELO_QT_KEY=print: the key, and nothing built.
    [ "${VARNELO_QT_KEY:-}" != print ] || { echo "$_key"; exit 0; }
    recipe_open "$_name" "$_key"
    qt_work=""
    ! recipe_is_complete || return 0
    qt_work=$recipe_dir/.work
    echo "build-qt: Qt $qt_version for ${_platform#platforms/} into $recipe_dir (once; about half an hour on two cores)" >&2
    rm -rf --one-file-system "$recipe_dir"
    mkdir -p "$qt_work" "$recipe_cache/sources"
    # Debian's source, with Debian's patches applied (the tree its own Qt is built from), then ours.
    # shellcheck disable=SC2086
    (cd "$recipe_cache/sources" && flock .lock apt-get $recipe_apt source --download-only "qt6-base=$qt_version") ||
        recipe_fail "cannot fetch the source of qt6-base $qt_version"
    recipe_step "$recipe_dir/.logs/source.log" dpkg-source -x "$recipe_cache/sources/qt6-base_${qt_version#*:}.dsc" "$qt_work/src"
    for _p in $_patches; do
        recipe_step "$recipe_dir/.logs/patch.log" patch -d "$qt_work/src" -p1 --forward -i "$recipe_src/$_p"
    done
    # Qt ignores a feature it does not know: a misspelt line would silently leave the feature on.
    _known=$(find "$qt_work/src" -name configure.cmake -exec sed -n 's/^[[:space:]]*qt_feature("\([^"]*\)".*/\1/p' {} + | sort -u)
    qt_features=""
    # shellcheck disable=SC2086
    for _feature in $(sed -e 's/#.*//' $_lists); do
        echo "$_known" | grep -qxF "$_feature" || recipe_fail "Qt $qt_version has no feature '$_feature' (in $_lists)"
        qt_features="$qt_features $_feature"
    done
}

qt_finish() {
    recipe_step "$recipe_dir/.logs/build.log" recipe_in "$recipe_root" env EMSDK="$recipe_dir/emsdk" \
        nice cmake --build "$qt_work/build" --parallel "$(recipe_jobs)"
    recipe_step "$recipe_dir/.logs/install.log" recipe_in "$recipe_root" cmake --install "$qt_work/build"
    rm -rf --one-file-system "$qt_work"
    echo "$qt_version" >"$recipe_dir/qt-version"
    recipe_complete
}
