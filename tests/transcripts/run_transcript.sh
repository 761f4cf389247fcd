#!/bin/sh
# Runs one transcript test: pipes <name>.in into the program in a fresh
# temporary directory and compares what it prints with <name>.out.
#
#   <name>.in      the replies, one per line (required)
#   <name>.out     the expected screen (required)
#   <name>.setup/  files copied into the directory before the run
#   <name>.after/  files that must exist after the run, compared exactly
#   <name>.env     shell lines sourced before the run (e.g. OS=Windows_NT)
#   <name>.args    command-line arguments
#   <name>.rc      the expected exit code (default 0)
#   <name>.check   a shell script run in the directory afterwards, with the
#                  program's path in $LATTICOR; must exit 0
#
# Dates ("08Dec26") and times ("12:34:56") vary and are masked on both sides,
# and so do the system the version line names ("running under <SYSTEM>") and
# the home directory, the program's own ../share/latticor/ ("<HOME>/"), and
# the clock readings of the merit maps' timing reports.
# A .out whose first line is "[after start-up]" is compared with the screen
# after the start-up banner, defaults and limits (which the control_*
# transcripts check in full).
# With UPDATE=1 the expected screen is written instead of compared.
set -u
bin=$1
dir=$2
name=$3

work=$(mktemp -d "${TMPDIR:-/tmp}/latticor-transcript.XXXXXX") || exit 2
trap 'rm -rf "$work"' EXIT

if [ -d "$dir/$name.setup" ]; then
    cp -R "$dir/$name.setup/." "$work/"
fi

start_up_marker='[after start-up]'

# The screen without its start-up block: everything up to the line that
# announces the copy file, and the empty line after it.
after_start_up() {
    awk 'done { print; next }
         /^Main screen output will repeat to <Dset>\.LXO file by default$/ { skip = 1; next }
         skip { skip = 0; done = 1; next }' "$1"
}

system="$(uname -s) $(uname -r) ($(uname -m))"
home="$(cd "$(dirname "$bin")/.." && pwd -P)/share/latticor/"
mask() {
    sed -E -e 's/[0-9]{2}(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)[0-9]{2}/<DATE>/g' \
           -e 's/[0-9]{2}:[0-9]{2}:[0-9]{2}/<TIME>/g' \
           -e 's/^(Scan timings: [0-9]+ trials in ).*/\1<TIMING>/' \
           -e 's/^(Refinement timings: [0-9]+ peaks refined in ).*/\1<TIMING>/' \
           -e 's/^( [0-9.]+ cycle\/peak \()[0-9.]+ ms\/cyc\)/\1<TIMING> ms\/cyc)/' \
           -e 's/^(  Elapsed time including refinement and user pauses: ).*/\1<TIMING>/' "$1" |
        awk -v sys="running under $system" -v home="$home" '{
            i = index($0, sys)
            if (i > 0) $0 = substr($0, 1, i - 1) "running under <SYSTEM>" substr($0, i + length(sys))
            while ((i = index($0, home)) > 0)
                $0 = substr($0, 1, i - 1) "<HOME>/" substr($0, i + length(home))
            print }'
}

args=""
[ -f "$dir/$name.args" ] && args=$(cat "$dir/$name.args")
expected_rc=0
[ -f "$dir/$name.rc" ] && expected_rc=$(cat "$dir/$name.rc")

(
    cd "$work" || exit 2
    unset OS COMSPEC
    if [ -f "$dir/$name.env" ]; then
        set -a
        . "$dir/$name.env"
        set +a
    fi
    # shellcheck disable=SC2086
    exec "$bin" $args < "$dir/$name.in" > "$work/.screen" 2>&1
)
rc=$?

status=0
if [ "${UPDATE:-0}" = 1 ]; then
    if [ -f "$dir/$name.out" ] && [ "$(head -n 1 "$dir/$name.out")" = "$start_up_marker" ]; then
        { echo "$start_up_marker"; after_start_up "$work/.screen" | mask /dev/stdin; } > "$dir/$name.out"
    else
        mask "$work/.screen" > "$dir/$name.out"
    fi
else
    if [ "$(head -n 1 "$dir/$name.out")" = "$start_up_marker" ]; then
        after_start_up "$work/.screen" > "$work/.screen.trimmed"
        mask "$work/.screen.trimmed" > "$work/.screen.masked"
        tail -n +2 "$dir/$name.out" > "$work/.expected"
        mask "$work/.expected" > "$work/.expected.masked"
    else
        mask "$work/.screen" > "$work/.screen.masked"
        mask "$dir/$name.out" > "$work/.expected.masked"
    fi
    if ! diff -u "$work/.expected.masked" "$work/.screen.masked"; then
        echo "** screen differs from $name.out **"
        status=1
    fi
fi

if [ "$rc" != "$expected_rc" ]; then
    echo "** exit code $rc, expected $expected_rc **"
    status=1
fi

if [ -d "$dir/$name.after" ]; then
    for f in $(cd "$dir/$name.after" && find . -type f | sort); do
        if [ ! -f "$work/$f" ]; then
            echo "** expected file $f was not written **"
            status=1
            continue
        fi
        mask "$dir/$name.after/$f" > "$work/.want"
        mask "$work/$f" > "$work/.got"
        if ! cmp -s "$work/.want" "$work/.got"; then
            echo "** file $f differs **"
            diff -u "$work/.want" "$work/.got" | cat -A | head -40
            status=1
        fi
    done
fi

if [ -f "$dir/$name.check" ]; then
    if ! (cd "$work" && LATTICOR="$bin" sh "$dir/$name.check"); then
        echo "** check $name.check failed **"
        status=1
    fi
fi

exit $status
