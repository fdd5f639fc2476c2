#!/usr/bin/env bash
# Runs a test on a headless Wayland compositor (weston), which logs every request of its clients
# to the file that the test finds in GZ_COMPOSITOR_LOG: what a Wayland shell is told.
set -euo pipefail
test=$1
if ! command -v weston >/dev/null; then
    echo "weston missing (scripts/test installs it)"
    # Under CI a skipped check is a failure: the scripts install what it needs.
    [ -n "${CI:-}" ] && exit 1
    exit 77
fi
work=$(mktemp -d)
trap 'kill "$compositor" 2>/dev/null; rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR=$work GZ_COMPOSITOR_LOG=$work/weston.log
chmod 0700 "$work"
weston --backend=headless-backend.so --socket=gz-test --idle-time=0 --width=1280 --height=1024 \
    --logger-scopes=log,proto --log="$GZ_COMPOSITOR_LOG" &
compositor=$!
for _ in $(seq 600); do [ -S "$work/gz-test" ] && break; sleep 0.1; done
[ -S "$work/gz-test" ] || { echo "weston did not start within a minute"; cat "$GZ_COMPOSITOR_LOG"; exit 1; }
WAYLAND_DISPLAY=gz-test QT_QPA_PLATFORM=wayland "$test"
