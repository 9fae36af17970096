# Shared by play.sh and test.sh: installs the Debian packages that are missing.
# Usage: ensure_packages PACKAGE...

ensure_packages() {
    local missing=()
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q '^install ok installed$'; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    if ! command -v apt-get >/dev/null 2>&1; then
        echo "Please install these packages with your system's package manager, then run this again:" >&2
        echo "  ${missing[*]}" >&2
        exit 1
    fi
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo=(sudo)
    fi
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}"
}

GAME_PACKAGES=(build-essential cmake freeglut3-dev libglu1-mesa-dev libgl-dev libgl1-mesa-dri libstb-dev)
