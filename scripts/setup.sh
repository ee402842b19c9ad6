#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need (Debian 12, as root
# or through sudo). Packages already present are left alone, so a second run is quick.
set -euo pipefail

packages=(
    build-essential cmake pkg-config git
    libgtest-dev libgmock-dev libbenchmark-dev
    libsndfile1-dev libcairo2-dev libx11-dev libxtst-dev
    fonts-dejavu-core fonts-liberation fontconfig
    sox xvfb xauth x11-apps imagemagick
    clang libclang-rt-14-dev
    lv2-dev liblilv-dev lilv-utils sordi jalv jackd2 xdotool
    lv2file gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-plugins-bad
    lintian qtractor python3
    locales time
)

source "$(dirname "$0")/packages.sh"

# A decimal-comma locale, so the tests can show that display texts ignore the locale.
ensure_locale() {
    if locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
        return
    fi
    if [ -f /etc/locale.gen ]; then
        $SUDO sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
        grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
        $SUDO locale-gen >/dev/null 2>&1 || true
    fi
}

install_packages "${packages[@]}"
ensure_locale
