#!/bin/sh
# Runs where Qt for WebAssembly is installed (the Debian 13 system): builds the program and the
# model's tests for wasm from SRC, runs those tests under node, and lays out SRC/build/web and
# SRC/build/varnelo-web.zip.
#   build-app.sh SRC BASE     BASE holds qt-wasm/ and emsdk/ (see qt-wasm.sh)
set -eu
src=$1 base=$2
export EMSDK=$base/emsdk
build=$src/build/web-wasm
out=$src/build/web

# The toolkit's Bulgarian texts, embedded in the program: Debian's, of the same Qt version.
if [ ! -f /usr/share/qt6/translations/qtbase_bg.qm ]; then
    apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends qt6-translations-l10n >/dev/null
fi

mkdir -p "$build"
"$base/qt-wasm/bin/qt-cmake" -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
    -DQT_SKIP_AUTO_PLUGIN_INCLUSION=OFF >"$build.configure.log" 2>&1 \
    || { cat "$build.configure.log"; exit 1; }
nice cmake --build "$build" --parallel 2

# The model's tests, in wasm under node: the same arithmetic for every scroll value.
ctest --test-dir "$build" --output-on-failure

rm -rf "$out"
mkdir -p "$out"
cp "$build/index.html" "$build/app/varnelo.js" "$build/app/varnelo.wasm" "$build/app/qtloader.js" "$out/"
rm -f "$src/build/varnelo-web.zip"
(cd "$src/build" && zip -qr9 varnelo-web.zip web)

# The failing page for test-web, beside the folder and not in it.
rm -rf "$src/build/web-errorpage"
mkdir -p "$src/build/web-errorpage"
cp "$build/errorpage.html" "$build/errorpage.js" "$build/errorpage.wasm" "$build/qtloader.js" \
    "$src/build/web-errorpage/"

# What a browser downloads: every file of the folder, compressed as a server would send it.
total() { sum=0; for f in "$out"/*; do sum=$((sum + $("$@" <"$f" | wc -c))); done; echo "$sum"; }
echo "web: $(du -cb "$out"/* | tail -n 1 | cut -f1) bytes, $(total gzip -9c) gzipped," \
     "$(total brotli -q 11 -c) with brotli"
