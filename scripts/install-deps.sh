#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the program need.
set -euo pipefail

packages=(
    g++ make cmake pkg-config
    qt6-base-dev qt6-translations-l10n
    libicu-dev libjpeg-dev
    # protected record files: the key from the password, the encryption
    libsodium-dev
    # pictures: metafiles (WMF through libwmf, whose text needs the URW
    # fonts; EMF through libemf2svg, drawn with Qt SVG)
    libwmf-dev fonts-urw-base35 libemf2svg-dev qt6-svg-dev
    python3 socat
    # the end-to-end suite: a display, real input, accessibility, screenshots,
    # window properties (xprop)
    xvfb xauth xdotool x11-xkb-utils x11-utils dbus dbus-bin at-spi2-core python3-pyatspi
    imagemagick fonts-dejavu-core
    # vCard peers the interchange tests read and write cards with
    abook python3-vobject
    # fuzzing (clang's libFuzzer) and the trace of a save's calls
    clang-14 libclang-rt-14-dev strace
    # sync with a CardDAV server: the key store for passwords, and the
    # server the tests and the benchmark start on 127.0.0.1 (with a
    # certificate of their own for the TLS checks)
    qtkeychain-qt6-dev radicale openssl
    # the benchmark reads each command's peak memory through time(1)
    time
    # printing (the tests read the PDFs back), installing and the package:
    # the desktop entry, the file type and the metainfo are validated,
    # dpkg-shlibdeps finds the package's dependencies and lintian checks it
    poppler-utils desktop-file-utils shared-mime-info xdg-utils libfile-mimeinfo-perl
    appstream dpkg-dev lintian
    # the Excel export, and the tests and the benchmark that read and write
    # workbooks with openpyxl
    libxlsxwriter-dev python3-openpyxl
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update
"${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
