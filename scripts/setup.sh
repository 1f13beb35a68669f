#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, run and test the program.
# Runs apt-get as root, or through sudo; does nothing when everything is already there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build clang libclang-rt-14-dev
    qt6-base-dev qt6-svg-dev qt6-translations-l10n libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth xdotool xclip x11-utils imagemagick
    fonts-dejavu-core fonts-liberation2 fonts-urw-base35 fonts-adf-baskervald
    desktop-file-utils shared-mime-info xdg-utils libfile-mimeinfo-perl man-db libxml2-utils file
    poppler-utils
    libgdal-dev
    dpkg-dev
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi
echo "Instalando paquetes: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
