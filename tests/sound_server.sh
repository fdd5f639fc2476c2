#!/usr/bin/env bash
# A private sound server for the tests and the benchmarks, with one null sink named gz and its
# PulseAudio socket at FOLDER/native; it runs until it is sent TERM, and leaves nothing behind.
#   sound_server.sh pulseaudio FOLDER
#   sound_server.sh pipewire FOLDER [QUANTUM]
# "pipewire" is PipeWire with WirePlumber and its PulseAudio service, on a session bus of its own,
# at a fixed quantum (default 256 samples, what the game's stream asks for; 1024 is what PipeWire
# sets inside a virtual machine). Nothing outside FOLDER is read or changed: the configuration
# for other programs stays as it is. Prints "ready" once the socket takes connections.
set -euo pipefail
kind=$1
dir=$(cd "$2" && pwd)
quantum=${3:-256}
export HOME=$dir XDG_RUNTIME_DIR=$dir/run XDG_CONFIG_HOME=$dir/config XDG_STATE_HOME=$dir/state
mkdir -p -m 700 "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$XDG_STATE_HOME"
children=()
stop() {
    trap - TERM INT EXIT
    [ ${#children[@]} -eq 0 ] || kill "${children[@]}" 2>/dev/null || true
    wait 2>/dev/null || true
}
trap 'stop; exit 0' TERM INT
trap stop EXIT

case $kind in
pulseaudio)
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --log-level=error \
        -L "module-null-sink sink_name=gz" \
        -L "module-native-protocol-unix auth-anonymous=1 socket=$dir/native" &
    children+=($!)
    ;;
pipewire)
    # The quantum fixed, inside a virtual machine too (where the shipped configuration raises
    # it); both the older (0.3) and the newer (1.x) form of that rule.
    mkdir -p "$XDG_CONFIG_HOME/pipewire/pipewire.conf.d" "$XDG_CONFIG_HOME/pipewire/pipewire-pulse.conf.d"
    cat >"$XDG_CONFIG_HOME/pipewire/pipewire.conf.d/gz.conf" <<EOF
context.properties = {
    default.clock.rate = 48000
    default.clock.quantum = $quantum
    default.clock.min-quantum = $quantum
    default.clock.max-quantum = $quantum
    vm.overrides = { default.clock.min-quantum = $quantum }
}
context.properties.rules = [
    { matches = [ { cpu.vm.name = !null } ]
      actions = { update-props = { default.clock.min-quantum = $quantum } } }
]
context.objects = [
    { factory = adapter
      args = {
          factory.name     = support.null-audio-sink
          node.name        = gz
          node.description = "null sink"
          media.class      = Audio/Sink
          object.linger    = true
          audio.position   = [ MONO ]
          audio.rate       = 48000
          node.driver      = true
      }
    }
]
EOF
    cat >"$XDG_CONFIG_HOME/pipewire/pipewire-pulse.conf.d/gz.conf" <<EOF
pulse.properties = {
    server.address = [ "unix:$dir/native" ]
    pulse.min.quantum = $quantum/48000
    vm.overrides = { pulse.min.quantum = $quantum/48000 }
}
pulse.properties.rules = [
    { matches = [ { cpu.vm.name = !null } ]
      actions = { update-props = { pulse.min.quantum = $quantum/48000 } } }
]
EOF
    # No Bluetooth for a null sink: WirePlumber 0.4 would watch logind's seats for it and stop
    # where there are none, as in a chroot (0.5 leaves logind off by default).
    mkdir -p "$XDG_CONFIG_HOME/wireplumber/bluetooth.lua.d"
    echo 'bluez_monitor.enabled = false' >"$XDG_CONFIG_HOME/wireplumber/bluetooth.lua.d/80-gz.lua"
    # WirePlumber wants a session bus; a private one, gone with the server.
    dbus-daemon --session --address="unix:path=$XDG_RUNTIME_DIR/bus" --nofork --nopidfile &
    children+=($!)
    export DBUS_SESSION_BUS_ADDRESS=unix:path=$XDG_RUNTIME_DIR/bus
    for _ in $(seq 300); do [ -S "$XDG_RUNTIME_DIR/bus" ] && break; sleep 0.1; done
    pipewire &
    children+=($!)
    for _ in $(seq 300); do [ -S "$XDG_RUNTIME_DIR/pipewire-0" ] && break; sleep 0.1; done
    wireplumber &
    children+=($!)
    pipewire-pulse &
    children+=($!)
    ;;
*)
    echo "usage: sound_server.sh pulseaudio|pipewire FOLDER [QUANTUM]" >&2
    exit 2
    ;;
esac

# Ready once the socket answers and the null sink is the default sink.
export PULSE_SERVER=unix:$dir/native
for _ in $(seq 600); do
    if pactl info 2>/dev/null | grep -q '^Default Sink: gz$'; then
        echo ready
        wait
        exit 0
    fi
    sleep 0.1
done
echo "the $kind server did not come up within a minute" >&2
exit 1
