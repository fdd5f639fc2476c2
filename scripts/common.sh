# Shared by scripts/run and scripts/test: installs the Debian packages that are missing.
# Sourced, not run.

gz_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Runs a command as root: directly when we are root, through sudo otherwise.
gz_as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        echo "error: root rights are needed to install packages (no sudo found): $*" >&2
        return 1
    fi
}

# Installs the packages named that are not installed yet; quick when all are there. Without apt
# it names them in one line and leaves the installing to the user.
gz_install() {
    if ! command -v apt-get >/dev/null 2>&1 || ! command -v dpkg-query >/dev/null 2>&1; then
        echo "note: no apt here; install these packages or your system's equivalents (see README, Other systems): $*" >&2
        return 0
    fi
    local missing=()
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q '^install ok installed$'; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local started=$SECONDS
    gz_apt_update
    gz_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
    echo "Packages installed in $((SECONDS - started)) s"
}

# Once per run: a fresh system has no package lists at all.
gz_apt_updated=false
gz_apt_update() {
    $gz_apt_updated && return 0
    gz_as_root apt-get update -qq
    gz_apt_updated=true
}

# The version apt would install of a package, empty when it offers none.
gz_candidate() {
    apt-cache policy "$1" 2>/dev/null | sed -n 's/^ *Candidate: //p' | grep -v '^(none)$' || true
}

# Liberation 2 (the faces with Arial's metrics) is fonts-liberation2 on Debian 12 and
# fonts-liberation on later releases, where fonts-liberation2 is only a transitional package.
# Decided once, from what apt offers.
gz_pick_liberation() {
    gz_liberation=fonts-liberation2
    command -v apt-cache >/dev/null 2>&1 || return 0
    local version
    version=$(gz_candidate fonts-liberation)
    if [ -z "$version" ]; then
        gz_apt_update >&2 || true
        version=$(gz_candidate fonts-liberation)
    fi
    if [ -n "$version" ] && dpkg --compare-versions "$version" ge 1:2; then
        gz_liberation=fonts-liberation
    fi
}
gz_pick_liberation

# What building and running the game needs (apt brings their Recommends too).
gz_base_packages=(
    build-essential cmake
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-translations-l10n
    libgl-dev "$gz_liberation"
    xvfb xauth
    libxcb1-dev git
    libpulse-dev
)

# The quality gates, by the release's default toolchain names: the sanitizer runtimes and
# libFuzzer come with clang's runtime package.
gz_fuzz_packages=(clang libclang-rt-dev)
# Both sound servers for the sound test, which install side by side on every release: PulseAudio,
# and PipeWire with WirePlumber, its PulseAudio service and the session bus that WirePlumber
# wants (their user services conflict, so that a desktop session runs one of them).
gz_check_packages=(clang-tidy cppcheck desktop-file-utils appstream openbox x11-utils weston qt6-wayland
    pulseaudio pulseaudio-utils pipewire pipewire-pulse wireplumber dbus)
# The load generator of "scripts/test --under-load".
gz_load_packages=(stress-ng)
# What scripts/package needs to build and check the Debian package.
gz_package_packages=(debhelper dpkg-dev lintian)
# What scripts/release-check needs on the host.
gz_release_check_packages=(mmdebstrap git)

# Configures and builds one build directory: gz_build DIR [cmake options...]
gz_build() {
    local dir=$1
    shift
    cmake -S "$gz_root" -B "$dir" "$@" >/dev/null
    cmake --build "$dir" --parallel "$(nproc)"
}
