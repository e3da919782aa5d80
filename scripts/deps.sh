# Installs the Debian packages a step needs, only those that are missing.
# Usage: source scripts/deps.sh; tarvel_install build test
# shellcheck shell=bash

tarvel_packages_build=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev fonts-liberation
    help2man locales)
tarvel_packages_test=(libgtest-dev libgmock-dev libbenchmark-dev libx11-dev xvfb xauth xdotool x11-utils procps imagemagick clang-14 libclang-rt-14-dev
    desktop-file-utils appstream file python3-pyatspi at-spi2-core dbus locales orca qt6-translations-l10n)
tarvel_packages_run=(xauth qt6-translations-l10n)
tarvel_packages_shot=(xvfb xdotool x11-utils procps imagemagick)
# The Debian package: built by debhelper from debian/, checked by lintian.
tarvel_packages_package=(dpkg-dev debhelper lintian file desktop-file-utils xvfb xauth xdotool x11-utils procps)
# The Windows cross build and Wine to run it; googletest holds the sources built for Windows;
# the native window's tests and screenshot run on Xvfb, found there by their process (procps)
# and their place in the window tree (x11-utils); wixl builds the installer and msitools'
# msiinfo reads it back and msibuild fixes its summary; strip-nondeterminism fixes the ZIP's times.
# Wine draws its title bars with fonts-wine's Marlett and Tahoma, which it only recommends.
tarvel_packages_windows=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
    wine64 wine fonts-wine googletest xvfb xauth xdotool x11-utils procps imagemagick wixl msitools
    strip-nondeterminism)
# WebAssembly: Debian's emscripten (its clang, libc++ and musl) and the GoogleTest sources it
# builds; the programs run under the machine's Node.
tarvel_packages_wasm=(emscripten googletest nodejs)
# The web app built with emscripten and driven in Debian's Chromium over WebDriver; Orca
# listens to it in Chromium's Spanish interface (chromium-l10n), on its own X server. The same
# cases in WebKitGTK (WebKitWebDriver with MiniBrowser) and in Firefox ESR over WebDriver BiDi
# (python3-websocket), Firefox with its Spanish interface, from which it takes its number format.
tarvel_packages_web=(emscripten googletest nodejs chromium chromium-driver python3-selenium fonts-liberation
    strip-nondeterminism chromium-l10n orca python3-pyatspi at-spi2-core dbus xvfb xauth xdotool
    x11-utils procps webkit2gtk-driver firefox-esr firefox-esr-l10n-es-es python3-websocket)
# The release: the tarball's git, the bill of materials' Python, the Authenticode signer and the
# throwaway key the test signs with, and diffoscope to show what differs between two builds.
tarvel_packages_release=(git python3 osslsigncode openssl strip-nondeterminism diffoscope-minimal
    msitools)
# The release's winget manifests: msiinfo reads the MSI they name, and the check validates
# them against winget's JSON schemas.
tarvel_packages_winget=(msitools python3-jsonschema python3-yaml)
# The window-less tests alone, where nothing else of the test group is wanted.
tarvel_packages_windowless=(libgtest-dev)
# Debian 13 in a chroot made by mmdebstrap; its window shown and pictured on an X server here.
tarvel_packages_debian13=(mmdebstrap git xvfb xauth xdotool x11-utils procps imagemagick)
# The web test's npm tools: Debian's npm where the Node in use did not bring its own.
tarvel_packages_npm=(npm)

tarvel_install() {
    local wanted=() missing=() group pkg
    for group in "$@"; do
        local -n list="tarvel_packages_${group}"
        wanted+=("${list[@]}")
    done
    for pkg in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
    done
    [ "${#missing[@]}" -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Generates a glibc locale such as es_ES.UTF-8 when the machine lacks it, so that tests can
# run the C library under a comma decimal. Usage: tarvel_locale es_ES.UTF-8
tarvel_locale() {
    local name=$1 normal
    normal=$(echo "$name" | sed 's/\.UTF-8$/.utf8/')
    locale -a 2>/dev/null | grep -qx "$normal" && return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "Generating the locale $name"
    "${sudo[@]}" localedef -i "${name%%.*}" -f UTF-8 "$name"
}
