# Sourced by the platform recipes (platforms/<platform>/build-qt, build, test) and scripts/: what
# they share. POSIX sh, for scripts running under `set -eu`.
#
#   recipe_cache                    the cache folder: $VARNELO_CACHE, else ${XDG_CACHE_HOME:-~/.cache}/varnelo
#   recipe_key TEXT FILE...         16 hex digits from TEXT and the files' contents (the declarative inputs)
#   recipe_open NAME KEY            $recipe_dir = cache/NAME-KEY, locked (exclusive until recipe_complete)
#   recipe_is_complete              whether $recipe_dir carries its completion stamp
#   recipe_complete                 stamps $recipe_dir, keeps a shared lock, prunes superseded NAME-*
#   recipe_step LOG COMMAND...      runs COMMAND with its output to LOG; on failure shows LOG's tail, stops
#   recipe_fail MESSAGE             says what failed and stops
#   recipe_as_root SCRIPT ARG...    re-runs SCRIPT through sudo when not root, passing on what recipes read
#   recipe_give PATH...             hands PATHs (recursively) back to the user who ran make through sudo
#   recipe_jobs                     $JOBS, else the number of cores

: "${VARNELO_CACHE:=${XDG_CACHE_HOME:-$HOME/.cache}/varnelo}"
export VARNELO_CACHE
recipe_cache=$VARNELO_CACHE

# Under sudo, whatever a recipe made in the cache folder goes back to the user at the end, however it
# ends; a script adds its own clean-up with recipe_at_exit.
recipe_exit=""
recipe_at_exit() {
    recipe_exit="$1; $recipe_exit"
    # shellcheck disable=SC2064
    trap "_exit_status=\$?; $recipe_exit recipe_give \"\$recipe_cache\"; exit \$_exit_status" EXIT
    trap 'exit 130' INT TERM
}

recipe_fail() {
    echo "${recipe_name:-recipe}: $*" >&2
    exit 1
}

recipe_jobs() {
    echo "${JOBS:-$(nproc)}"
}

recipe_key() {
    _text=$1
    shift
    for _f in "$@"; do
        [ -f "$_f" ] || recipe_fail "recipe_key: $_f is missing"
    done
    # Names are left out on purpose: the same recipe in another clone has the same key.
    _sum=$( { printf '%s\n' "$_text"; cat -- "$@"; } | sha256sum) || recipe_fail "recipe_key: cannot read $*"
    echo "$_sum" | cut -c1-16
}

# Files made as root for a user who ran make through sudo go back to that user. VARNELO_OWNER is set
# by recipe_as_root before sudo, so it is the caller's own uid:gid, never root's.
recipe_give() {
    [ -n "${VARNELO_OWNER:-}" ] && [ "$(id -u)" -eq 0 ] || return 0
    for _p in "$@"; do
        # -xdev: never into a mount (a system's /dev or /proc bound in by mistake).
        [ -e "$_p" ] && find "$_p" -xdev ! -user "${VARNELO_OWNER%:*}" -exec chown -h "$VARNELO_OWNER" {} +
    done
    return 0
}

recipe_at_exit :

recipe_as_root() {
    [ "$(id -u)" -ne 0 ] || return 0
    command -v sudo >/dev/null || recipe_fail "needs root or sudo"
    # Made by the user now, so that nothing root makes later can claim them.
    mkdir -p "$VARNELO_CACHE"
    # The script's own name as it was run, from where it was run: it has changed folder since.
    case $1 in
        /*) _script=$1 ;;
        *) _script=${OLDPWD:-$PWD}/$1 ;;
    esac
    shift
    exec sudo VARNELO_CACHE="$VARNELO_CACHE" VARNELO_OWNER="$(id -u):$(id -g)" JOBS="${JOBS:-}" \
        CI="${CI:-}" DEBIAN_MIRROR="${DEBIAN_MIRROR:-}" "$_script" "$@"
}

recipe_step() {
    _log=$1
    shift
    mkdir -p "$(dirname "$_log")"
    _status=0
    "$@" >"$_log" 2>&1 || _status=$?
    if [ "$_status" -ne 0 ]; then
        tail -n 30 "$_log" >&2
        # The command as given, its first line at most, since some are whole scripts.
        _what=$(printf '%s ' "$@" | head -n 1 | cut -c1-120)
        recipe_fail "'${_what% }' failed with status $_status; the whole log is $_log"
    fi
}

# Superseded builds of a recipe go when nobody holds their lock and they were not used for
# VARNELO_PRUNE_DAYS days (1): another clone or branch may still want the previous key.
recipe_prune() {
    for _old in "$recipe_cache/$recipe_name"-*; do
        [ -d "$_old" ] && [ "$_old" != "$recipe_dir" ] || continue
        case ${_old##*/} in "$recipe_name"-????????????????) ;; *) continue ;; esac
        _mark=$_old/.used
        [ -f "$_mark" ] || _mark=$_old
        [ -z "$(find "$_mark" -maxdepth 0 -mmin -$((${VARNELO_PRUNE_DAYS:-1} * 1440)))" ] || continue
        if flock -xn "$_old.lock" rm -rf --one-file-system "$_old"; then
            rm -f "$_old.lock"
            echo "$recipe_name: removed the superseded $_old" >&2
        fi
    done
}

recipe_open() {
    recipe_name=$1
    recipe_dir=$recipe_cache/$1-$2
    mkdir -p "$recipe_cache"
    # One build of a recipe at a time; users hold it shared, so nobody prunes what is in use.
    exec 9>"$recipe_dir.lock"
    if [ -f "$recipe_dir/.complete" ]; then
        flock -s 9
        [ -f "$recipe_dir/.complete" ] && { touch "$recipe_dir/.used"; return 0; }
    fi
    flock -x 9
}

