#!/usr/bin/env bash
# Runs a test on a virtual X display with a window manager: xvfb-run and openbox, started before
# the test, as a desktop has its window manager before any program.
set -euo pipefail
test=$1
if ! command -v xvfb-run >/dev/null || ! command -v openbox >/dev/null; then
    echo "xvfb-run or openbox missing (scripts/test installs them)"
    # Under CI a skipped check is a failure: the scripts install what it needs.
    [ -n "${CI:-}" ] && exit 1
    exit 77
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    work=$(mktemp -d)
    trap "kill \$wm 2>/dev/null; rm -rf \$work" EXIT
    openbox --sm-disable --startup "touch $work/ready" &
    wm=$!
    for _ in $(seq 600); do [ -e "$work/ready" ] && break; sleep 0.1; done
    [ -e "$work/ready" ] || { echo "openbox did not start within a minute"; exit 1; }
    QT_QPA_PLATFORM=xcb "$1"
' bash "$test"
