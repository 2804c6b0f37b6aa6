# Sourced after recipe.sh by the recipes that build or test in Debian systems of their own. Every
# system is laid by Debian's mmdebstrap as the user who runs the recipe (in a user namespace, or as
# root when that user is root), from its suite, the suite's updates and its security fixes, with
# its packages declared up front; it stays in the cache folder, keyed by what it is made of and this
# file, and counts only once whole. No root is needed and none is given to files a user can write.
#   recipe_archive                  $recipe_apt: options that make the host's apt-get and apt-cache,
#                                   run as the user, read Debian 13's lists, updated once a run
#   recipe_newest PACKAGE           the newest version of PACKAGE in Debian 13, security fixes included
#                                   (after recipe_archive)
#   recipe_system NAME SUITE ARCHES PACKAGES TEXT [OPTION...]
#                                   $recipe_root: that system (PACKAGES comma-separated, OPTIONs for
#                                   mmdebstrap), keyed by all that and TEXT, laid once, held shared on
#                                   fd 8 while the script runs
#   recipe_in ROOT COMMAND...       runs COMMAND in the system at ROOT as its root (the user, mapped),
#                                   in the clone's top folder, with the clone and the cache folder at
#                                   their own paths and $VARNELO_QEMU, if set, as its arm64 emulator;
#                                   the mounts vanish with COMMAND
#   recipe_qemu                     $VARNELO_QEMU: Debian 13's static qemu for arm64, in the cache folder

recipe_mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
recipe_security=${DEBIAN_SECURITY_MIRROR:-http://deb.debian.org/debian-security}
for _mirror in "$recipe_mirror" "$recipe_security"; do
    case $_mirror in
        http://* | https://*) ;;
        *) recipe_fail "a mirror is an http:// or https:// address, not '$_mirror'" ;;
    esac
    case $_mirror in *[!A-Za-z0-9:/._~%@+=-]*) recipe_fail "not a plain mirror address: '$_mirror'" ;; esac
done

recipe_sources() { # SUITE TYPE...
    _suite=$1
    shift
    for _type; do
        printf '%s %s %s main\n' "$_type" "$recipe_mirror" "$_suite" "$_type" "$recipe_mirror" "$_suite-updates" \
            "$_type" "$recipe_security" "$_suite-security"
    done
}

recipe_archive() {
    [ -z "${recipe_apt:-}" ] || return 0
    _apt=$recipe_cache/apt-trixie
    mkdir -p "$_apt/lists/partial" "$_apt/archives/partial"
    : >"$_apt/status"
    recipe_sources trixie deb deb-src >"$_apt/sources.list"
    recipe_apt="-qq -o Dir::State=$_apt -o Dir::State::status=$_apt/status -o Dir::Cache=$_apt
        -o Dir::Etc::SourceList=$_apt/sources.list -o Dir::Etc::SourceParts=/dev/null -o Debug::NoLocking=1
        -o APT::Architecture=amd64 -o APT::Architectures=amd64 -o APT::Sandbox::User=$(id -un)"
    # One update at a time: stages beside each other share the lists.
    # shellcheck disable=SC2086
    recipe_step "$_apt.log" flock "$_apt.lock" apt-get $recipe_apt update
}

recipe_newest() {
    # shellcheck disable=SC2086
    apt-cache $recipe_apt show --no-all-versions "$1" | sed -n 's/^Version: //p'
}

