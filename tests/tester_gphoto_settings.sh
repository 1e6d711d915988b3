#!/bin/sh
# The tester's own libgphoto2 settings (~/.gphoto) before and after the suite.
#   note STATE      writes what ~/.gphoto holds now into STATE
#   compare STATE   fails, showing the difference, when it holds anything else now
# Every entry counts with its kind, size and modification time, every file with its bytes:
# a settings file rewritten with the same text has changed too, and so has a folder that
# was not there.
set -eu
mode=$1
state=$2

snapshot() {
    dir="${HOME:-}/.gphoto"
    if [ -z "${HOME:-}" ]; then
        echo "no HOME"
    elif [ ! -e "$dir" ] && [ ! -L "$dir" ]; then
        echo "no $dir"
    else
        find "$dir" -printf '%y %s %T@ %p\n' | LC_ALL=C sort
        find "$dir" -type f -exec cksum {} + | LC_ALL=C sort
    fi
}

case "$mode" in
    note)
        snapshot >"$state"
        cat "$state"
        ;;
    compare)
        now=$(snapshot)
        if [ "$now" != "$(cat "$state")" ]; then
            echo "the suite changed the tester's ~/.gphoto:"
            printf '%s\n' "$now" | diff "$state" - || true
            exit 1
        fi
        echo "~/.gphoto as the suite found it:"
        cat "$state"
        ;;
    *)
        echo "usage: $0 note|compare STATE" >&2
        exit 2
        ;;
esac
