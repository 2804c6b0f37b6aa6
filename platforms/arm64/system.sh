# Sourced by platforms/arm64/build and test. Two Debian 12 systems, each kept as a tarball in the
# cache folder, keyed by what it is made of (not by how these scripts are written): the cross system (the build machine's architecture with
# arm64 added, platforms/arm64/packages installed) that builds and tests, and a clean arm64 minbase
# that the package is installed into. Running a command in one mounts /proc, /sys and /dev for it;
# running arm64 programs registers qemu with the kernel's binfmt_misc. Both are undone on exit,
# however the script ends.

here=$(cd "$(dirname "$0")" && pwd)
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
cache=${VARNELO_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/varnelo}
jobs=${JOBS:-2}
logs=$(pwd)/build/arm64-logs
started=$(date +%s)

say() {
    echo "arm64: $* ($(($(date +%s) - started)) s)"
}

# A step's output goes to its log; a failure shows the log's end and where it is.
step() {
    name=$1
    shift
    mkdir -p "$logs"
    if ! "$@" >"$logs/$name.log" 2>&1; then
        tail -n 30 "$logs/$name.log" >&2
        echo "arm64: $name failed; the whole log is $logs/$name.log" >&2
        exit 1
    fi
}

# Mounting, chroot and binfmt_misc need root: with sudo, the cache stays the caller's and so do the
# files left in build/.
need_root() {
    [ "$(id -u)" -eq 0 ] && return 0
    command -v sudo >/dev/null || { echo "arm64: needs root or sudo" >&2; exit 1; }
    exec sudo VARNELO_CACHE="$cache" JOBS="$jobs" CI="${CI:-}" DEBIAN_MIRROR="$mirror" "$0" "$@"
}
give_back() {
    [ -n "${SUDO_UID:-}" ] && chown -R "$SUDO_UID:${SUDO_GID:-$SUDO_UID}" "$@"
    return 0
}

# One arm64 run at a time on the machine: the binfmt entry and the cache tarballs are shared.
lock() {
    mkdir -p "$cache"
    exec 8>"$cache/arm64.lock"
    flock 8
}

mounted=""
binfmt_mounted=""
unmount_all() {
    for m in $mounted; do
        umount -l "$m" 2>/dev/null || true
    done
    mounted=""
}
cleanup() {
    status=$?
    binfmt_off
    unmount_all
    exit $status
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Runs CMD in the system at DIR as root, with a clean environment.
in_system() {
    dir=$1
    shift
    for m in proc sys dev dev/pts; do
        mountpoint -q "$dir/$m" && continue
        case $m in
        proc) mount -t proc proc "$dir/proc" ;;
        sys) mount -t sysfs sysfs "$dir/sys" ;;
        *) mount --bind "/$m" "$dir/$m" ;;
        esac
        mounted="$dir/$m $mounted"
    done
    chroot "$dir" /usr/bin/env -i HOME=/root LANG=C.UTF-8 CI="${CI:-}" DEBIAN_FRONTEND=noninteractive \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"
}

# Binds the host's folder FROM to TO inside a system for as long as the script runs.
bind() {
    mkdir -p "$1" "$2"
    mountpoint -q "$2" && return 0
    mount --bind "$1" "$2"
    mounted="$2 $mounted"
}

# Removes a system folder, refusing while anything is mounted below it.
remove_system() {
    if grep -q " $1/" /proc/mounts; then
        echo "arm64: $1 still has mounts; unmount them first" >&2
        exit 1
    fi
    rm -rf --one-file-system "$1"
}

# The kernel runs arm64 programs through the cross system's qemu (QEMU), opened now ('F'), so that
# it works in either system and for the programs the tests start themselves.
binfmt=/proc/sys/fs/binfmt_misc
binfmt_on() {
    if ! mountpoint -q $binfmt; then
        mount -t binfmt_misc binfmt_misc $binfmt
        binfmt_mounted=yes
    fi
    [ -e $binfmt/varnelo-aarch64 ] && echo -1 >$binfmt/varnelo-aarch64
    magic='\x7fELF\x02\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\xb7\x00'
    mask='\xff\xff\xff\xff\xff\xff\xff\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    printf '%s' ":varnelo-aarch64:M::$magic:$mask:$1:F" >$binfmt/register
}
binfmt_off() {
    [ -e $binfmt/varnelo-aarch64 ] && echo -1 >$binfmt/varnelo-aarch64
    if [ -n "$binfmt_mounted" ]; then
        umount $binfmt
        binfmt_mounted=""
    fi
    return 0
}

