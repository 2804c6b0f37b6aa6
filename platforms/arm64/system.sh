# Sourced by platforms/arm64/build and test from the clone's top, after recipe.sh and system.sh.
# The Debian systems they use, each laid once into the cache folder (system.sh):
#   cross_system         $cross: Debian 12 for the build machine's architecture with arm64 added and
#                        platforms/arm64/packages installed, used in place
#   target_system SUITE D DEPENDS
#                        a fresh copy at D of a clean arm64 Debian SUITE (bookworm, trixie), laid under
#                        emulation; or, when a package with the Depends line DEPENDS was installed into
#                        it before, that system with what apt then installed, and $target_has_depends set
#   target_keep D        keeps the system at D, with the package purged, for the next target_system
here=$recipe_src/platforms/arm64
logs=$recipe_src/build/arm64-logs

cross_system() {
    recipe_system arm64-cross bookworm amd64,arm64 "$(sed -e 's/#.*//' "$here/packages" | xargs | tr ' ' ,)" ""
    cross=$recipe_root
    # fd 8 goes to the next recipe_system; fd 6 keeps this one's lock.
    exec 6>&8
}

target_system() {
    recipe_qemu
    # Its programs run under Debian 13's qemu while it is laid, as they will when it is entered.
    # shellcheck disable=SC2016
    recipe_system "arm64-$1" "$1" arm64 "" "$VARNELO_QEMU" --skip=check/qemu \
        --setup-hook='mkdir -p "$1/usr/libexec/qemu-binfmt"' --setup-hook="copy-in $VARNELO_QEMU /usr/libexec/qemu-binfmt"
    rm -rf --one-file-system "$2"
    # Installing the dependencies runs every maintainer script under emulation, minutes each time; what
    # apt resolves for one Depends line is the same every time, so it is done once per Depends line.
    target_depends=$recipe_dir/depends-$(recipe_key "$3").tar
    target_has_depends=""
    if [ -f "$target_depends" ]; then
        mkdir -p "$2"
        tar -C "$2" -xf "$target_depends"
        target_has_depends=yes
    else
        cp -a "$recipe_root" "$2"
    fi
}

target_keep() {
    [ -z "$target_has_depends" ] || return 0
    recipe_step "$logs/purge.log" recipe_in "$1" dpkg --purge varnelo
    tar -C "$1" -cf "$target_depends.part" .
    # Only the newest Depends line is kept.
    find "$recipe_dir" -maxdepth 1 -name 'depends-*.tar' ! -name "${target_depends##*/}" -delete
    mv "$target_depends.part" "$target_depends"
}
