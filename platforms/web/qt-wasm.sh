#!/bin/sh
# Runs on Debian 13 (the system scripts/debian13-root lays, or a native one, as root): installs
# Debian's emscripten and host Qt, lays the emsdk-style folder Qt's build looks for, and builds Qt
# for WebAssembly from Debian's own qt6-base source, static and for size, into BASE/qt-wasm.
# Each step leaves a stamp, so an interrupted run resumes.
#   qt-wasm.sh [BASE]     BASE defaults to /opt
set -eu
export DEBIAN_FRONTEND=noninteractive
base=${1:-/opt}
stamps="$base/varnelo-stamps"
mkdir -p "$stamps"

# Debian's emscripten (3.1.69) with its prebuilt system libraries; the host Qt of the same version
# supplies moc, rcc and uic; nodejs runs the tests built for wasm.
if [ ! -f "$stamps/packages" ]; then
    apt-get -o DPkg::Lock::Timeout=900 update -qq
    apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends \
        emscripten cmake ninja-build qt6-base-dev qt6-base-dev-tools dpkg-dev python3 nodejs \
        fonts-liberation zip brotli xz-utils patch qt6-l10n-tools qt6-translations-l10n fonttools >/dev/null
    touch "$stamps/packages"
fi

# Qt finds emscripten through EMSDK: a folder whose .emscripten names EMSCRIPTEN_ROOT relative to
# it, and upstream/emscripten there. Debian's own configuration stays the one emcc reads.
if [ ! -f "$stamps/emsdk" ]; then
    mkdir -p "$base/emsdk/upstream"
    ln -sfn /usr/share/emscripten "$base/emsdk/upstream/emscripten"
    { cat /usr/share/emscripten/.emscripten
      echo "EMSCRIPTEN_ROOT = emsdk_path + '/upstream/emscripten'"; } >"$base/emsdk/.emscripten"
    touch "$stamps/emsdk"
fi

# The source of the very Qt the host tools come from, so both sides are 6.8.2 exactly.
if [ ! -f "$stamps/source" ]; then
    printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: trixie\nComponents: main\n' \
        >/etc/apt/sources.list.d/varnelo-src.sources
    apt-get -o DPkg::Lock::Timeout=900 update -qq
    rm -rf "$base/src" && mkdir -p "$base/src"
    (cd "$base/src" && apt-get source -qq --download-only qt6-base >/dev/null && \
        dpkg-source -x --skip-patches qt6-base_*.dsc qtbase >/dev/null)
    # The browser's own changes to Qt (the recipe copies them beside this script).
    for patch in "$base"/qt-*.patch; do
        [ -f "$patch" ] || continue
        patch -d "$base/src/qtbase" -p1 --quiet <"$patch"
    done
    touch "$stamps/source"
fi

# Static, release, for size; only the modules the program and its tests use. Threads stay off
# (no SharedArrayBuffer headers needed from the server). OpenGL stays: the wasm backing store needs it.
if [ ! -f "$stamps/qt" ]; then
    export EMSDK="$base/emsdk"
    rm -rf "$base/qt-build" && mkdir -p "$base/qt-build"
    cd "$base/qt-build"
    features=$(sed -e 's/#.*//' -e '/^ *$/d' -e 's/^ *\([^ ]*\) *$/-no-feature-\1/' "$base/qt-features")
    # shellcheck disable=SC2086
    "$base/src/qtbase/configure" -platform wasm-emscripten -qt-host-path /usr \
        -prefix "$base/qt-wasm" -static -release -optimize-size -unity-build \
        -nomake examples -nomake tests -no-warnings-are-errors -no-feature-thread $features \
        -- -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/cmake" \
        >"$base/qt-configure.log" 2>&1 || { tail -n 40 "$base/qt-configure.log"; exit 1; }
    nice cmake --build . --parallel 2 >"$base/qt-build.log" 2>&1 \
        || { grep -m5 -A10 'error' "$base/qt-build.log"; tail -n 20 "$base/qt-build.log"; exit 1; }
    cmake --install . >/dev/null
    cd / && rm -rf "$base/qt-build" "$base/src"
    touch "$stamps/qt"
fi
echo "qt-wasm: $(du -sh "$base/qt-wasm" | cut -f1) in $base/qt-wasm"
