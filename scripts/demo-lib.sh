# shellcheck shell=bash
# Parts the demo scripts share, sourced by them from the repository root: the --duration
# option, the build, the guard of the scratch folder, the display check, the station simulator
# and the cleanup at exit. Messages start with the calling script's name ($demo_name).

# The script's usage text: its opening comment (after the #! line) without the comment marks.
# Sourced from the repository root, so the script is found whichever way it was started.
demo_script=$PWD/scripts/${0##*/}
usage() { sed -n '2,/^[^#]/{/^#/s/^# \{0,1\}//p}' "$demo_script"; }

# demo_options NAME DEFAULT_SECONDS ARGS...: sets duration from --duration.
demo_options() {
    demo_name=$1
    duration=$2
    shift 2
    while (($#)); do
        case "$1" in
        --duration) duration=${2:-}; shift 2 || { usage; exit 2; } ;;
        --duration=*) duration=${1#*=}; shift ;;
        -h | --help) usage; exit 0 ;;
        *) echo "$demo_name: unknown option $1" >&2; usage >&2; exit 2 ;;
        esac
    done
    if ! [[ $duration =~ ^[0-9]+$ ]]; then
        echo "$demo_name: --duration takes a number of seconds" >&2
        exit 2
    fi
}

# Builds what is missing; sets build_dir. A build another user made (root, say) is used as it
# stands: the user running the demo cannot write into it.
demo_build() {
    build_dir=${BUILD_DIR:-build}
    if [ -d "$build_dir" ] && [ ! -w "$build_dir" ]; then
        echo "$demo_name: $build_dir belongs to another user: its programs are used as they are built"
        return
    fi
    scripts/setup.sh
}

# demo_require TOOL...: ends the script when a tool was not built.
demo_require() {
    local tool
    for tool in "$@"; do
        [ -x "$tool" ] || { echo "$demo_name: $tool was not built" >&2; exit 1; }
    done
}

# demo_folder NAME SETTINGS_FILE MARKER: sets demo to the scratch folder, $DEMO_DIR, else
# $TMPDIR/NAME-$USER (/tmp without TMPDIR): each user has a folder of their own. Sets marker to
# the first line that marks its settings file as this script's own.
demo_folder() {
    demo=${DEMO_DIR:-${TMPDIR:-/tmp}/${1##*/}-$(id -un)}
    mkdir -p "$demo"
    demo=$(cd "$demo" && pwd)
    marker=$3
    # Never overwrite the settings of a real folder.
    if [ -f "$demo/$2" ] && ! head -n 1 "$demo/$2" | grep -qF "$marker"; then
        echo "$demo_name: $demo/$2 was not written by this script; choose another DEMO_DIR" >&2
        exit 1
    fi
}

# demo_display [MESSAGE]: without a display the Qt programs run offscreen; says so if asked.
demo_display() {
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        export QT_QPA_PLATFORM=offscreen
        [ -z "${1:-}" ] || echo "$1"
    fi
}

# At exit the processes whose pid variables are named in demo_pids are killed in that order,
# and the files in demo_scratch are removed. Ctrl+C sets stop, so a run ends in order.
demo_pids=()
demo_scratch=()
demo_cleanup() {
    exec 3>&- 2>/dev/null || true
    local v
    for v in "${demo_pids[@]}"; do
        [ -n "${!v}" ] && kill "${!v}" 2>/dev/null || true
    done
    if ((${#demo_scratch[@]})); then
        rm -f "${demo_scratch[@]}"
    fi
}
# demo_traps [pipe]: with pipe, a write to a simulator that has gone does not end the script
# (the programs started afterwards inherit that too).
demo_traps() {
    trap demo_cleanup EXIT
    stop=0
    trap 'stop=1' INT TERM
    [ "${1:-}" != pipe ] || trap '' PIPE
}
# Ctrl+C also stops a sleep and the simulator.
pause() { sleep "$1" || true; }

# Starts the station simulator, which takes its commands from a pipe on fd 3 that send()
# writes; sets sim_pid and pty (the pseudo-terminal it sits on).
demo_start_sisim() {
    rm -f "$demo/.sisim-commands" "$demo/sisim.out"
    mkfifo "$demo/.sisim-commands"
    "$sisim" --stdin <"$demo/.sisim-commands" >"$demo/sisim.out" 2>"$demo/sisim.log" &
    sim_pid=$!
    exec 3>"$demo/.sisim-commands"
    pty=$(demo_sisim_pty "$demo/sisim.out" "the simulator")
}
# The pseudo-terminal a simulator printed into its output file, waited for up to 5 s; the
# script ends with a message naming the simulator when none comes.
demo_sisim_pty() {
    for _ in $(seq 50); do
        grep -q '^PTY ' "$1" 2>/dev/null && break
        sleep 0.1
    done
    local found
    found=$(sed -n 's/^PTY //p' "$1")
    [ -n "$found" ] || { echo "$demo_name: $2 gave no pseudo-terminal" >&2; exit 1; }
    echo "$found"
}
send() { echo "$1" >&3 2>/dev/null || true; }