recipe_is_complete() {
    [ -f "$recipe_dir/.complete" ]
}

recipe_complete() {
    touch "$recipe_dir/.complete" "$recipe_dir/.used"
    flock -s 9
    recipe_prune
}

# The one Debian 13 system the bundled builds (Windows, browser) run in on other hosts, laid by
# scripts/debian13-root; on Debian 13 itself they run on the host. Sourced from the clone's top.
#   recipe_system_open              sets $recipe_root ("" on Debian 13), laid once, held shared (fd 8)
#   recipe_system_install PKG...    installs the packages there that are not yet installed
#   recipe_in_system COMMAND...     runs COMMAND there as root in the clone's top folder, the cache
#                                   folder and the clone bound at their own paths
recipe_src=$(pwd)
recipe_debian13="trixie minbase make,ca-certificates"

recipe_system_open() {
    if grep -q '^VERSION_CODENAME=trixie' /etc/os-release; then
        recipe_root=""
        return 0
    fi
    recipe_root=$recipe_cache/debian13-$(recipe_key "$recipe_debian13")
    mkdir -p "$recipe_cache"
    # Used under a shared lock (fd 8), which keeps it from being pruned; laid under a lock of its own
    # (fd 6), so a build that comes meanwhile waits for the laying only, not for the others' builds.
    exec 8>"$recipe_root.lock"
    flock -s 8
    if [ ! -x "$recipe_root/usr/bin/make" ]; then
        exec 6>"$recipe_root.laying"
        flock -x 6
        [ -x "$recipe_root/usr/bin/make" ] ||
            recipe_step "$recipe_root.log" "$recipe_src/scripts/debian13-root" "$recipe_root"
        exec 6>&-
    fi
}

recipe_in_system() {
    if [ -z "$recipe_root" ]; then
        "$@"
    else
        VARNELO_BINDS="$recipe_cache:$recipe_src" VARNELO_CHDIR=$recipe_src \
            "$recipe_src/scripts/debian13-root" "$recipe_root" "$@"
    fi
}

recipe_system_install() {
    # shellcheck disable=SC2016
    recipe_in_system sh -c 'for p; do dpkg -s "$p" 2>/dev/null | grep -qx "Status: install ok installed" || exit 1; done' \
        - "$@" && return 0
    # The same lock as scripts/setup's there: the Windows and browser builds may install side by side.
    recipe_step "$recipe_cache/debian13-apt.log" recipe_in_system env DEBIAN_FRONTEND=noninteractive \
        flock /run/lock/varnelo-apt.lock sh -euc '
        apt-get -o DPkg::Lock::Timeout=900 update -qq
        apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends "$@"' - "$@"
}

# A source package of Debian 13, VERSION exactly, into cache/sources (kept: the same tarball serves
# every recipe and key). Through private apt lists: no system's /etc/apt is touched.
recipe_debian_source() {
    [ -f "$recipe_cache/sources/$1_${2#*:}.dsc" ] && return 0
    mkdir -p "$recipe_cache/sources"
    # One download at a time (fd 5): the Windows and browser builds want the same package side by side.
    exec 5>"$recipe_cache/sources/.lock"
    flock -x 5
    [ -f "$recipe_cache/sources/$1_${2#*:}.dsc" ] && { exec 5>&-; return 0; }
    # shellcheck disable=SC2016
    recipe_step "$recipe_cache/sources/$1.log" recipe_in_system sh -euc '
        apt=$(mktemp -d)
        trap "rm -rf \"$apt\"" EXIT
        mkdir -p "$apt/lists/partial" "$apt/archives/partial"
        printf "deb-src %s %s main\n" "$4" trixie "$4" trixie-updates \
            http://deb.debian.org/debian-security trixie-security >"$apt/sources.list"
        set -- "$1" "$2" "$3" -o Dir::Etc::SourceList="$apt/sources.list" -o Dir::Etc::SourceParts=/dev/null \
            -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt" -o Debug::NoLocking=1
        dir=$1 package=$2 version=$3
        shift 3
        apt-get "$@" -qq update
        cd "$dir" && apt-get "$@" -qq source --download-only "$package=$version"
    ' - "$recipe_cache/sources" "$1" "$2" "${DEBIAN_MIRROR:-http://deb.debian.org/debian}"
    exec 5>&-
}

# Qt's patches for a platform, as paths from the clone's top: those every bundled Qt gets
# (platforms/qt-*.patch), then the platform's own (platforms/<platform>/qt-*.patch).
#   recipe_qt_patches PLATFORM-FOLDER
recipe_qt_patches() {
    for _patch in platforms/qt-*.patch "$1"/qt-*.patch; do
        [ ! -f "$_patch" ] || echo "$_patch"
    done
}

# Qt configure arguments, one per feature switched off in the lists (missing lists add nothing):
#   recipe_qt_features FORMAT LIST...     FORMAT is printf's, e.g. -DFEATURE_%s=OFF or -no-feature-%s
recipe_qt_features() {
    _format=$1
    shift
    for _list; do
        [ -f "$_list" ] || continue
        while read -r _line; do
            case $_line in '' | '#'*) continue ;; esac
            case $_format in -D*) _line=$(echo "$_line" | tr - _) ;; esac
            printf -- "$_format\n" "$_line"
        done <"$_list"
    done
}