# Debian 12's lists, and for the cross system backports, from which apt takes only what is asked for.
apt_sources() {
    cat >"$1/etc/apt/sources.list" <<LIST
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
LIST
    [ $# -lt 2 ] || echo "deb $mirror $2 main" >>"$1/etc/apt/sources.list"
    cp /etc/resolv.conf "$1/etc/resolv.conf" 2>/dev/null || true
}

# Saves the system at DIR as the tarball, without the downloaded packages (kept beside it in
# ARCHIVES for the next system to be made) or the apt lists, and drops older builds of it.
save_system() {
    dir=$1 tarball=$2 archives=$3
    mkdir -p "$archives"
    find "$dir/var/cache/apt/archives" -name '*.deb' -exec cp -nt "$archives" {} +
    rm -rf "$dir/var/cache/apt/archives/"*.deb "$dir/var/lib/apt/lists/"*
    find "$cache" -maxdepth 1 -name "$(basename "${tarball%-*}")-*.tar.gz" ! -path "$tarball" -delete
    unmount_all
    tar -C "$dir" --one-file-system -czf "$tarball.part" .
    mv "$tarball.part" "$tarball"
}
seed_archives() {
    [ -d "$2" ] && find "$2" -name '*.deb' -exec cp -t "$1/var/cache/apt/archives" {} +
    return 0
}

# The cross system at DIR, as the current packages list and these scripts make it; kept between runs
# (the build goes on from where it was) and replaced when its key changes.
cross_system() {
    dir=$1
    key=$(sha256sum <"$here/packages" | cut -c1-12)
    [ "$(cat "$dir/.varnelo-key" 2>/dev/null)" = "$key" ] && return 0
    remove_system "$dir"
    mkdir -p "$dir"
    tarball=$cache/arm64-cross-$key.tar.gz
    if [ -f "$tarball" ]; then
        tar -C "$dir" -xzf "$tarball"
        cp /etc/resolv.conf "$dir/etc/resolv.conf" 2>/dev/null || true
        say "the cross system unpacked from $tarball"
    else
        command -v debootstrap >/dev/null || ./scripts/setup debootstrap
        say "laying the cross system (once; cached as $tarball)"
        step debootstrap-cross debootstrap --variant=minbase bookworm "$dir" "$mirror"
        apt_sources "$dir" bookworm-backports
        seed_archives "$dir" "$cache/arm64-cross-apt-archives"
        packages=$(sed -e 's/#.*//' "$here/packages" | tr '\n' ' ')
        step install-cross in_system "$dir" sh -c "dpkg --add-architecture arm64 && apt-get update -qq &&
            apt-get install -y --no-install-recommends $packages"
        save_system "$dir" "$tarball" "$cache/arm64-cross-apt-archives"
        say "the cross system made"
    fi
    echo "$key" >"$dir/.varnelo-key"
}

# A clean arm64 Debian 12 minbase at DIR, made fresh from its tarball; debootstrap runs its second
# stage under qemu, so binfmt must be on.
target_system() {
    dir=$1
    key=$(echo "bookworm arm64 minbase" | sha256sum | cut -c1-12)
    tarball=$cache/arm64-target-$key.tar.gz
    remove_system "$dir"
    mkdir -p "$dir"
    if [ -f "$tarball" ]; then
        tar -C "$dir" -xzf "$tarball"
        say "a clean arm64 Debian 12 unpacked from $tarball"
    else
        say "laying a clean arm64 Debian 12 under emulation (once; cached as $tarball)"
        step debootstrap-target debootstrap --arch=arm64 --variant=minbase bookworm "$dir" "$mirror"
        save_system "$dir" "$tarball" "$cache/arm64-target-apt-archives"
        say "the clean arm64 Debian 12 made"
    fi
    apt_sources "$dir"
}
