#!/usr/bin/env bash
# Starts the game on a virtual X display, as a player starts it, and waits up to a minute for its
# window: the designed title, a size fixed by equal minimum and maximum, and the window class that
# the desktop entry names, by which a desktop ties the window to the game's launcher.
# start_check.sh GAME DESKTOP_ENTRY
set -euo pipefail
game=$(command -v -- "$1") || { echo "no program $1" >&2; exit 1; }
[[ $game == /* ]] || game=$PWD/$game
entry=$2
for tool in xvfb-run xwininfo xprop; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool missing (scripts/test installs it)"
        # Under CI a skipped check is a failure: the scripts install what it needs.
        [ -n "${CI:-}" ] && exit 1
        exit 77
    fi
done
class=$(sed -n 's/^StartupWMClass=//p' "$entry")
[ -n "$class" ] || { echo "no StartupWMClass in $entry" >&2; exit 1; }
exec xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    game=$1 class=$2
    title="Training für die kleinen grauen Zellen"
    (cd / && exec "$game") &
    pid=$!
    trap "kill $pid 2>/dev/null" EXIT
    window=""
    for _ in $(seq 600); do
        window=$(xwininfo -root -tree | grep -F "\"$title\": (" || true)
        [ -n "$window" ] && break
        kill -0 "$pid" 2>/dev/null || { echo "the game ended before its window showed" >&2; exit 1; }
        sleep 0.1
    done
    [ -n "$window" ] || { echo "no window titled \"$title\" within a minute" >&2; exit 1; }
    echo "window:$window"
    case $window in
    *"\" \"$class\")"*) ;;
    *) echo "the window class is not $class, the one its desktop entry names" >&2; exit 1 ;;
    esac
    hints=$(xprop -id "$(echo "$window" | awk "{print \$1}")" WM_NORMAL_HINTS)
    min=$(echo "$hints" | sed -n "s/.*minimum size: //p")
    max=$(echo "$hints" | sed -n "s/.*maximum size: //p")
    if [ -z "$min" ] || [ "$min" != "$max" ]; then
        echo "the window is not of a fixed size: $hints" >&2
        exit 1
    fi
    kill -0 "$pid" 2>/dev/null || { echo "the game did not keep running" >&2; exit 1; }
    echo "the game runs in its window, $min, class $class"
' bash "$game" "$class"
