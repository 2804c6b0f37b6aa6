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

mkdir -p "$build"
"$base/qt-wasm/bin/qt-cmake" -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
    -DQT_SKIP_AUTO_PLUGIN_INCLUSION=OFF >"$build.configure.log" 2>&1 \
    || { cat "$build.configure.log"; exit 1; }
nice cmake --build "$build" --parallel "${JOBS:-2}"

# The model's tests, in wasm under node: the same arithmetic for every scroll value.
ctest --test-dir "$build" --output-on-failure

# A folder a web server publishes as it is: the page, the loader, the program, the manifest with the
# icons, and the service worker that keeps them for offline use, under a cache name made from them.
# Each file also as .gz and .br, for a server set up to send those.
layout() { # DIR JS WASM
    dir=$1
    rm -rf "$dir"
    mkdir -p "$dir"
    cp "$build/index.html" "$build/manifest.webmanifest" "$build/app/qtloader.js" "$dir/"
    cp "$2" "$dir/varnelo.js"
    cp "$3" "$dir/varnelo.wasm"
    for size in 32 128 256; do cp "$src/resources/icons/varnelo-$size.png" "$dir/"; done
    cp "$src/resources/icons/varnelo.svg" "$dir/"
    files=$(cd "$dir" && ls)
    (cd "$dir" && sha256sum $files) >"$build/files.sha256"
    hash=$(sha256sum "$build/files.sha256")
    hash=$(printf %.16s "$hash")
    list=$(printf "'%s', " $files)
    sed -e "s/@VARNELO_WEB_BUILD@/$hash/" -e "s/@VARNELO_WEB_FILES@/${list%, }/" \
        "$src/platforms/web/sw.js.in" >"$dir/sw.js"
    for f in "$dir"/*; do
        gzip -9 -n -k "$f"
        brotli -q 11 -k "$f"
    done
}
layout "$out" "$build/app/varnelo.js" "$build/app/varnelo.wasm"
rm -f "$src/build/varnelo-web.zip"
(cd "$src/build" && zip -qr9 varnelo-web.zip web)

# The failing program for test-web and the bare window for bench-web, in the same page, beside the
# folder and not in it.
layout "$src/build/web-errorpage" "$build/errorpage/varnelo.js" "$build/errorpage/varnelo.wasm"
layout "$src/build/web-bare" "$build/bare/varnelo.js" "$build/bare/varnelo.wasm"

# What a browser downloads: every file of the folder, compressed as a server would send it.
total() { # SUFFIX
    sum=0
    for f in "$out"/*; do
        case $f in *.gz|*.br) continue ;; esac
        size=$(stat -c %s "$f$1")
        sum=$((sum + size))
    done
    echo "$sum"
}
echo "web: $(total '') bytes, $(total .gz) gzipped, $(total .br) with brotli"
