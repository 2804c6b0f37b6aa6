# Sourced by platforms/arm64/build and test from the clone's top, after platforms/recipe.sh. Two
# Debian 12 systems in the cache folder, each keyed by what it is made of:
#   cross_system     the build machine's architecture with arm64 added and platforms/arm64/packages
#                    installed, used in place ($cross), held shared while in use
#   target_system D DEPENDS
#                    a clean arm64 Debian 12 minbase, kept as a tarball, unpacked fresh into D; or, when
#                    a package with the Depends line DEPENDS was installed into it before, that system
#                    with what apt then installed, and $target_has_depends set
#   target_keep D    keeps the system at D, with the package purged, for the next target_system
#   in_system D CMD  runs CMD as root in the system at D, the clone and the cache folder bound at
#                    their own paths and CMD started in the clone; the mounts vanish with CMD
#   binfmt_on        lets the kernel run arm64 programs through the cross system's qemu until exit
here=$recipe_src/platforms/arm64
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
logs=$recipe_src/build/arm64-logs

in_system() {
    _dir=$1
    shift
    # shellcheck disable=SC2016
    unshare --mount --propagation private sh -eu -c '
        dir=$1 src=$2 cache=$3
        shift 3
        mount -t proc proc "$dir/proc"
        mount -t sysfs sysfs "$dir/sys"
        mount --bind /dev "$dir/dev"
        mount --bind /dev/pts "$dir/dev/pts"
        for path in "$src" "$cache"; do
            mkdir -p "$dir$path"
            mount --bind "$path" "$dir$path"
        done
        exec chroot "$dir" /usr/bin/env -i --chdir="$src" HOME=/root LANG=C.UTF-8 CI="${CI:-}" \
            PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive "$@"
    ' arm64 "$_dir" "$recipe_src" "$recipe_cache" "$@"
}

# Debian 12's lists, and for the cross system backports, from which apt takes only what is asked for.
apt_sources() {
    cat >"$1/etc/apt/sources.list" <<LIST
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
LIST
    [ $# -lt 2 ] || echo "deb $mirror $2 main" >>"$1/etc/apt/sources.list"
    # apt runs as root throughout: the packages it reads may sit in the user's clone or cache.
    echo 'APT::Sandbox::User "root";' >"$1/etc/apt/apt.conf.d/90varnelo"
    cp /etc/resolv.conf "$1/etc/resolv.conf" 2>/dev/null || true
}

# Packages apt downloads are kept in the cache folder (NAME), so that a new key fetches only what changed.
apt_archives() {
    mkdir -p "$recipe_cache/$1/partial"
    echo "Dir::Cache::Archives \"$recipe_cache/$1/\";" >"$2/etc/apt/apt.conf.d/91varnelo-archives"
}

cross_system() {
    recipe_open arm64-cross "$(recipe_key "bookworm amd64+arm64 minbase" "$here/packages")"
    cross=$recipe_dir/root
    # Held shared on fd 6 as well, so that opening the target's recipe later does not let go of it.
    exec 6>&9
    recipe_is_complete && return 0
    mkdir -p "$recipe_dir"
    command -v debootstrap >/dev/null || ./scripts/setup debootstrap
    echo "arm64: laying the cross system in $recipe_dir (once)"
    rm -rf --one-file-system "$cross"
    recipe_step "$logs/cross-debootstrap.log" debootstrap --variant=minbase bookworm "$cross" "$mirror"
    apt_sources "$cross" bookworm-backports
    apt_archives arm64-cross-apt-archives "$cross"
    packages=$(sed -e 's/#.*//' "$here/packages" | tr '\n' ' ')
    recipe_step "$logs/cross-install.log" in_system "$cross" sh -euc "dpkg --add-architecture arm64
        apt-get update -qq
        apt-get install -y --no-install-recommends $packages"
    recipe_complete
}

target_system() {
    recipe_open arm64-target "$(recipe_key "bookworm arm64 minbase")"
    tarball=$recipe_dir/root.tar.gz
    if ! recipe_is_complete; then
        mkdir -p "$recipe_dir"
        echo "arm64: laying a clean arm64 Debian 12 under emulation in $recipe_dir (once)"
        rm -rf --one-file-system "$1"
        recipe_step "$logs/target-debootstrap.log" debootstrap --arch=arm64 --variant=minbase bookworm "$1" "$mirror"
        tar -C "$1" -czf "$tarball" .
        recipe_complete
    fi
    rm -rf --one-file-system "$1"
    mkdir -p "$1"
    # Installing the dependencies runs every maintainer script under emulation, minutes each time; what
    # apt resolves for one Depends line is the same every time, so it is done once per Depends line.
    target_depends=$recipe_dir/depends-$(recipe_key "$2").tar
    target_has_depends=""
    if [ -f "$target_depends" ]; then
        tar -C "$1" -xf "$target_depends"
        target_has_depends=yes
    else
        tar -C "$1" -xzf "$tarball"
    fi
    apt_sources "$1"
    apt_archives arm64-target-apt-archives "$1"
}

target_keep() {
    [ -z "$target_has_depends" ] || return 0
    recipe_step "$logs/purge.log" in_system "$1" dpkg --purge varnelo
    tar -C "$1" -cf "$target_depends.part" .
    # Only the newest Depends line is kept.
    find "$recipe_dir" -maxdepth 1 -name 'depends-*.tar' ! -name "${target_depends##*/}" -delete
    mv "$target_depends.part" "$target_depends"
}

# The entry is registered with 'F': the kernel opens qemu now, so it serves inside either system,
# and the programs the tests start themselves run too. One arm64 run at a time on the machine (fd 7):
# the registration is the kernel's, shared by every clone and cache folder.
binfmt=/proc/sys/fs/binfmt_misc
binfmt_mounted=""
binfmt_on() {
    exec 7>/run/lock/varnelo-arm64-binfmt.lock
    flock -x 7
    recipe_at_exit binfmt_off
    if ! mountpoint -q $binfmt; then
        mount -t binfmt_misc binfmt_misc $binfmt
        binfmt_mounted=yes
    fi
    [ ! -e $binfmt/varnelo-aarch64 ] || echo -1 >$binfmt/varnelo-aarch64
    magic='\x7fELF\x02\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\xb7\x00'
    mask='\xff\xff\xff\xff\xff\xff\xff\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    printf '%s' ":varnelo-aarch64:M::$magic:$mask:$cross/usr/bin/qemu-aarch64:F" >$binfmt/register
}
binfmt_off() {
    [ ! -e $binfmt/varnelo-aarch64 ] || echo -1 >$binfmt/varnelo-aarch64
    [ -z "$binfmt_mounted" ] || umount $binfmt
    binfmt_mounted=""
}
