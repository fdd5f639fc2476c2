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

# Installs the packages named that are not installed yet; quick when all are there.
gz_install() {
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
    gz_as_root apt-get update -qq
    gz_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
    echo "Packages installed in $((SECONDS - started)) s"
}

# What building and running the game needs (apt brings their Recommends too).
gz_base_packages=(
    build-essential cmake
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-translations-l10n
    libgl-dev fonts-liberation2
    xvfb xauth
    libxcb1-dev git
)

# The quality gates: sanitizer runtimes and libFuzzer come with clang's runtime package.
gz_fuzz_packages=(clang clang-14 libclang-rt-14-dev)
gz_check_packages=(clang-tidy cppcheck desktop-file-utils appstream)

# Configures and builds one build directory: gz_build DIR [cmake options...]
gz_build() {
    local dir=$1
    shift
    cmake -S "$gz_root" -B "$dir" "$@" >/dev/null
    cmake --build "$dir" --parallel "$(nproc)"
}
