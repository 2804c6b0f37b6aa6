# Sourced by the platform recipes (platforms/<platform>/build-qt, build, test) and scripts/, from the
# clone's top: what they share. POSIX sh, for scripts running under `set -eu`. Nothing here needs
# root: the Debian systems the recipes build in are laid and entered in user namespaces (system.sh).
#
#   recipe_cache                    the cache folder: $VARNELO_CACHE, else ${XDG_CACHE_HOME:-~/.cache}/varnelo
#   recipe_at_exit COMMAND          runs COMMAND at exit, also after INT, TERM or HUP (latest added first)
#   recipe_key TEXT FILE...         16 hex digits from TEXT and the files' contents (the inputs)
#   recipe_open NAME KEY            $recipe_dir = cache/NAME-KEY, locked on fd 9 (exclusive until complete)
#   recipe_is_complete              whether $recipe_dir carries its completion stamp
#   recipe_complete                 stamps $recipe_dir, keeps a shared lock, prunes superseded NAME-*
#   recipe_step LOG COMMAND...      runs COMMAND with its output to LOG; on failure shows LOG's tail, stops
#   recipe_fail MESSAGE             says what failed and stops
#   recipe_jobs                     $JOBS, else the number of cores

: "${VARNELO_CACHE:=${XDG_CACHE_HOME:-$HOME/.cache}/varnelo}"
export VARNELO_CACHE
recipe_cache=$VARNELO_CACHE
recipe_src=$(pwd)
# For `env $recipe_epoch ...` in a Debian system, which starts with an empty environment: the time
# every file of a release carries, when one is being made.
recipe_epoch=${SOURCE_DATE_EPOCH:+SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH}

# sh runs an EXIT trap on exit but not when a signal ends it: a signal becomes an exit.
recipe_exit=""
recipe_at_exit() {
    recipe_exit="$1${recipe_exit:+; $recipe_exit}"
    # shellcheck disable=SC2064
    trap "_exit_status=\$?; $recipe_exit; exit \$_exit_status" EXIT
    trap 'exit 129' HUP
    trap 'exit 130' INT
    trap 'exit 143' TERM
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

# A folder counts only with its stamp: whatever an interrupted build left there is started afresh.
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

recipe_at_exit :
