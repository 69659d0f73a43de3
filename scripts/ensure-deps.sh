#!/usr/bin/env bash
# Installs the Debian packages the build needs when any is missing.
# Sourced by ./run and ./test; safe to run again.
set -euo pipefail

ZV_PACKAGES=(
    build-essential cmake ninja-build ccache pkg-config
    qt6-base-dev libglib2.0-dev libhidapi-dev libudev-dev libpulse-dev libcurl4-openssl-dev
    googletest libgtest-dev libgmock-dev
    fonts-dejavu-core
    pulseaudio pulseaudio-utils
    xvfb xdotool
)

zv_missing_packages() {
    local p missing=()
    for p in "${ZV_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    echo "${missing[@]:-}"
}

zv_ensure_deps() {
    local missing
    missing=$(zv_missing_packages)
    [ -z "$missing" ] && return 0
    echo "Installing missing packages: $missing"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || { echo "need root or sudo to install: $missing" >&2; return 1; }
        sudo=(sudo)
    fi
    "${sudo[@]}" apt-get update
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends $missing
}