recipe_system() {
    _caller=${recipe_name:-}
    _system=$1 _suite=$2 _arches=$3 _packages=$4
    shift 4
    recipe_open "$_system" "$(recipe_key "$_suite $_arches $_packages $*" "$recipe_src/platforms/system.sh")"
    shift
    recipe_root=$recipe_dir/root
    # fd 9 goes to the next recipe_open; fd 8 keeps this system's lock.
    exec 8>&9
    if ! recipe_is_complete; then
        command -v mmdebstrap >/dev/null && command -v newuidmap >/dev/null ||
            "$recipe_src/scripts/setup" mmdebstrap uidmap
        echo "$_system: laying Debian $_suite ($_arches) into $recipe_dir (once)" >&2
        rm -rf --one-file-system "$recipe_root" "$recipe_dir/root.tar"
        mkdir -p "$recipe_root"
        # Without the descriptors of the locks this shell keeps: apt's hooks there run under sh, which
        # takes none above 9, and mmdebstrap hands them the lowest free ones.
        recipe_step "$recipe_dir.log" mmdebstrap --variant=minbase --architectures="$_arches" ${_packages:+--include="$_packages"} \
            --aptopt='APT::Sandbox::User "root"' "$@" "$_suite" "$recipe_dir/root.tar" "deb $recipe_mirror $_suite main" \
            "deb $recipe_mirror $_suite-updates main" "deb $recipe_security $_suite-security main" 6>&- 7>&- 8>&- 9>&-
        # Unpacked by the user, so every file is theirs; /dev comes from the host when entered.
        tar -C "$recipe_root" --exclude='./dev/*' -xf "$recipe_dir/root.tar"
        rm "$recipe_dir/root.tar"
        recipe_complete
    fi
    recipe_name=$_caller
}

recipe_in() {
    _root=$1
    shift
    # As an ordinary user, a user namespace in which the user is root; root needs none.
    _userns="--user --map-root-user"
    [ "$(id -u)" -ne 0 ] || _userns=""
    # shellcheck disable=SC2016,SC2086
    unshare $_userns --mount --pid --fork --kill-child --propagation private sh -euc '
        root=$1 src=$2 cache=$3
        shift 3
        mount -t proc proc "$root/proc"
        mount --rbind /sys "$root/sys"
        mount --rbind /dev "$root/dev"
        for path in "$src" "$cache"; do
            mkdir -p "$root$path"
            mount --bind "$path" "$root$path"
        done
        rm -f "$root/etc/resolv.conf"
        cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
        if [ -n "${VARNELO_QEMU:-}" ]; then
            emulator=$root/usr/libexec/qemu-binfmt/aarch64-binfmt-P
            mkdir -p "${emulator%/*}"
            : >>"$emulator"
            mount --bind "$VARNELO_QEMU" "$emulator"
        fi
        exec /usr/sbin/chroot "$root" /usr/bin/env -i --chdir="$src" HOME=/root LANG=C.UTF-8 \
            PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive \
            CI="${CI:-}" JOBS="${JOBS:-}" VARNELO_CACHE="$VARNELO_CACHE" http_proxy="${http_proxy:-}" \
            https_proxy="${https_proxy:-}" no_proxy="${no_proxy:-}" "$@"
    ' recipe_in "$_root" "$recipe_src" "$recipe_cache" "$@"
}

# The host's binfmt_misc entry (from Debian's qemu-user-binfmt) names this path without opening it,
# so inside a system it runs whatever is there: Debian 13's qemu, static. Debian 12's own qemu 7.2
# refuses the clone() with which Qt's QProcess starts a program.
recipe_qemu() {
    recipe_archive
    _version=$(recipe_newest qemu-user)
    _dir=$recipe_cache/qemu-user-$(recipe_key "$_version")
    VARNELO_QEMU=$_dir/qemu-binfmt/aarch64-binfmt-P
    export VARNELO_QEMU
    [ ! -f "$_dir/.complete" ] || return 0
    rm -rf "$_dir"
    mkdir -p "$_dir/qemu-binfmt"
    # shellcheck disable=SC2086
    (cd "$_dir" && apt-get $recipe_apt download "qemu-user=$_version" && dpkg-deb -x qemu-user_*.deb deb) ||
        recipe_fail "cannot fetch Debian 13's qemu-user $_version"
    cp "$_dir/deb/usr/bin/qemu-aarch64" "$VARNELO_QEMU"
    rm -rf "$_dir/deb" "$_dir"/*.deb
    touch "$_dir/.complete"
}
